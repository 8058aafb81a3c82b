// SPDX-License-Identifier: MIT
// The gap rule.
#include "history/GapRule.h"

#include <algorithm>

namespace zeph::history {

bool IsGap(qint64 intervalMs, qint64 medianIntervalMs) {
    return intervalMs >= MinimumGapMs && intervalMs > 3 * medianIntervalMs;
}

qint64 MedianInterval(std::vector<qint32>& intervalsMs) {
    if (intervalsMs.empty()) return 0;
    const auto middle = intervalsMs.begin() + std::ptrdiff_t((intervalsMs.size() - 1) / 2);
    std::nth_element(intervalsMs.begin(), middle, intervalsMs.end());
    return *middle;
}

} // namespace zeph::history
