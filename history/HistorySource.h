// SPDX-License-Identifier: MIT
// Where the history view's readings come from: the live store of the continuous refresh, or a recorded
// counter log. Both hand out their rows of a time range in order and a view of buckets over it.
#pragma once

#include "history/HistoryTypes.h"

#include <QString>

#include <functional>

namespace zeph::history {

class HistorySource {
public:
    virtual ~HistorySource() = default;
    // The time of the first and the last row; equal when there is at most one.
    virtual qint64 FirstMs() const = 0;
    virtual qint64 LastMs() const = 0;
    virtual qint64 RowCount() const = 0;
    // Buckets over [fromMs, toMs), every minimum and maximum kept.
    virtual HistoryView Query(qint64 fromMs, qint64 toMs, int bucketCount) const = 0;
    // The rows from fromMs to toMs, preceded by the row before fromMs (for the first row's rate) when there
    // is one; the visitor returns false to stop. False when the rows could not be read (with the reason).
    virtual bool VisitRows(qint64 fromMs, qint64 toMs, const std::function<bool(const Row&)>& visit,
                           QString* error) const = 0;

protected:
    // Buckets built from the rows themselves, for a range finer than the source's stored buckets.
    HistoryView BucketsFromRows(qint64 fromMs, qint64 toMs, int bucketCount) const;
    // The gaps that reach into the view's range, added to it.
    template <typename Gaps> static void AddGaps(HistoryView& view, qint64 fromMs, const Gaps& gaps) {
        for (const Gap& gap : gaps)
            if (gap.toMs > fromMs && gap.fromMs < view.toMs) view.gaps.push_back(gap);
    }
};

} // namespace zeph::history
