// SPDX-License-Identifier: MIT
// The messages the broker has not acknowledged yet, kept in order in a file, so that readings outlive both
// a broker that is away and a process that is killed.
#pragma once

#include <QByteArray>
#include <QString>

#include <deque>

namespace zeph::gateway {

// One file, "spool.dat" in the folder: a header (a mark and the offset of the first message not yet
// acknowledged) and then the messages, appended one record each. A message is taken off by moving the
// offset past it; the file is rewritten without the acknowledged part once that part is large. The offset
// is written after the broker's acknowledgement, so a crash may send a message twice but never loses one.
class MqttSpool {
public:
    struct Message {
        QString topic;
        QByteArray payload;
        bool retained = false;
        quint64 sequence = 0; // numbered from 1 in the order taken, within this process
    };

    static constexpr qint64 DefaultMaxBytes = 16 * 1024 * 1024;

    MqttSpool() = default;
    ~MqttSpool();
    MqttSpool(const MqttSpool&) = delete;
    MqttSpool& operator=(const MqttSpool&) = delete;

    // Opens or creates the spool in folder and reads back what waits there. maxBytes bounds the messages
    // waiting (as their records take on disk). False with the reason when the file cannot be used; a file
    // that is not a spool is moved aside to "spool.dat.bad" and a new one begun.
    bool Open(const QString& folder, qint64 maxBytes, QString* error = nullptr);

    // Appends a message, dropping the oldest while the spool would go over its bound. A message whose
    // record cannot be written is kept in memory only (and counted in WriteFailures()).
    void Append(const QString& topic, const QByteArray& payload, bool retained);
    // The oldest message waiting, or nullptr.
    const Message* Front() const { return m_messages.empty() ? nullptr : &m_messages.front().message; }
    // Takes the oldest message off: the broker has it.
    void PopFront();

    qsizetype Depth() const { return qsizetype(m_messages.size()); }
    qint64 Bytes() const { return m_bytes; }
    // Messages dropped for room since Open().
    quint64 Dropped() const { return m_dropped; }
    // Writes to the spool's file that failed since Open(): appends, offset updates, rewrites.
    quint64 WriteFailures() const { return m_writeFailures; }
    QString FilePath() const { return m_path; }

    // The record of a message as it stands in the file.
    static QByteArray EncodeRecord(const QString& topic, const QByteArray& payload, bool retained);

private:
    struct Entry {
        Message message;
        qint64 size; // the record's bytes
        qint64 end;  // the file offset just past the record (past the previous one when not written)
    };
    void Close();
    bool Load(const QByteArray& file, QString* error);
    void DropFront();
    // Moves the head offset past the oldest message, in memory and in the file.
    void Advance(qint64 head);
    void CompactIfLarge();
    void WriteFailed(const QString& what, const QString& reason);

    QString m_path;
    int m_fd = -1;
    qint64 m_maxBytes = DefaultMaxBytes;
    qint64 m_fileSize = 0;
    qint64 m_head = 0;
    qint64 m_bytes = 0;
    quint64 m_nextSequence = 1;
    quint64 m_dropped = 0;
    quint64 m_writeFailures = 0;
    bool m_failing = false;  // the last write failed: the next failure is logged quietly
    bool m_dropping = false; // dropped since the last acknowledgement: the next drop is logged quietly
    std::deque<Entry> m_messages;
};

} // namespace zeph::gateway
