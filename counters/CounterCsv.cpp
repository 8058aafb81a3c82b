// SPDX-License-Identifier: MIT
// Writing counter reports as CSV lines.
#include "counters/CounterCsv.h"

#include <QStringList>

namespace zeph::counters {

QString CounterCsvHeader() {
    QStringList columns{QStringLiteral("time")};
    for (int n = 1; n <= 8; ++n)
        columns << QStringLiteral("counter_%1").arg(n) << QStringLiteral("interval_ms_%1").arg(n)
                << QStringLiteral("rate_%1").arg(n);
    columns << QStringLiteral("namur_open") << QStringLiteral("namur_short") << QStringLiteral("time_limit")
            << QStringLiteral("overflow") << QStringLiteral("activity") << QStringLiteral("current_errors")
            << QStringLiteral("latched_errors") << QStringLiteral("data_source");
    return columns.join(QLatin1Char(','));
}

std::optional<double> PulseRate(quint32 before, quint32 after, qint64 elapsedMs) {
    if (elapsedMs <= 0 || after < before) return std::nullopt;
    return double(after - before) * 1000.0 / double(elapsedMs);
}

QString CsvTime(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString CounterCsvRow(const TimedReport& row, const std::optional<TimedReport>& previous) {
    const device::CounterStatusReport& report = row.report;
    QStringList fields{CsvTime(row.time)};
    for (int k = 0; k < 8; ++k) {
        fields << QString::number(report.counters[k]);
        fields << (report.intervals[k] == device::NoInterval ? QString()
                                                             : QString::number(report.intervals[k]));
        std::optional<double> rate;
        if (previous)
            rate =
                PulseRate(previous->report.counters[k], report.counters[k], previous->time.msecsTo(row.time));
        fields << (rate ? QString::number(*rate, 'f', 3) : QString());
    }
    for (const std::uint8_t flags :
         {report.namurOpen, report.namurShort, report.timeLimit, report.overflow, report.activity,
          report.currentErrors, report.latchedErrors, report.dataSource})
        fields << QString::number(flags);
    return fields.join(QLatin1Char(','));
}

} // namespace zeph::counters
