// SPDX-License-Identifier: MIT
// Opening a counter log, and reading ranges of it again.
#include "history/LogHistory.h"

#include "history/BucketBuilder.h"
#include "history/GapRule.h"
#include "history/LogRow.h"

#include "counters/CounterCsv.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cstring>

namespace zeph::history {

namespace {
constexpr qint64 BlockBytes = 4 << 20;

// Calls line(begin, end, offset) for each whole line of the file from `from` to `to`, reading blocks;
// returns false when reading fails or line() asks to stop. *cutTail is set to the start of bytes after
// the last line end (a line cut off), or to -1.
bool ForEachLine(QFile& file, qint64 from, qint64 to,
                 const std::function<bool(const char*, const char*, qint64)>& line,
                 const std::function<bool(qint64)>& progress, qint64* cutTail, QString* error) {
    if (!file.seek(from)) {
        *error = file.errorString();
        return false;
    }
    std::vector<char> block(static_cast<std::size_t>(BlockBytes));
    std::size_t kept = 0; // bytes of a line begun in the block before
    qint64 keptOffset = from;
    qint64 position = from;
    if (cutTail) *cutTail = -1;
    while (position < to) {
        if (kept == block.size()) block.resize(block.size() * 2); // a line longer than a block
        const qint64 wanted = std::min<qint64>(qint64(block.size() - kept), to - position);
        const qint64 got = file.read(block.data() + kept, wanted);
        if (got < 0) {
            *error = file.errorString();
            return false;
        }
        if (got == 0) break;
        position += got;
        const char* p = block.data();
        const char* end = block.data() + kept + got;
        qint64 lineOffset = keptOffset;
        while (const char* newline = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)))) {
            if (!line(p, newline, lineOffset)) return false;
            lineOffset += newline + 1 - p;
            p = newline + 1;
        }
        kept = std::size_t(end - p);
        std::memmove(block.data(), p, kept);
        keptOffset = lineOffset;
        if (progress && !progress(position)) return false;
    }
    if (kept > 0 && cutTail) *cutTail = keptOffset;
    return true;
}
} // namespace

LogHistory::Opened LogHistory::Open(const QString& path, const Progress& progress) {
    Opened opened;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        opened.error = file.errorString();
        return opened;
    }
    const qint64 size = file.size();
    std::unique_ptr<LogHistory> log(new LogHistory);
    log->m_path = path;
    // The first pass weighs a fifth of the work: it looks at the time only.
    const auto firstPass = [&](qint64 at) { return !progress || progress(0.2 * double(at) / double(size)); };
    qint64 lineNumber = 0;
    QString stopped; // why the reading stopped before the end
    qint64 cutTail = -1;
    qint64 stopOffset = -1; // where the line that stopped the reading starts
    QString error;
    const bool read = ForEachLine(
        file, 0, size,
        [&](const char* begin, const char* end, qint64 offset) {
            ++lineNumber;
            if (lineNumber == 1) {
                if (IsLogHeader(begin, end)) return true;
                opened.error = QCoreApplication::translate(
                                   "CounterLogReading",
                                   "This is not a counter log: its first line must name the columns %1.")
                                   .arg(counters::CounterCsvHeader());
                return false;
            }
            const char* comma = static_cast<const char*>(std::memchr(begin, ',', std::size_t(end - begin)));
            const std::optional<qint64> time = ParseLogTime(begin, comma ? comma : end);
            if (!time) {
                stopped =
                    QCoreApplication::translate(
                        "CounterLogReading", "Line %1, %2: not a time such as 2026-12-08T06:06:32.123+01:00.")
                        .arg(lineNumber)
                        .arg(LogColumnText(1));
                stopOffset = offset;
                return false;
            }
            // A clock set back: the row is drawn at the time of the one before, so the rows stay in order.
            log->m_times.push_back(log->m_times.empty() ? *time : std::max(*time, log->m_times.back()));
            log->m_offsets.push_back(offset);
            return true;
        },
        firstPass, &cutTail, &error);
    if (!opened.error.isEmpty()) return opened;
    if (!read && stopped.isEmpty()) {
        if (!error.isEmpty()) {
            opened.error = error;
        } else {
            opened.cancelled = true;
        }
        return opened;
    }
    if (lineNumber == 0) {
        opened.error = QCoreApplication::translate(
                           "CounterLogReading",
                           "This is not a counter log: it has no line, and its first line must name the "
                           "columns %1.")
                           .arg(counters::CounterCsvHeader());
        return opened;
    }
    if (stopped.isEmpty() && cutTail >= 0)
        opened.note = QCoreApplication::translate("CounterLogReading",
                                                  "The last line, %1, was cut off and is left out.")
                          .arg(lineNumber + 1);
    // Where the last row read ends.
    log->m_offsets.push_back(stopOffset >= 0 ? stopOffset : cutTail >= 0 ? cutTail : size);

    std::vector<qint32> intervals;
    intervals.reserve(log->m_times.size());
    for (std::size_t i = 1; i < log->m_times.size(); ++i)
        intervals.push_back(qint32(std::min<qint64>(log->m_times[i] - log->m_times[i - 1], 0x7FFFFFFF)));
    log->m_medianMs = MedianInterval(intervals);
    intervals = {};

    for (std::size_t i = 1; i < log->m_times.size(); ++i) {
        if (!IsGap(log->m_times[i] - log->m_times[i - 1], log->m_medianMs)) continue;
        log->m_gapRows.push_back(std::uint32_t(i));
        log->m_gaps.push_back({log->m_times[i - 1], log->m_times[i]});
    }

    // The second pass: every column of every row checked, the overview built.
    if (!log->m_times.empty()) {
        BucketBuilder overview(log->FirstMs(), log->LastMs() + 1, OverviewBuckets);
        std::size_t badRow = log->m_times.size();
        const bool whole = log->VisitIndexed(
            0, log->m_times.size(),
            [&](const Row& row) {
                overview.Take(row);
                return true;
            },
            [&](double done) { return !progress || progress(0.2 + 0.8 * done); }, &error, &badRow);
        if (!whole && badRow == log->m_times.size()) {
            if (!error.isEmpty()) {
                opened.error = error;
            } else {
                opened.cancelled = true;
            }
            return opened;
        }
        if (!whole) {
            stopped = error;
            log->m_times.resize(badRow);
            log->m_offsets.resize(badRow + 1);
            while (!log->m_gapRows.empty() && log->m_gapRows.back() >= badRow) {
                log->m_gapRows.pop_back();
                log->m_gaps.pop_back();
            }
            // The overview again over the rows kept, so that a view of them all need not read the file.
            if (badRow > 0) {
                BucketBuilder kept(log->FirstMs(), log->LastMs() + 1, OverviewBuckets);
                if (log->VisitIndexed(
                        0, badRow,
                        [&](const Row& row) {
                            kept.Take(row);
                            return true;
                        },
                        {}, nullptr, nullptr))
                    log->m_overview = kept.Finish();
            }
        } else {
            log->m_overview = overview.Finish();
        }
    }
    if (log->m_times.empty()) {
        opened.error = stopped.isEmpty() ? QCoreApplication::translate("CounterLogReading",
                                                                       "The counter log has no readings.")
                                         : stopped;
        return opened;
    }
    opened.stoppedEarly = !stopped.isEmpty();
    if (opened.stoppedEarly)
        opened.note = QCoreApplication::translate("CounterLogReading",
                                                  "%1 The reading stopped there: %2 rows are shown.")
                          .arg(stopped)
                          .arg(QLocale().toString(log->RowCount()));
    opened.log = std::move(log);
    return opened;
}

bool LogHistory::VisitIndexed(std::size_t first, std::size_t last,
                              const std::function<bool(const Row&)>& visit, const Progress& progress,
                              QString* error, std::size_t* badRow) const {
    if (first >= last) return true;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    std::size_t index = first;
    auto gap = std::lower_bound(m_gapRows.begin(), m_gapRows.end(), std::uint32_t(first));
    QString reason;
    const qint64 from = m_offsets[first];
    const qint64 to = m_offsets[last];
    const bool whole = ForEachLine(
        file, from, to,
        [&](const char* begin, const char* end, qint64) {
            if (index >= last) return false;
            Row row;
            if (const auto bad = ParseLogRow(begin, end, row, false)) {
                // The file's line: the header is line 1, row 0 line 2.
                reason = QCoreApplication::translate("CounterLogReading", "Line %1, %2: %3.")
                             .arg(index + 2)
                             .arg(LogColumnText(bad->column))
                             .arg(bad->reason);
                if (badRow) *badRow = index;
                return false;
            }
            row.timeMs = m_times[index];
            row.gapBefore = gap != m_gapRows.end() && *gap == index;
            if (row.gapBefore) ++gap;
            ++index;
            return visit(row);
        },
        [&](qint64 at) {
            return !progress || progress(double(at - from) / double(std::max<qint64>(1, to - from)));
        },
        nullptr, &reason);
    if (!whole && error) *error = reason;
    return whole;
}

bool LogHistory::VisitRows(qint64 fromMs, qint64 toMs, const std::function<bool(const Row&)>& visit,
                           QString* error) const {
    std::size_t first =
        std::size_t(std::lower_bound(m_times.begin(), m_times.end(), fromMs) - m_times.begin());
    if (first > 0) --first;
    const std::size_t last =
        std::size_t(std::upper_bound(m_times.begin(), m_times.end(), toMs) - m_times.begin());
    bool stoppedByVisitor = false;
    const bool whole = VisitIndexed(
        first, last,
        [&](const Row& row) {
            stoppedByVisitor = !visit(row);
            return !stoppedByVisitor;
        },
        {}, error, nullptr);
    return whole || stoppedByVisitor;
}

HistoryView LogHistory::Query(qint64 fromMs, qint64 toMs, int bucketCount) const {
    bucketCount = std::max(bucketCount, 1);
    const double wantedMs = double(toMs - fromMs) / double(bucketCount);
    if (!m_overview.buckets.empty() && m_overview.BucketMs() <= wantedMs) {
        // Coarse enough: the overview's buckets merged, no reading of the file.
        HistoryView view = EmptyView(fromMs, toMs, bucketCount);
        const auto firstBucket = std::size_t(
            std::max(0.0, std::floor(double(fromMs - m_overview.fromMs) / m_overview.BucketMs())));
        for (std::size_t i = firstBucket; i < m_overview.buckets.size(); ++i) {
            const qint64 start = m_overview.BucketStart(i);
            if (start >= view.toMs) break;
            MergeAt(view, start, m_overview.buckets[i]);
        }
        AddGaps(view, fromMs, m_gaps);
        return view;
    }
    return BucketsFromRows(fromMs, toMs, bucketCount);
}

} // namespace zeph::history
