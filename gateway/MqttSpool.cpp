// SPDX-License-Identifier: MIT
// The spool file: records appended at its end, the head offset rewritten in place, and a rewrite through
// the safe save when the acknowledged part has grown large.
#include "gateway/MqttSpool.h"

#include "gateway/GatewayLogging.h"
#include "settingsfile/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zeph::gateway {

namespace {

// "ZSP1", then the offset of the first message not acknowledged (8 bytes, big-endian).
constexpr char Mark[4] = {'Z', 'S', 'P', '1'};
constexpr qint64 HeadAt = sizeof Mark;
constexpr qint64 HeaderSize = HeadAt + 8;
// A record: the body's length (4 bytes) and its CRC-16 (2 bytes), then the body: flags (1 byte, bit 0 =
// retained), the topic's length (2 bytes), the topic in UTF-8 and the payload.
constexpr qint64 RecordHeaderSize = 6;
constexpr qint64 BodyHeaderSize = 3;
// With nothing waiting the rewrite is a header alone, so it comes sooner than the bound would ask.
constexpr qint64 EmptyCompactBytes = 64 * 1024;

QByteArray Header(qint64 head) {
    QByteArray header(Mark, sizeof Mark);
    header.resize(HeaderSize);
    qToBigEndian<quint64>(quint64(head), header.data() + HeadAt);
    return header;
}

int OpenSpoolFile(const QString& path, QString* error) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && error) *error = settingsfile::SystemErrorText(errno);
    return fd;
}

} // namespace

MqttSpool::~MqttSpool() {
    Close();
}

void MqttSpool::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

QByteArray MqttSpool::EncodeRecord(const QString& topic, const QByteArray& payload, bool retained) {
    const QByteArray topicBytes = topic.toUtf8().left(0xFFFF);
    QByteArray record(RecordHeaderSize + BodyHeaderSize, Qt::Uninitialized);
    record[RecordHeaderSize] = char(retained ? 1 : 0);
    qToBigEndian<quint16>(quint16(topicBytes.size()), record.data() + RecordHeaderSize + 1);
    record += topicBytes;
    record += payload;
    const QByteArrayView body = QByteArrayView(record).sliced(RecordHeaderSize);
    qToBigEndian<quint32>(quint32(body.size()), record.data());
    qToBigEndian<quint16>(qChecksum(body), record.data() + 4);
    return record;
}

bool MqttSpool::Open(const QString& folder, qint64 maxBytes, QString* error) {
    Close();
    m_messages.clear();
    m_bytes = 0;
    m_dropped = 0;
    m_writeFailures = 0;
    m_maxBytes = qMax<qint64>(maxBytes, 1);
    m_path = QDir(folder).filePath(QStringLiteral("spool.dat"));
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    QFile existing(m_path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            if (error) *error = existing.errorString();
            return false;
        }
        QString why;
        if (Load(existing.readAll(), &why)) {
            m_fd = OpenSpoolFile(m_path, error);
            if (m_fd < 0) return false;
            if (existing.size() > m_fileSize) {
                qCWarning(lcGateway).noquote() << "spool" << m_path << "ends in a broken record after"
                                               << m_messages.size() << "messages; it is cut off there";
                if (::ftruncate(m_fd, m_fileSize) != 0)
                    WriteFailed(QStringLiteral("cutting off"), settingsfile::SystemErrorText(errno));
            }
            while (m_bytes > m_maxBytes && m_messages.size() > 1)
                DropFront();
            qCDebug(lcGateway).noquote() << "spool" << m_path << "holds" << m_messages.size() << "messages";
            return true;
        }
        qCWarning(lcGateway).noquote() << m_path << why << "- moved aside, a new spool begins";
        m_messages.clear();
        m_bytes = 0;
        QFile::remove(m_path + QStringLiteral(".bad"));
        QFile::rename(m_path, m_path + QStringLiteral(".bad"));
    }
    if (!settingsfile::WriteFileSafely(m_path, Header(HeaderSize), error)) return false;
    m_head = m_fileSize = HeaderSize;
    m_fd = OpenSpoolFile(m_path, error);
    return m_fd >= 0;
}

bool MqttSpool::Load(const QByteArray& file, QString* error) {
    if (file.size() < HeaderSize || !file.startsWith(QByteArrayView(Mark, sizeof Mark))) {
        *error = QStringLiteral("is not a spool");
        return false;
    }
    m_head = qint64(qFromBigEndian<quint64>(file.constData() + HeadAt));
    // Only a damaged file points outside itself; reading it all again may repeat messages, not lose any.
    if (m_head < HeaderSize || m_head > file.size()) m_head = HeaderSize;
    qint64 at = m_head;
    while (at + RecordHeaderSize <= file.size()) {
        const qint64 bodySize = qFromBigEndian<quint32>(file.constData() + at);
        const qint64 end = at + RecordHeaderSize + bodySize;
        if (bodySize < BodyHeaderSize || end > file.size()) break;
        const QByteArrayView body(file.constData() + at + RecordHeaderSize, bodySize);
        if (qChecksum(body) != qFromBigEndian<quint16>(file.constData() + at + 4)) break;
        const qint64 topicSize = qFromBigEndian<quint16>(body.data() + 1);
        if (BodyHeaderSize + topicSize > bodySize) break;
        Message message{QString::fromUtf8(body.sliced(BodyHeaderSize, topicSize)),
                        body.sliced(BodyHeaderSize + topicSize).toByteArray(), (body[0] & 1) != 0,
                        m_nextSequence++};
        m_messages.push_back({std::move(message), end - at, end});
        m_bytes += end - at;
        at = end;
    }
    m_fileSize = at;
    return true;
}

void MqttSpool::Append(const QString& topic, const QByteArray& payload, bool retained) {
    const QByteArray record = EncodeRecord(topic, payload, retained);
    while (!m_messages.empty() && m_bytes + record.size() > m_maxBytes)
        DropFront();
    QString why;
    bool written = false;
    if (m_fd < 0) {
        why = QStringLiteral("the spool file is not open");
    } else if (::lseek(m_fd, m_fileSize, SEEK_SET) < 0) {
        why = settingsfile::SystemErrorText(errno);
    } else if (!settingsfile::WriteFully(m_fd, record, &why)) {
        // A part of the record may be in the file: take it out again, or the next record would follow it.
        if (::ftruncate(m_fd, m_fileSize) != 0) Close();
    } else {
        written = true;
        m_fileSize += record.size();
        m_failing = false;
    }
    if (!written) WriteFailed(QStringLiteral("appending a message"), why);
    m_messages.push_back({{topic, payload, retained, m_nextSequence++}, record.size(), m_fileSize});
    m_bytes += record.size();
}

void MqttSpool::PopFront() {
    if (m_messages.empty()) return;
    m_dropping = false;
    Advance(m_messages.front().end);
}

void MqttSpool::DropFront() {
    ++m_dropped;
    if (!m_dropping)
        qCWarning(lcGateway).noquote()
            << "spool full at" << m_maxBytes << "bytes: dropping the oldest messages";
    m_dropping = true;
    Advance(m_messages.front().end);
}

void MqttSpool::Advance(qint64 head) {
    m_bytes -= m_messages.front().size;
    m_messages.pop_front();
    m_head = head;
    if (m_fd < 0) return;
    char bytes[8];
    qToBigEndian<quint64>(quint64(head), bytes);
    QString why;
    if (::lseek(m_fd, HeadAt, SEEK_SET) < 0)
        WriteFailed(QStringLiteral("moving the head"), settingsfile::SystemErrorText(errno));
    else if (!settingsfile::WriteFully(m_fd, QByteArrayView(bytes, sizeof bytes), &why))
        WriteFailed(QStringLiteral("moving the head"), why);
    CompactIfLarge();
}

void MqttSpool::CompactIfLarge() {
    const qint64 acknowledged = m_head - HeaderSize;
    if (acknowledged < (m_messages.empty() ? qMin(EmptyCompactBytes, m_maxBytes / 2) : m_maxBytes / 2))
        return;
    // Messages that could not be written before get their place in the file now.
    QByteArray file = Header(HeaderSize);
    for (const Entry& entry : m_messages)
        file += EncodeRecord(entry.message.topic, entry.message.payload, entry.message.retained);
    QString why;
    if (!settingsfile::WriteFileSafely(m_path, file, &why)) {
        WriteFailed(QStringLiteral("rewriting"), why);
        return;
    }
    Close();
    m_fd = OpenSpoolFile(m_path, &why);
    if (m_fd < 0) WriteFailed(QStringLiteral("reopening"), why);
    qint64 end = HeaderSize;
    for (Entry& entry : m_messages)
        entry.end = end += entry.size;
    m_head = HeaderSize;
    m_fileSize = end;
    qCDebug(lcGateway).noquote() << "spool rewritten without" << acknowledged << "acknowledged bytes";
}

void MqttSpool::WriteFailed(const QString& what, const QString& reason) {
    ++m_writeFailures;
    // Once per run of failures: a full disk would otherwise fill the log as well.
    if (!m_failing)
        qCWarning(lcGateway).noquote() << "spool" << m_path << what << "failed:" << reason;
    else
        qCDebug(lcGateway).noquote() << "spool" << m_path << what << "failed:" << reason;
    m_failing = true;
}

} // namespace zeph::gateway
