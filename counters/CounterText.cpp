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

} // namespace zeph::counters
