// SPDX-License-Identifier: MIT
// Counter reports in the three formats.
#include "cli/ReportPrinter.h"

#include "counters/CounterText.h"
#include "session/SettingsJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace zeph::cli {

namespace {

using device::InputFlag;

std::optional<double> RateOf(int input, const counters::TimedReport& report,
                             const std::optional<counters::TimedReport>& previous) {
    if (!previous) return std::nullopt;
    return counters::PulseRate(previous->report.counters[input], report.report.counters[input],
                               previous->time.msecsTo(report.time));
}

struct InputFlagName {
    std::uint8_t device::CounterStatusReport::*flags;
    const char* name; // the CSV column's name
};
constexpr InputFlagName InputFlagNames[] = {
    {&device::CounterStatusReport::activity, "active"},
    {&device::CounterStatusReport::namurOpen, "namur_open"},
    {&device::CounterStatusReport::namurShort, "namur_short"},
    {&device::CounterStatusReport::timeLimit, "time_limit"},
    {&device::CounterStatusReport::overflow, "overflow"},
};

QString ErrorLine(const char* title, std::uint8_t flags) {
    return QStringLiteral("%1  0x%2  %3\n")
        .arg(QLatin1String(title), -14)
        .arg(flags, 2, 16, QLatin1Char('0'))
        .arg(flags ? counters::ErrorFlagCaptions(flags).join(QStringLiteral(", ")) : QStringLiteral("none"));
}

} // namespace

QString ReportText(const counters::TimedReport& timed, const std::optional<counters::TimedReport>& previous) {
    const device::CounterStatusReport& report = timed.report;
    QString text = QStringLiteral("time            %1\n").arg(counters::CsvTime(timed.time));
    text += QStringLiteral("input      counter  interval_ms      rate  flags\n");
    for (int k = 0; k < 8; ++k) {
        QStringList flags;
        for (const InputFlagName& flag : InputFlagNames)
            if (InputFlag(report.*flag.flags, k)) flags << QLatin1String(flag.name);
        const std::optional<double> rate = RateOf(k, timed, previous);
        text += QStringLiteral("IN%1  %2  %3  %4  %5")
                    .arg(k + 1)
                    .arg(report.counters[k], 11)
                    .arg(report.intervals[k] == device::NoInterval ? QStringLiteral("-")
                                                                   : QString::number(report.intervals[k]),
                         11)
                    .arg(rate ? QString::number(*rate, 'f', 3) : QStringLiteral("-"), 8)
                    .arg(flags.join(QLatin1Char(' ')))
                    .trimmed() +
                QLatin1Char('\n');
    }
    text += ErrorLine("current errors", report.currentErrors);
    text += ErrorLine("latched errors", report.latchedErrors);
    const std::optional<QString> source = session::DataSourceName(report.dataSource);
    text += QStringLiteral("data source     %1 (%2)\n")
                .arg(source.value_or(QStringLiteral("unknown")))
                .arg(report.dataSource);
    return text;
}

QJsonObject ReportJson(const counters::TimedReport& timed,
                       const std::optional<counters::TimedReport>& previous) {
    const device::CounterStatusReport& report = timed.report;
    QJsonArray inputs;
    for (int k = 0; k < 8; ++k) {
        const std::optional<double> rate = RateOf(k, timed, previous);
        QJsonObject input{{"input", k + 1},
                          {"counter", qint64(report.counters[k])},
                          {"interval_ms", report.intervals[k] == device::NoInterval
                                              ? QJsonValue()
                                              : QJsonValue(qint64(report.intervals[k]))},
                          {"rate", rate ? QJsonValue(*rate) : QJsonValue()}};
        for (const InputFlagName& flag : InputFlagNames)
            input[QLatin1String(flag.name)] = InputFlag(report.*flag.flags, k);
        inputs.append(input);
    }
    const std::optional<QString> source = session::DataSourceName(report.dataSource);
    return QJsonObject{{"time", counters::CsvTime(timed.time)},
                       {"inputs", inputs},
                       {"current_errors", report.currentErrors},
                       {"latched_errors", report.latchedErrors},
                       {"current_error_flags",
                        QJsonArray::fromStringList(counters::ErrorFlagCaptions(report.currentErrors))},
                       {"latched_error_flags",
                        QJsonArray::fromStringList(counters::ErrorFlagCaptions(report.latchedErrors))},
                       {"data_source", source ? QJsonValue(*source) : QJsonValue()},
                       {"data_source_code", report.dataSource}};
}

QString ReportPrinter::Next(const counters::TimedReport& report) {
    QString text;
    switch (m_format) {
    case ReportFormat::Text:
        text = (m_previous ? QStringLiteral("\n") : QString()) + ReportText(report, m_previous);
        break;
    case ReportFormat::Csv:
        if (!m_previous) text = counters::CounterCsvHeader() + QLatin1Char('\n');
        text += counters::CounterCsvRow(report, m_previous) + QLatin1Char('\n');
        break;
    case ReportFormat::Json:
        text =
            QString::fromUtf8(QJsonDocument(ReportJson(report, m_previous)).toJson(QJsonDocument::Compact)) +
            QLatin1Char('\n');
        break;
    }
    m_previous = report;
    return text;
}

} // namespace zeph::cli
