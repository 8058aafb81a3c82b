// SPDX-License-Identifier: MIT
// The counter log: every counter report the window shows, one CSV line each, in the columns the
// command-line tool prints. Each line is flushed as it is written, so a crash loses nothing written.
#pragma once

#include "counters/CounterCsv.h"

#include <QFile>
#include <QString>

#include <optional>

namespace zeph::app {

class CounterLog {
public:
    // Starts a new file (an existing one is replaced) with the header line; false with the reason when
    // it cannot be written.
    bool Start(const QString& path, QString* error);
    // Appends the report's line; its rates count from the line before. False with the reason when the
    // line cannot be written; the log is then stopped.
    bool Write(const counters::TimedReport& report, QString* error);
    void Stop();

    bool IsRecording() const { return m_file.isOpen(); }
    QString Path() const { return m_file.fileName(); }
    int Rows() const { return m_rows; }

private:
    bool WriteLine(const QString& line, QString* error);

    QFile m_file;
    std::optional<counters::TimedReport> m_previous;
    int m_rows = 0;
};

} // namespace zeph::app
