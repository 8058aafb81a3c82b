// SPDX-License-Identifier: MIT
// How counter values and intervals read as text: "# ### ### ##0", and "-" for an input with no interval.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <QtGlobal>

namespace zeph::counters {

// "# ### ### ##0": groups of three digits from the right, one blank between groups.
QString FormatCounterValue(quint32 value);
// The interval as text: "-" when there is no interval.
QString IntervalText(quint32 value);

// The device's error flags 0 to 7 by the English captions the window shows them with ("Invalid settings",
// "Invalid counted values", ...), the same for the current and the latched flags.
QStringList ErrorFlagCaptions(std::uint8_t flags);

} // namespace zeph::counters
