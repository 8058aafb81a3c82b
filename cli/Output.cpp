// SPDX-License-Identifier: MIT
// Writing results and messages without the C library's buffering in between.
#include "cli/Output.h"

#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <unistd.h>

namespace zeph::cli {

namespace {

bool g_outputBroken = false;

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += written;
    }
    return true;
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
    if (g_outputBroken) return false;
    // SIGPIPE is ignored by the program: a reader that went away shows here as EPIPE.
    if (!WriteAll(STDOUT_FILENO, bytes)) g_outputBroken = true;
    return !g_outputBroken;
}

bool PrintOut(const QString& text) {
    return PrintOut(text.toUtf8());
}

bool OutputBroken() {
    return g_outputBroken;
}

void PrintError(const QString& message) {
    WriteAll(STDERR_FILENO, OneLine(message).toUtf8() + '\n');
}

} // namespace zeph::cli
