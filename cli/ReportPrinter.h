// SPDX-License-Identifier: MIT
// The counter reports as a script reads them: plain text for people, the shared CSV columns, or one JSON
// object a line; pulse rates are counted from the report before.
#pragma once

#include "cli/CommandLine.h"
#include "counters/CounterCsv.h"

#include <QJsonObject>

#include <optional>

namespace zeph::cli {

class ReportPrinter {
public:
    explicit ReportPrinter(ReportFormat format)
        : m_format(format) {}

    // The lines for the next report, line ends included; the CSV header comes with the first one.
    QString Next(const counters::TimedReport& report);

private:
    ReportFormat m_format;
    std::optional<counters::TimedReport> m_previous;
};

// The report as a block of text lines.
QString ReportText(const counters::TimedReport& report, const std::optional<counters::TimedReport>& previous);

// {"time": ..., "inputs": [{"input": 1, "counter": 5, "interval_ms": 2000, "rate": 0.5, "active": true,
// "namur_open": false, "namur_short": false, "time_limit": false, "overflow": false}, ...],
// "current_errors": 0, "latched_errors": 0, "current_error_flags": [...], "latched_error_flags": [...],
// "data_source": "EEPROM1", "data_source_code": 11}
QJsonObject ReportJson(const counters::TimedReport& report,
                       const std::optional<counters::TimedReport>& previous);

} // namespace zeph::cli
