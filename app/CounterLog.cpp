// SPDX-License-Identifier: MIT
// Writing the counter log.
#include "app/CounterLog.h"

#include "settingsfile/SafeFile.h"

#include <unistd.h>

namespace zeph::app {

bool CounterLog::Start(const QString& path, QString* error) {
    Stop();
    m_path = path;
    m_fd = settingsfile::OpenFileForWriting(path, error);
    if (m_fd < 0) return false;
    m_length = 0;
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
    if (!settingsfile::WriteFully(m_fd, bytes, error)) {
        // A part of a line would read as a line of its own with wrong figures, and a full disk often
        // takes part of one. The log stops whether or not the cut succeeds (a FIFO cannot be cut).
        [[maybe_unused]] const int cut = ::ftruncate(m_fd, m_length);
        Stop();
        return false;
    }
    m_length += bytes.size();
    return true;
}

void CounterLog::Stop() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

} // namespace zeph::app
