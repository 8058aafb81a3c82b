// SPDX-License-Identifier: MIT
// The audit trail of commissioning runs: JSON lines, appended across runs, one record per write, preset
// and first initialization. Each record carries in "previous_sha256" the SHA-256 of the previous line's
// bytes (without its line feed; 64 zeros for the first), so a record changed, removed or moved breaks
// the chain at the record after it, and the hash of the last line, kept elsewhere, covers the end.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace zeph::commissioning {

// The hash the first record points back to.
QByteArray FirstPreviousHash();

class AuditLog {
public:
    // A log at path; nothing is read or written until Open.
    explicit AuditLog(QString path);

    // Reads how the log ends (its record count and last hash), creating no file; false with the reason,
    // also when its chain does not verify.
    bool Open(QString* error);
    // Appends the record with the chain's hash added, written whole and synced; false with the reason,
    // and the log then ends as before.
    bool Append(QJsonObject record, QString* error);

    int RecordCount() const { return m_records; }
    // The SHA-256 (hex) of the last line; FirstPreviousHash() while the log is empty.
    QByteArray LastHash() const { return m_lastHash; }
    QString Path() const { return m_path; }

private:
    QString m_path;
    int m_records = 0;
    QByteArray m_lastHash;
};

struct AuditCheck {
    int records = 0;
    QByteArray lastHash;
    // With an expected hash found: the records appended after the one it names (by later runs).
    int recordsAfterExpected = 0;
    // "line 7: ..." for every break found; empty when the chain holds.
    QStringList problems;
    bool Holds() const { return problems.isEmpty(); }
};

// Checks the chain of a log's bytes; with expectedLastHash (the last hash a run gave out), also that a
// line of that hash is there, so records cut from the end, or a changed last record, are found. Records
// appended after it by later runs are counted, not taken for a fault.
AuditCheck VerifyAuditLog(const QByteArray& bytes, const QByteArray& expectedLastHash = {});

} // namespace zeph::commissioning
