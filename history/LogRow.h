// SPDX-License-Identifier: MIT
// A counter log's lines read straight from their bytes: a week's log has some three million lines, too
// many to make text of each. The columns are those of counters::CounterCsvHeader.
#pragma once

#include "history/HistoryTypes.h"

#include <QString>

#include <optional>

namespace zeph::history {

// 33 columns: time, counter_N, interval_ms_N and rate_N for eight inputs, eight flag bytes.
constexpr int LogColumnCount = 1 + 3 * InputCount + 8;
constexpr int LogOverflowColumn = 1 + 3 * InputCount + 3; // 0-based, "overflow"

// 2026-12-08T06:06:32.123+01:00 (milliseconds optional, Z for UTC): milliseconds since the epoch.
std::optional<qint64> ParseLogTime(const char* begin, const char* end);

// Whether the line is the header the counter log writes (a CR before its end allowed).
bool IsLogHeader(const char* begin, const char* end);

struct LogRowError {
    int column = 0; // 1-based
    QString reason;
};

// Reads a data line (without its line end; a CR before it is allowed) into row; the time is read only
// when withTime. Every column is checked, the counters and the overflow flags are kept.
std::optional<LogRowError> ParseLogRow(const char* begin, const char* end, Row& row, bool withTime = true);

// "column 5 (counter_2)".
QString LogColumnText(int column);

} // namespace zeph::history
