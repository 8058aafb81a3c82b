// SPDX-License-Identifier: MIT
// A recorded counter log shown without a device. Opening reads the file twice in large blocks: first the
// time of each line (an index of times and line offsets, 16 bytes a row), from which the median interval
// and the gaps follow; then every line, checked column by column, into the buckets of an overview kept
// for the whole file. A zoom finer than the overview reads only its range again, found by binary search
// in the index. A week at the default pace (three million rows, 670 to 750 MB) adds some 75 MiB.
#pragma once

#include "history/HistorySource.h"

#include <functional>
#include <memory>

namespace zeph::history {

class LogHistory : public HistorySource {
public:
    static constexpr int OverviewBuckets = 16384;

    // Progress from 0 to 1; returning false cancels.
    using Progress = std::function<bool(double)>;
    struct Opened {
        std::unique_ptr<LogHistory> log; // nullptr when refused or cancelled
        QString error;                   // why it was refused; empty when cancelled
        QString note;                    // what was left out of a log that opened
        bool stoppedEarly = false;       // a line that could not be read ended the reading (in note)
        bool cancelled = false;
    };
    static Opened Open(const QString& path, const Progress& progress = {});

    QString Path() const { return m_path; }
    qint64 MedianIntervalMs() const { return m_medianMs; }
    const std::vector<Gap>& Gaps() const { return m_gaps; }

    qint64 FirstMs() const override { return m_times.empty() ? 0 : m_times.front(); }
    qint64 LastMs() const override { return m_times.empty() ? 0 : m_times.back(); }
    qint64 RowCount() const override { return qint64(m_times.size()); }
    HistoryView Query(qint64 fromMs, qint64 toMs, int bucketCount) const override;
    bool VisitRows(qint64 fromMs, qint64 toMs, const std::function<bool(const Row&)>& visit,
                   QString* error) const override;

private:
    LogHistory() = default;
    // Rows first..last-1 from the file; a row that does not parse stops the visit with its line named.
    bool VisitIndexed(std::size_t first, std::size_t last, const std::function<bool(const Row&)>& visit,
                      const Progress& progress, QString* error, std::size_t* badRow) const;

    QString m_path;
    std::vector<qint64> m_times;          // of each row, never decreasing
    std::vector<qint64> m_offsets;        // where each row's line starts, and where the last one ends
    std::vector<std::uint32_t> m_gapRows; // rows that follow a gap, ascending
    std::vector<Gap> m_gaps;
    qint64 m_medianMs = 0;
    HistoryView m_overview;
};

} // namespace zeph::history
