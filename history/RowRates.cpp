// SPDX-License-Identifier: MIT
// Rates and marks of rows.
#include "history/RowRates.h"

namespace zeph::history {

RowStep RowRates::Take(const Row& row) {
    device::CounterStatusReport report;
    report.counters = row.counters;
    report.overflow = row.overflow;
    std::array<quint64, InputCount> before{};
    for (int n = 0; n < InputCount; ++n)
        before[std::size_t(n)] = m_totals.Total(n);
    const auto steps = m_totals.Take(report);

    RowStep step;
    step.elapsedMs = m_previousMs ? row.timeMs - *m_previousMs : 0;
    const bool rated = m_previousMs && !row.gapBefore && step.elapsedMs > 0;
    m_previousMs = row.timeMs;
    for (int n = 0; n < InputCount; ++n) {
        const std::size_t k = std::size_t(n);
        step.marks[k] = steps[k] == counters::TotalStep::Wrapped   ? WrapMark
                        : steps[k] == counters::TotalStep::Dropped ? DropMark
                                                                   : NoMark;
        if (!rated || step.marks[k] == DropMark) continue;
        step.pulses[k] = double(m_totals.Total(n) - before[k]);
        step.rates[k] = step.pulses[k] * 1000.0 / double(step.elapsedMs);
    }
    return step;
}

} // namespace zeph::history
