// SPDX-License-Identifier: MIT
// The counter reports as CSV lines, one per report: the columns the command-line tool prints and the
// window's counter log writes, defined once here.
#pragma once

#include "device/DevicePayloads.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace zeph::counters {

// A report with the moment it was shown.
struct TimedReport {
    QDateTime time;
    device::CounterStatusReport report;
};

// "time", then counter_N,interval_ms_N,rate_N for inputs 1..8, then namur_open, namur_short, time_limit,
// overflow, activity, current_errors, latched_errors, data_source.
QString CounterCsvHeader();

// One line, without its line end. rate_N is the pulses per second since previous; it is empty on the
// first line and when the counter went down (a preset, a device restart). interval_ms_N is empty when
// the input has no interval. The time is ISO 8601 with milliseconds and the UTC offset.
QString CounterCsvRow(const TimedReport& row, const std::optional<TimedReport>& previous);

// Pulses per second between two readings of one counter, or nothing when it cannot be told (no time
// between them, or the counter went down).
std::optional<double> PulseRate(quint32 before, quint32 after, qint64 elapsedMs);

// The time as the CSV writes it: 2026-12-08T06:06:32.123+01:00.
QString CsvTime(const QDateTime& time);

} // namespace zeph::counters
