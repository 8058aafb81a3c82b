// SPDX-License-Identifier: MIT
// Writing the counter log.
#include "app/CounterLog.h"

namespace zeph::app {

bool CounterLog::Start(const QString& path, QString* error) {
    Stop();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = m_file.errorString();
        return false;
    }
    m_rows = 0;
    m_previous.reset();
    return WriteLine(counters::CounterCsvHeader(), error);
}

bool CounterLog::Write(const counters::TimedReport& report, QString* error) {
    if (!IsRecording()) return false;
    if (!WriteLine(counters::CounterCsvRow(report, m_previous), error)) return false;
    m_previous = report;
    ++m_rows;
    return true;
}

bool CounterLog::WriteLine(const QString& line, QString* error) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    // Flushed at once: the operating system keeps what the program handed over even if it crashes.
    if (m_file.write(bytes) != bytes.size() || !m_file.flush()) {
        if (error) *error = m_file.errorString();
        Stop();
        return false;
    }
    return true;
}

void CounterLog::Stop() {
    if (m_file.isOpen()) m_file.close();
}

} // namespace zeph::app
