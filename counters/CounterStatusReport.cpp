// SPDX-License-Identifier: MIT
// Decoding of the counter/status report and the formatting of its values.
#include "counters/CounterStatusReport.h"

#include <algorithm>

namespace zeph::counters {

namespace {
// Positions counted from 1, status byte at 1, as the device documents them.
constexpr int FirstCounterPosition = 7;
constexpr int FirstIntervalPosition = 39;

quint32 UInt32At(std::span<const std::uint8_t, CounterStatusReportSize> payload, int position) {
    const std::size_t i = std::size_t(position - 1);
    return quint32(payload[i]) | quint32(payload[i + 1]) << 8 | quint32(payload[i + 2]) << 16 |
           quint32(payload[i + 3]) << 24;
}
} // namespace

CounterStatusReport DecodeCounterStatusReport(std::span<const std::uint8_t> answer) {
    std::array<std::uint8_t, CounterStatusReportSize> payload{};
    std::copy_n(answer.begin(), std::min(answer.size(), payload.size()), payload.begin());
    CounterStatusReport report;
    report.status = payload[0];
    report.activity = payload[1];
    report.namurOpen = payload[2];
    report.namurShort = payload[3];
    report.timeLimit = payload[4];
    report.overflow = payload[5];
    for (int k = 0; k < 8; ++k) {
        report.counters[k] = UInt32At(payload, FirstCounterPosition + 4 * k);
        report.intervals[k] = UInt32At(payload, FirstIntervalPosition + 4 * k);
    }
    report.currentErrors = payload[70];
    report.latchedErrors = payload[71];
    report.dataSource = payload[72];
    return report;
}

QString ErrorFlagCaption(int bit) {
    static constexpr const char* captions[8] = {
        "Invalid settings",  "Invalid counted values", "8.2 V NAMUR power error", "MODBUS module error",
        "Not MODBUS module", "NAMUR input error",      "Counter > 4 billions",    "Time > max. enabled"};
    return bit >= 0 && bit < 8 ? QString::fromLatin1(captions[bit]) : QString();
}

QString FormatCounterValue(quint32 value) {
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(' '));
    return digits;
}

QString IntervalText(quint32 value) {
    return value == NoInterval ? QStringLiteral("-") : FormatCounterValue(value);
}

int CounterFontPointSize(quint32 value) {
    return value >= 1000000 ? 8 : 12;
}

bool ShowFirstInitialization(std::uint8_t currentErrors) {
    return (currentErrors & 0x03) != 0;
}

} // namespace zeph::counters
