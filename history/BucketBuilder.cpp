// SPDX-License-Identifier: MIT
// Rows into buckets.
#include "history/BucketBuilder.h"

#include <algorithm>
#include <utility>

namespace zeph::history {

BucketBuilder::BucketBuilder(qint64 fromMs, qint64 toMs, int bucketCount)
    : m_view(EmptyView(fromMs, toMs, bucketCount)) {}

void BucketBuilder::Take(const Row& row) {
    const RowStep step = m_rates.Take(row);
    const std::optional<qint64> previousMs = std::exchange(m_previousMs, row.timeMs);
    if (row.gapBefore && previousMs && row.timeMs > m_view.fromMs && *previousMs < m_view.toMs)
        m_view.gaps.push_back({*previousMs, row.timeMs});
    if (row.timeMs < m_view.fromMs || row.timeMs >= m_view.toMs) return;

    const std::size_t index =
        std::min(m_view.buckets.size() - 1,
                 std::size_t(double(row.timeMs - m_view.fromMs) / double(m_view.toMs - m_view.fromMs) *
                             double(m_view.buckets.size())));
    TakeIntoBucket(m_view.buckets[index], row, step);
    ++m_view.rows;
}

void TakeIntoBucket(Bucket& bucket, const Row& row, const RowStep& step) {
    ++bucket.rows;
    for (std::size_t k = 0; k < std::size_t(InputCount); ++k) {
        InputBucket& input = bucket.inputs[k];
        const quint32 reading = row.counters[k];
        const std::uint8_t mark = step.marks[k];
        if (!input.readings) {
            input.readings = true;
            input.markAtFirst = mark != NoMark;
        }
        if (mark != NoMark) {
            // What follows a wrap or a drop is a range of its own.
            input.marks |= mark;
            input.after = {};
            if (mark == WrapMark)
                ++input.wraps;
            else
                ++input.drops;
        }
        input.after.Take(reading);
        if (input.marks == NoMark) input.before.Take(reading);
        input.lastReading = reading;
        if (!step.rates[k]) continue;
        const float rate = float(*step.rates[k]);
        input.rateMin = std::min(input.rateMin, rate);
        input.rateMax = std::max(input.rateMax, rate);
        input.lastRate = rate;
        input.pulses += step.pulses[k];
        input.coveredMs += step.elapsedMs;
    }
}

HistoryView EmptyView(qint64 fromMs, qint64 toMs, int bucketCount) {
    HistoryView view;
    view.fromMs = fromMs;
    view.toMs = std::max(toMs, fromMs + 1);
    view.buckets.resize(std::size_t(std::max(bucketCount, 1)));
    return view;
}

void MergeAt(HistoryView& view, qint64 startMs, const Bucket& bucket) {
    if (startMs < view.fromMs || startMs >= view.toMs || bucket.rows == 0) return;
    const auto target = std::min(view.buckets.size() - 1,
                                 std::size_t(double(startMs - view.fromMs) / double(view.toMs - view.fromMs) *
                                             double(view.buckets.size())));
    MergeInto(view.buckets[target], bucket);
    view.rows += bucket.rows;
}

} // namespace zeph::history
