// SPDX-License-Identifier: MIT
// The readings of the continuous refresh, kept for the last 24 hours at full resolution: a row of 48
// bytes each, so a day at the fast pace (ten a second) takes some 40 MiB; at most 64 MiB are kept. Beside
// them, buckets of ten seconds are built as rows come (3.5 MiB for a day), from which a view of hours or
// a day is merged instead of going through every row at each redraw.
#pragma once

#include "history/HistorySource.h"
#include "history/RowRates.h"

#include "counters/CounterCsv.h"

#include <deque>

namespace zeph::history {

class LiveHistory : public HistorySource {
public:
    static constexpr qint64 KeepMs = 24LL * 3600 * 1000;
    static constexpr std::size_t MaxRows = (64u << 20) / sizeof(Row);
    static constexpr qint64 CoarseMs = 10000;

    void Append(const counters::TimedReport& report);
    void Append(const Row& row);
    // No reading came when one was due (a failed read, the port closed): the next row starts after a gap.
    void MarkGap() { m_gapPending = true; }
    void Clear();

    qint64 FirstMs() const override { return m_rows.empty() ? 0 : m_rows.front().timeMs; }
    qint64 LastMs() const override { return m_rows.empty() ? 0 : m_rows.back().timeMs; }
    qint64 RowCount() const override { return qint64(m_rows.size()); }
    HistoryView Query(qint64 fromMs, qint64 toMs, int bucketCount) const override;
    bool VisitRows(qint64 fromMs, qint64 toMs, const std::function<bool(const Row&)>& visit,
                   QString* error) const override;

private:
    std::deque<Row> m_rows;
    // Buckets of CoarseMs, the first starting at m_coarseStartMs, and the gaps among the rows kept.
    std::deque<Bucket> m_coarse;
    qint64 m_coarseStartMs = 0;
    std::deque<Gap> m_gaps;
    RowRates m_rates;
    // The latest intervals, for the gap rule's median between explicit marks (refreshes paused, then
    // started again).
    std::deque<qint32> m_recentIntervals;
    bool m_gapPending = false;
};

} // namespace zeph::history
