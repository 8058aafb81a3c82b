// SPDX-License-Identifier: MIT
// The counter log: every counter report the window shows, one CSV line each, in the columns the
// command-line tool prints. Each line is handed to the system as it is written, so a crash loses nothing
// written, and a line that cannot be written whole is taken back out.
#pragma once

#include "counters/CounterCsv.h"

#include <QString>

#include <optional>

namespace zeph::app {

class CounterLog {
public:
    CounterLog() = default;
    CounterLog(const CounterLog&) = delete;
    CounterLog& operator=(const CounterLog&) = delete;
    ~CounterLog() { Stop(); }

    // Starts a new file (an existing one is emptied) with the header line; false with the reason when it
    // cannot be written. A link is followed only as a save follows it (settingsfile/SafeFile.h).
    bool Start(const QString& path, QString* error);
    // Appends the report's line; its rates count from the line before. False with the system's reason
    // when the line cannot be written: the file is then cut back to its last whole line and the log is
    // stopped.
    bool Write(const counters::TimedReport& report, QString* error);
    void Stop();

    bool IsRecording() const { return m_fd >= 0; }
    // The file of the latest Start, also after the log has stopped.
    QString Path() const { return m_path; }
    int Rows() const { return m_rows; }

private:
    bool WriteLine(const QString& line, QString* error);

    // A plain descriptor: after a partial write the system's reason is known exactly, and the file can
    // be cut back to the length it had.
    int m_fd = -1;
    QString m_path;
    qint64 m_length = 0; // bytes of whole lines written
    std::optional<counters::TimedReport> m_previous;
    int m_rows = 0;
};

} // namespace zeph::app
