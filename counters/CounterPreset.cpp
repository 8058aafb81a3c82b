// SPDX-License-Identifier: MIT
// Building the counter-preset payload text.
#include "counters/CounterPreset.h"

#include "device/NumberCheck.h"

#include <QStringList>

namespace zeph::counters {

quint32 PresetValue(const QString& text, const QLocale& locale) {
    return device::LowBits32(device::ParseUserNumber(text, locale).value_or(0));
}

device::NumberCheckResult CheckPresetValue(const QString& text, const QLocale& locale,
                                           const QString& caption) {
    return device::CheckNumberInRange(text, 0, double(MaxPresetValue), locale, caption);
}

QString CounterPresetPayload(const PresetSelection& selected) {
    unsigned mask = 0;
    QStringList values;
    for (int k = 0; k < 8; ++k) {
        if (selected[k]) {
            mask |= 1u << k;
            values << device::FormatUInt32Bytes(*selected[k]);
        } else {
            values << QStringLiteral("0,0,0,0");
        }
    }
    return QStringLiteral("4,6,%1,").arg(mask) + values.join(QLatin1Char(','));
}

} // namespace zeph::counters
