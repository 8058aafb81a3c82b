// SPDX-License-Identifier: MIT
// A line in memory, for tests of the session and the engine that need no pseudo-terminal: what the
// session writes is kept and announced, and the test plays the device by feeding characters back.
#pragma once

#include "line/Line.h"

#include <QList>
#include <QPair>

namespace zeph::line {

class MemoryLine : public Line {
    Q_OBJECT
public:
    explicit MemoryLine(const QString& name = QStringLiteral("memory"), QObject* parent = nullptr);

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_open; }
    bool Write(const QByteArray& characters) override;
    QString Name() const override { return m_name; }
    QString Settings() const override { return QStringLiteral("19200 8N1"); }
    int CharacterTimeNs() const override { return 520833; } // 19200 8N1
    int AllowanceMs() const override { return m_allowanceMs; }
    void ExpectAnswer(int characters, qint64 deadlineUs) override { m_expected = {characters, deadlineUs}; }

    // ---- the test's side
    // Characters from the device; nothing arrives while the line is closed.
    void Feed(const QByteArray& characters);
    // The device end goes away.
    void HangUpNow();
    // The next Open fails with this reason (an empty one lets it succeed again).
    void RefuseOpen(const QString& reason) { m_refusal = reason; }
    void SetAllowanceMs(int ms) { m_allowanceMs = ms; }
    // Everything written so far, one entry per write.
    const QList<QByteArray>& Writes() const { return m_writes; }
    // The latest answer announced: its characters and when it is due.
    QPair<int, qint64> ExpectedAnswer() const { return m_expected; }

signals:
    // The session wrote these characters.
    void Wrote(const QByteArray& characters);

private:
    QString m_name;
    QString m_refusal;
    QList<QByteArray> m_writes;
    int m_allowanceMs = 0;
    QPair<int, qint64> m_expected{0, 0};
    bool m_open = false;
};

} // namespace zeph::line
