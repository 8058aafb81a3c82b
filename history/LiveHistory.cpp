// SPDX-License-Identifier: MIT
// The live store.
#include "history/LiveHistory.h"

#include "history/BucketBuilder.h"
#include "history/GapRule.h"

#include <algorithm>

namespace zeph::history {

namespace {
constexpr std::size_t RecentIntervals = 31;
}

void LiveHistory::Append(const counters::TimedReport& report) {
    Row row;
    row.timeMs = report.time.toMSecsSinceEpoch();
    row.counters = report.report.counters;
    row.overflow = report.report.overflow;
    Append(row);
}

void LiveHistory::Append(const Row& given) {
    Row row = given;
    if (!m_rows.empty()) {
        // A clock set back draws the row at the time of the one before: the rows stay in order.
        row.timeMs = std::max(row.timeMs, m_rows.back().timeMs);
        const qint64 interval = row.timeMs - m_rows.back().timeMs;
        std::vector<qint32> recent(m_recentIntervals.begin(), m_recentIntervals.end());
        const qint64 median = recent.empty() ? interval : MedianInterval(recent);
        row.gapBefore = row.gapBefore || m_gapPending || IsGap(interval, median);
        m_recentIntervals.push_back(qint32(std::min<qint64>(interval, 0x7FFFFFFF)));
        if (m_recentIntervals.size() > RecentIntervals) m_recentIntervals.pop_front();
    }
    m_gapPending = false;
    if (row.gapBefore) m_gaps.push_back({m_rows.back().timeMs, row.timeMs});
    m_rows.push_back(row);

    const qint64 start = row.timeMs - row.timeMs % CoarseMs;
    if (m_coarse.empty() || start - m_coarseStartMs - qint64(m_coarse.size()) * CoarseMs > KeepMs) {
        // The first row, or one more than a day after the others, which all go: the buckets start here.
        m_coarse.clear();
        m_coarseStartMs = start;
    }
    while (m_coarseStartMs + qint64(m_coarse.size()) * CoarseMs <= start)
        m_coarse.emplace_back();
    TakeIntoBucket(m_coarse[std::size_t((start - m_coarseStartMs) / CoarseMs)], row, m_rates.Take(row));

    while (m_rows.size() > MaxRows || m_rows.back().timeMs - m_rows.front().timeMs > KeepMs)
        m_rows.pop_front();
    while (!m_gaps.empty() && m_gaps.front().fromMs < m_rows.front().timeMs)
        m_gaps.pop_front();
    while (m_coarse.size() > 1 && m_coarseStartMs + CoarseMs <= m_rows.front().timeMs) {
        m_coarse.pop_front();
        m_coarseStartMs += CoarseMs;
    }
}

void LiveHistory::Clear() {
    m_rows.clear();
    m_coarse.clear();
    m_gaps.clear();
    m_rates = {};
    m_recentIntervals.clear();
    m_gapPending = false;
}

bool LiveHistory::VisitRows(qint64 fromMs, qint64 toMs, const std::function<bool(const Row&)>& visit,
                            QString*) const {
    auto first = std::lower_bound(m_rows.begin(), m_rows.end(), fromMs,
                                  [](const Row& row, qint64 time) { return row.timeMs < time; });
    if (first != m_rows.begin()) --first;
    for (auto row = first; row != m_rows.end() && row->timeMs <= toMs; ++row)
        if (!visit(*row)) break;
    return true;
}

HistoryView LiveHistory::Query(qint64 fromMs, qint64 toMs, int bucketCount) const {
    if (double(toMs - fromMs) / double(std::max(bucketCount, 1)) >= double(CoarseMs)) {
        HistoryView view = EmptyView(fromMs, toMs, bucketCount);
        for (std::size_t i = 0; i < m_coarse.size(); ++i)
            MergeAt(view, m_coarseStartMs + qint64(i) * CoarseMs, m_coarse[i]);
        AddGaps(view, fromMs, m_gaps);
        return view;
    }
    return BucketsFromRows(fromMs, toMs, bucketCount);
}

} // namespace zeph::history
