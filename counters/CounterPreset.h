// SPDX-License-Identifier: MIT
// The counter-preset request: which counters are set and to what, as the payload text the engine sends.
#pragma once

#include "device/NumberCheck.h"

#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace zeph::counters {

// The largest value a counter can be preset to; the counters themselves run up to 4294967295.
constexpr quint32 MaxPresetValue = 3999999999u;

// The counters chosen for presetting, input 1 first, each with its new value; an empty entry leaves its
// counter alone.
using PresetSelection = std::array<std::optional<quint32>, 8>;

// The value a checked preset field stands for: its number rounded half to even, low 32 bits; an unusable
// text stands for 0 (a field is checked before it can be selected).
quint32 PresetValue(const QString& text, const QLocale& locale);

// The check of a preset field when its counter is selected: a number from 0 to MaxPresetValue.
device::NumberCheckResult CheckPresetValue(const QString& text, const QLocale& locale,
                                           const QString& caption);

// "4,6,<mask>" and eight groups of four value bytes, least significant first; an unselected counter
// (no value) sends four zeros and leaves its mask bit clear.
QString CounterPresetPayload(const PresetSelection& selected);

} // namespace zeph::counters
