// SPDX-License-Identifier: MIT
// When a stretch without readings is a gap. A failed read writes no row, so in a log a gap is a stretch
// between rows longer than three times the usual (median) interval and at least two seconds; shorter
// stretches are the pace's own jitter and are drawn as lines.
#pragma once

#include <QtGlobal>

#include <vector>

namespace zeph::history {

constexpr qint64 MinimumGapMs = 2000;

bool IsGap(qint64 intervalMs, qint64 medianIntervalMs);

// The median of the intervals (the lower middle one of an even count); 0 for none. Reorders them.
qint64 MedianInterval(std::vector<qint32>& intervalsMs);

} // namespace zeph::history
