// SPDX-License-Identifier: MIT
// The in-memory line.
#include "line/MemoryLine.h"

namespace zeph::line {

MemoryLine::MemoryLine(const QString& name, QObject* parent)
    : Line(parent)
    , m_name(name) {}

bool MemoryLine::Open() {
    ClearError();
    if (!m_refusal.isEmpty()) return Fail(LineError::Kind::CannotOpen, m_refusal);
    m_open = true;
    return true;
}

void MemoryLine::Close() {
    m_open = false;
}

bool MemoryLine::Write(const QByteArray& characters) {
    if (!m_open) return Fail(LineError::Kind::WriteFailed, QStringLiteral("the line is closed"));
    m_writes.append(characters);
    emit Wrote(characters);
    return true;
}

void MemoryLine::Feed(const QByteArray& characters) {
    if (m_open && !characters.isEmpty()) emit Received(characters);
}

void MemoryLine::HangUpNow() {
    if (m_open) emit HungUp();
}

} // namespace zeph::line
