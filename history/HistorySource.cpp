// SPDX-License-Identifier: MIT
// What both sources of the history view do alike with their rows.
#include "history/HistorySource.h"

#include "history/BucketBuilder.h"

namespace zeph::history {

HistoryView HistorySource::BucketsFromRows(qint64 fromMs, qint64 toMs, int bucketCount) const {
    BucketBuilder builder(fromMs, toMs, bucketCount);
    VisitRows(
        fromMs, toMs,
        [&](const Row& row) {
            builder.Take(row);
            return true;
        },
        nullptr);
    return builder.Finish();
}

} // namespace zeph::history
