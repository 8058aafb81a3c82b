// SPDX-License-Identifier: MIT
// Each row's rate from the row before and what its counters did, by the rule of counters::CounterTotals:
// a wrap counts the pulses across it, a drop (a preset, lost counts) has no rate, nor has the first row
// after a gap.
#pragma once

#include "history/HistoryTypes.h"

#include "counters/CounterTotals.h"

#include <optional>

namespace zeph::history {

struct RowStep {
    std::array<std::optional<double>, InputCount> rates; // pulses per second
    std::array<std::uint8_t, InputCount> marks{};        // Mark
    qint64 elapsedMs = 0;                                // since the row before (0 for the first)
    std::array<double, InputCount> pulses{};             // counted since the row before, where rated
};

class RowRates {
public:
    RowStep Take(const Row& row);

private:
    counters::CounterTotals m_totals;
    std::optional<qint64> m_previousMs;
};

} // namespace zeph::history
