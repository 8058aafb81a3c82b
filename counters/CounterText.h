// SPDX-License-Identifier: MIT
// How counter values and intervals read as text: "# ### ### ##0", and "-" for an input with no interval.
#pragma once

#include <QString>
#include <QtGlobal>

namespace zeph::counters {

// "# ### ### ##0": groups of three digits from the right, one blank between groups.
QString FormatCounterValue(quint32 value);
// The interval as text: "-" when there is no interval.
QString IntervalText(quint32 value);

} // namespace zeph::counters
