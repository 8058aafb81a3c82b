// SPDX-License-Identifier: MIT
// Merging buckets, for a coarser view made from a finer one.
#include "history/HistoryTypes.h"

#include <algorithm>

namespace zeph::history {

void MergeInto(InputBucket& a, const InputBucket& b) {
    if (!b.readings) return;
    if (!a.readings) {
        a = b;
        return;
    }
    a.rateMin = std::min(a.rateMin, b.rateMin);
    a.rateMax = std::max(a.rateMax, b.rateMax);
    a.pulses += b.pulses;
    a.coveredMs += b.coveredMs;
    // What came before a's first mark stays a's; what comes after the last mark is b's when b has one.
    if (a.marks == NoMark) a.before.Take(b.before);
    if (b.marks == NoMark) {
        a.after.Take(b.before);
    } else {
        a.after = b.after;
    }
    a.marks |= b.marks;
    a.wraps = std::uint16_t(std::min(0xFFFF, a.wraps + b.wraps));
    a.drops = std::uint16_t(std::min(0xFFFF, a.drops + b.drops));
    if (b.HasRate()) a.lastRate = b.lastRate;
    a.lastReading = b.lastReading;
}

void MergeInto(Bucket& a, const Bucket& b) {
    a.rows += b.rows;
    for (int n = 0; n < InputCount; ++n)
        MergeInto(a.inputs[std::size_t(n)], b.inputs[std::size_t(n)]);
}

std::array<InputSummary, InputCount> Summarize(const std::vector<Bucket>& buckets) {
    std::array<InputSummary, InputCount> summary{};
    for (const Bucket& bucket : buckets) {
        for (int n = 0; n < InputCount; ++n) {
            const InputBucket& input = bucket.inputs[std::size_t(n)];
            InputSummary& s = summary[std::size_t(n)];
            if (!input.readings) continue;
            s.hasCounter = true;
            s.lastCounter = input.lastReading;
            s.wraps += input.wraps;
            s.drops += input.drops;
            if (!input.HasRate()) continue;
            s.minRate = s.hasRate ? std::min(s.minRate, double(input.rateMin)) : input.rateMin;
            s.maxRate = s.hasRate ? std::max(s.maxRate, double(input.rateMax)) : input.rateMax;
            s.lastRate = input.lastRate;
            s.hasRate = true;
        }
    }
    return summary;
}

} // namespace zeph::history
