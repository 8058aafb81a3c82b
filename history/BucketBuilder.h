// SPDX-License-Identifier: MIT
// Builds a HistoryView from rows in time order: the minimum and maximum of every bucket, so no peak
// disappears however many rows a bucket holds, and the gaps.
#pragma once

#include "history/HistoryTypes.h"
#include "history/RowRates.h"

#include <optional>

namespace zeph::history {

class BucketBuilder {
public:
    // Buckets over [fromMs, toMs); rows before it only carry the counters on (the row just before the
    // range gives the first row inside it its rate).
    BucketBuilder(qint64 fromMs, qint64 toMs, int bucketCount);

    void Take(const Row& row);
    HistoryView Finish() { return std::move(m_view); }

private:
    HistoryView m_view;
    RowRates m_rates;
    std::optional<qint64> m_previousMs;
};

// A row with its step into one bucket.
void TakeIntoBucket(Bucket& bucket, const Row& row, const RowStep& step);

// A view of empty buckets over [fromMs, toMs).
HistoryView EmptyView(qint64 fromMs, qint64 toMs, int bucketCount);
// Merges a finer bucket that starts at startMs into the view's bucket there (nothing outside the view).
void MergeAt(HistoryView& view, qint64 startMs, const Bucket& bucket);

} // namespace zeph::history
