// SPDX-License-Identifier: MIT
// A counter's new value as typed in its preset field: checked and rounded as the window's fields are.
#pragma once

#include "device/NumberCheck.h"

#include <QLocale>
#include <QString>
#include <QtGlobal>

namespace zeph::counters {

// The value a checked preset field stands for: its number rounded half to even, low 32 bits; an unusable
// text stands for 0 (a field is checked before it can be selected).
quint32 PresetValue(const QString& text, const QLocale& locale);

// The check of a preset field when its counter is selected: a number from 0 to MaxPresetValue.
device::NumberCheckResult CheckPresetValue(const QString& text, const QLocale& locale,
                                           const QString& caption);

} // namespace zeph::counters
