// SPDX-License-Identifier: MIT
// Appending to the audit trail and checking its chain.
#include "commissioning/AuditLog.h"

#include "settingsfile/SafeFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zeph::commissioning {

namespace {

const QLatin1String PreviousKey("previous_sha256");

QByteArray LineHash(const QByteArray& line) {
    return QCryptographicHash::hash(line, QCryptographicHash::Sha256).toHex();
}

// The lines of a log, each without its line feed; a last line without one is kept (and reported).
QList<QByteArray> Lines(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace

QByteArray FirstPreviousHash() {
    return QByteArray(64, '0');
}

AuditLog::AuditLog(QString path)
    : m_path(std::move(path))
    , m_lastHash(FirstPreviousHash()) {}

bool AuditLog::Open(QString* error) {
    QFile file(m_path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    // A record goes on only after a chain that holds: after a cut last line it would be glued to that
    // line, and a broken chain would be vouched for by every hash given out later.
    const AuditCheck check = VerifyAuditLog(file.readAll());
    if (!check.Holds()) {
        if (error)
            *error =
                QStringLiteral("the audit trail does not verify (%1); keep it as it is and run into another "
                               "folder")
                    .arg(check.problems.join(QStringLiteral("; ")));
        return false;
    }
    m_records = check.records;
    m_lastHash = check.lastHash;
    return true;
}

bool AuditLog::Append(QJsonObject record, QString* error) {
    record.insert(PreviousKey, QString::fromLatin1(m_lastHash));
    const QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact);
    const QByteArray bytes = line + '\n';
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        if (error) *error = settingsfile::SystemErrorText(errno);
        return false;
    }
    const off_t end = ::lseek(fd, 0, SEEK_END);
    bool ok = settingsfile::WriteFully(fd, bytes, error);
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        if (error) *error = settingsfile::SystemErrorText(errno);
    }
    // A record cut short would break the chain for every later one: the log ends as before.
    if (!ok && end >= 0 && ::ftruncate(fd, end) != 0)
        qWarning("audit trail %s not cut back", qPrintable(m_path));
    ::close(fd);
    if (!ok) return false;
    ++m_records;
    m_lastHash = LineHash(line);
    return true;
}

AuditCheck VerifyAuditLog(const QByteArray& bytes, const QByteArray& expectedLastHash) {
    AuditCheck check;
    const QList<QByteArray> lines = Lines(bytes);
    QByteArray previous = FirstPreviousHash();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString where = QStringLiteral("line %1: ").arg(i + 1);
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(lines[i], &parseError);
        if (!document.isObject()) {
            check.problems << where + QStringLiteral("not a JSON record (%1)").arg(parseError.errorString());
        } else if (document.object().value(PreviousKey).toString().toLatin1() != previous) {
            check.problems << where +
                                  (i == 0
                                       ? QStringLiteral("the first record does not start the chain: records "
                                                        "before it were removed")
                                       : QStringLiteral("the chain breaks here: the record before it was "
                                                        "changed, removed or moved"));
        }
        previous = LineHash(lines[i]);
    }
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        check.problems << QStringLiteral("line %1: the last record is cut short").arg(lines.size());
    check.records = int(lines.size());
    check.lastHash = previous;
    if (!expectedLastHash.isEmpty()) {
        // Later runs append to the trail, so the hash an earlier run gave out may stand inside it.
        qsizetype at = lines.size() - 1;
        while (at >= 0 && LineHash(lines[at]) != expectedLastHash.toLower())
            --at;
        if (at < 0)
            check.problems << QStringLiteral(
                                  "no record has the hash %1: records were removed from the end, or "
                                  "the record of that hash was changed")
                                  .arg(QString::fromLatin1(expectedLastHash));
        else
            check.recordsAfterExpected = int(lines.size() - 1 - at);
    }
    return check;
}

} // namespace zeph::commissioning
