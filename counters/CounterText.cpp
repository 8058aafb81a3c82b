// SPDX-License-Identifier: MIT
// The counter value and interval texts.
#include "counters/CounterText.h"

#include "device/DevicePayloads.h"

namespace zeph::counters {

QString FormatCounterValue(quint32 value) {
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(' '));
    return digits;
}

QString IntervalText(quint32 value) {
    return value == device::NoInterval ? QStringLiteral("-") : FormatCounterValue(value);
}

QStringList ErrorFlagCaptions(std::uint8_t flags) {
    static constexpr const char* names[8] = {
        "Invalid settings",  "Invalid counted values", "8.2 V NAMUR power error", "MODBUS module error",
        "Not MODBUS module", "NAMUR input error",      "Counter > 4 billions",    "Time > max. enabled"};
    QStringList captions;
    for (int bit = 0; bit < 8; ++bit)
        if (flags & (1u << bit)) captions << QLatin1String(names[bit]);
    return captions;
}

} // namespace zeph::counters
