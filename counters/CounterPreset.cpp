// SPDX-License-Identifier: MIT
// Checking and reading a counter's preset field.
#include "counters/CounterPreset.h"

#include "device/DevicePayloads.h"
#include "device/NumberCheck.h"

namespace zeph::counters {

quint32 PresetValue(const QString& text, const QLocale& locale) {
    return device::LowBits32(device::ParseUserNumber(text, locale).value_or(0));
}

device::NumberCheckResult CheckPresetValue(const QString& text, const QLocale& locale,
                                           const QString& caption) {
    return device::CheckNumberInRange(text, 0, double(device::MaxPresetValue), locale, caption);
}

} // namespace zeph::counters
