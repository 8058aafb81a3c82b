// SPDX-License-Identifier: MIT
// Writing results and messages without the C library's buffering in between.
#include "cli/Output.h"

#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace zeph::cli {

namespace {

// The errno of the first failed write to standard output; 0 while every write went through.
int g_outputError = 0;

// 0 when every byte was written, else the errno of the failure.
int WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        if (written == 0) return EIO;
        done += written;
    }
    return 0;
}

} // namespace

QString OneLine(const QString& text) {
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n]+"));
    QString line;
    for (const QString& part : text.split(lineBreaks, Qt::SkipEmptyParts)) {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty()) continue;
        if (!line.isEmpty())
            line += line.endsWith(QLatin1Char(':')) || line.endsWith(QLatin1Char('.')) ? QStringLiteral(" ")
                                                                                       : QStringLiteral(": ");
        line += trimmed;
    }
    return line;
}

bool PrintOut(const QByteArray& bytes) {
    if (g_outputError != 0) return false;
    // SIGPIPE is ignored by the program: a reader that went away shows here as EPIPE.
    g_outputError = WriteAll(STDOUT_FILENO, bytes);
    return g_outputError == 0;
}

bool PrintOut(const QString& text) {
    return PrintOut(text.toUtf8());
}

bool OutputBroken() {
    return g_outputError == EPIPE;
}

QString OutputFailure() {
    if (g_outputError == 0 || g_outputError == EPIPE) return {};
    return QString::fromLocal8Bit(std::strerror(g_outputError));
}

void PrintError(const QString& message) {
    // Nowhere is left to tell of a failure to write standard error.
    (void)WriteAll(STDERR_FILENO, OneLine(message).toUtf8() + '\n');
}

} // namespace zeph::cli
