// SPDX-License-Identifier: MIT
// Fuzz target: a counter log opened in the history window, which anybody may have written or cut short.
// Input: the bytes after the header line, so the fuzzer spends its time on the rows.
#include "counters/CounterCsv.h"
#include "fuzz/ScratchFiles.h"
#include "history/LogHistory.h"
#include "history/LogRow.h"

using namespace zeph::history;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zeph::fuzz::ScratchFiles scratch;
    const QByteArray rows(reinterpret_cast<const char*>(data), qsizetype(size));

    // A single line: refused with a column inside the line's, or read.
    Row row;
    const auto error = ParseLogRow(rows.cbegin(), rows.cend(), row);
    FUZZ_CHECK(!error || (error->column >= 1 && error->column <= LogColumnCount + 1));

    // The whole file: refused, or rows in time order that every query sees whole.
    const QByteArray file = zeph::counters::CounterCsvHeader().toLatin1() + '\n' + rows;
    const QString path =
        scratch.Write(QStringLiteral("log.csv"), reinterpret_cast<const std::uint8_t*>(file.constData()),
                      std::size_t(file.size()));
    const LogHistory::Opened opened = LogHistory::Open(path);
    FUZZ_CHECK(opened.log || !opened.error.isEmpty());
    if (!opened.log) return 0;
    const LogHistory& log = *opened.log;
    FUZZ_CHECK(log.RowCount() >= 1 && log.FirstMs() <= log.LastMs());
    qint64 visited = 0;
    qint64 previousMs = log.FirstMs();
    FUZZ_CHECK(log.VisitRows(
        log.FirstMs(), log.LastMs(),
        [&](const Row& each) {
            FUZZ_CHECK(each.timeMs >= previousMs);
            previousMs = each.timeMs;
            ++visited;
            return true;
        },
        nullptr));
    FUZZ_CHECK(visited == log.RowCount());
    FUZZ_CHECK(log.Query(log.FirstMs(), log.LastMs() + 1, 7).rows == log.RowCount());
    FUZZ_CHECK(log.Query(log.FirstMs(), log.LastMs() + 1, 100000).rows == log.RowCount());
    return 0;
}
