// SPDX-License-Identifier: MIT
// Tests of the counts' history: reading a counter log from its bytes, gaps, wraps and drops, buckets that
// keep every minimum and maximum, the live store and the visible range as CSV.
#include "history/BucketBuilder.h"
#include "history/GapRule.h"
#include "history/LiveHistory.h"
#include "history/LogHistory.h"
#include "history/LogRow.h"
#include "history/RangeCsv.h"

#include "counters/CounterCsv.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace zeph::history;
using zeph::counters::TimedReport;

namespace {
const QDateTime Start =
    QDateTime::fromString(QStringLiteral("2026-12-08T06:00:00.000+01:00"), Qt::ISODateWithMs);

// A log of rows 200 ms apart: input 1 counts 5 a row (25 /s); a minute is missing after row 10; input 2
// wraps past 2^32 at row 20 with its overflow flag set; input 3 is preset to 1000 at row 30.
QByteArray SampleLog(int rows = 40) {
    QByteArray text = zeph::counters::CounterCsvHeader().toLatin1() + "\r\n";
    std::optional<TimedReport> previous;
    for (int i = 0; i < rows; ++i) {
        TimedReport row{Start.addMSecs(200 * i + (i > 10 ? 60000 : 0)), {}};
        row.report.counters = {quint32(5 * i), quint32(0xFFFFFFD8u + 2 * i),
                               quint32(i < 30 ? 50000 + i : 1000 + i)};
        if (i >= 20) row.report.overflow = 0x02;
        text += zeph::counters::CounterCsvRow(row, previous).toLatin1() + "\r\n";
        previous = row;
    }
    return text;
}

QString WriteFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}
} // namespace

class HistoryTest : public QObject {
    Q_OBJECT
private slots:
    void logTime_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("ms"); // -1: refused
        const qint64 at = Start.toMSecsSinceEpoch();
        QTest::newRow("offset") << QByteArray("2026-12-08T06:00:00.000+01:00") << at;
        QTest::newRow("utc") << QByteArray("2026-12-08T05:00:00.250Z") << at + 250;
        QTest::newRow("no ms, west") << QByteArray("2026-12-07T23:30:01-05:30") << at + 1000;
        QTest::newRow("leap day") << QByteArray("2028-02-29T00:00:00Z") << qint64(1835395200000);
        QTest::newRow("no offset") << QByteArray("2026-12-08T06:00:00.000") << qint64(-1);
        QTest::newRow("month 13") << QByteArray("2026-13-08T06:00:00Z") << qint64(-1);
        QTest::newRow("two ms digits") << QByteArray("2026-12-08T06:00:00.12Z") << qint64(-1);
        QTest::newRow("text") << QByteArray("yesterday") << qint64(-1);
    }
    void logTime() {
        QFETCH(QByteArray, text);
        QFETCH(qint64, ms);
        const auto time = ParseLogTime(text.cbegin(), text.cend());
        QCOMPARE(time.value_or(-1), ms);
    }

    void gapRule_data() {
        QTest::addColumn<qint64>("interval");
        QTest::addColumn<qint64>("median");
        QTest::addColumn<bool>("gap");
        QTest::newRow("pace") << qint64(200) << qint64(200) << false;
        QTest::newRow("over 3x, under 2 s") << qint64(1900) << qint64(200) << false;
        QTest::newRow("2 s, over 3x") << qint64(2000) << qint64(200) << true;
        QTest::newRow("3x exactly") << qint64(30000) << qint64(10000) << false;
        QTest::newRow("over 3x of 10 s") << qint64(30001) << qint64(10000) << true;
    }
    void gapRule() {
        QFETCH(qint64, interval);
        QFETCH(qint64, median);
        QFETCH(bool, gap);
        QCOMPARE(IsGap(interval, median), gap);
    }

    void badRow_data() {
        QTest::addColumn<int>("field"); // 0-based field to replace, or -1 to append one
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("named");
        QTest::newRow("time") << 0 << QByteArray("06:00") << "column 1 (time)";
        QTest::newRow("counter") << 4 << QByteArray("12a") << "column 5 (counter_2)";
        QTest::newRow("counter too big") << 1 << QByteArray("4294967296") << "column 2 (counter_1)";
        QTest::newRow("interval") << 2 << QByteArray("-1") << "column 3 (interval_ms_1)";
        QTest::newRow("rate") << 6 << QByteArray("1.2.3") << "column 7 (rate_2)";
        QTest::newRow("flag") << 28 << QByteArray("256") << "column 29 (overflow)";
        QTest::newRow("extra") << -1 << QByteArray("7") << "column 34";
    }
    void badRow() {
        QFETCH(int, field);
        QFETCH(QByteArray, value);
        QFETCH(QString, named);
        QList<QByteArray> fields = SampleLog(2).split('\n').at(1).trimmed().split(',');
        if (field < 0)
            fields << value;
        else
            fields[field] = value;
        const QByteArray line = fields.join(',');
        Row row;
        const auto error = ParseLogRow(line.cbegin(), line.cend(), row);
        QVERIFY(error);
        QCOMPARE(LogColumnText(error->column), named);
        // The reading stops at that line and keeps the rows before it.
        QList<QByteArray> lines = SampleLog(6).split('\n');
        lines[4] = line;
        QTemporaryDir dir;
        const LogHistory::Opened opened = LogHistory::Open(WriteFile(dir, lines.join('\n')));
        QVERIFY(opened.log);
        QCOMPARE(opened.log->RowCount(), 3);
        QVERIFY2(opened.note.startsWith("Line 5, " + named + ":"), qPrintable(opened.note));
    }

    void refusedOrCut_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("rows");
        const QByteArray log = SampleLog(5);
        QTest::newRow("wrong header")
            << "time,counter\n" + log.mid(log.indexOf('\n') + 1)
            << "its first line must name the columns " + zeph::counters::CounterCsvHeader() << QString() << 0;
        QTest::newRow("cut last line") << log.left(log.size() - 40) << QString()
                                       << "The last line, 6, was cut off and is left out." << 4;
        QTest::newRow("whole") << log << QString() << QString() << 5;
    }
    void refusedOrCut() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QFETCH(QString, note);
        QFETCH(int, rows);
        QTemporaryDir dir;
        const LogHistory::Opened opened = LogHistory::Open(WriteFile(dir, bytes));
        QVERIFY2(error.isEmpty() ? opened.error.isEmpty() : opened.error.contains(error),
                 qPrintable(opened.error));
        QCOMPARE(opened.note, note);
        QCOMPARE(opened.log ? opened.log->RowCount() : 0, rows);
    }

    // Read from the overview (coarse) and again from the file (fine): the same gaps, marks and rates.
    void gapWrapAndPreset_data() {
        QTest::addColumn<int>("buckets");
        QTest::newRow("from the overview") << 4;
        QTest::newRow("read again") << 100000;
    }
    void gapWrapAndPreset() {
        QFETCH(int, buckets);
        QTemporaryDir dir;
        const LogHistory::Opened opened = LogHistory::Open(WriteFile(dir, SampleLog()));
        QVERIFY2(opened.log, qPrintable(opened.error));
        const LogHistory& log = *opened.log;
        QCOMPARE(log.MedianIntervalMs(), 200);
        const HistoryView view = log.Query(log.FirstMs(), log.LastMs() + 1, buckets);
        const qint64 at = Start.toMSecsSinceEpoch();
        QCOMPARE(view.gaps, (std::vector<Gap>{{at + 2000, at + 62200}}));
        QCOMPARE(view.rows, 40);
        const auto summary = Summarize(view.buckets);
        // Input 1: 25 /s throughout, nothing across the gap.
        QCOMPARE(summary[0].minRate, 25.0);
        QCOMPARE(summary[0].maxRate, 25.0);
        // Input 2 counts 2 a row (10 /s), also across its wrap; input 3's preset is a drop without a rate.
        QCOMPARE(summary[1].wraps, 1);
        QCOMPARE(summary[1].maxRate, 10.0);
        QCOMPARE(summary[2].drops, 1);
        QCOMPARE(summary[2].wraps, 0);
        QCOMPARE(summary[2].maxRate, 5.0);
        QCOMPARE(summary[2].lastCounter, 1039u);
    }

    // Every row's rate lies inside its bucket's range, and every bucket's bounds are some row's rate.
    void bucketsKeepEveryMinimumAndMaximum_data() {
        QTest::addColumn<int>("buckets");
        for (int n : {1, 7, 100, 5000})
            QTest::addRow("%d buckets", n) << n;
    }
    void bucketsKeepEveryMinimumAndMaximum() {
        QFETCH(int, buckets);
        QRandomGenerator random(29);
        std::vector<Row> rows(2000);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i].timeMs = qint64(i) * 200 + random.bounded(100);
            rows[i].counters[0] = (i ? rows[i - 1].counters[0] : 0) + random.bounded(i == 1234 ? 100000 : 50);
        }
        constexpr qint64 Span = 401000;
        BucketBuilder builder(0, Span, buckets);
        RowRates rates;
        std::vector<std::vector<double>> expected(static_cast<std::size_t>(buckets));
        for (const Row& row : rows) {
            builder.Take(row);
            if (const auto rate = rates.Take(row).rates[0])
                expected[std::size_t(double(row.timeMs) / double(Span) * buckets)].push_back(*rate);
        }
        const HistoryView view = builder.Finish();
        for (std::size_t b = 0; b < expected.size(); ++b) {
            const InputBucket& input = view.buckets[b].inputs[0];
            if (expected[b].empty()) {
                QVERIFY(!input.HasRate());
                continue;
            }
            QCOMPARE(input.rateMin, float(*std::min_element(expected[b].begin(), expected[b].end())));
            QCOMPARE(input.rateMax, float(*std::max_element(expected[b].begin(), expected[b].end())));
        }
    }

    // The readings before a wrap or drop and those after it stay apart in their bucket (the last of the
    // two buckets), so the plot draws a mark between them instead of a line.
    void countersAroundMarks_data() {
        QTest::addColumn<QList<quint32>>("readings"); // 400 ms apart over two buckets of 1 s
        QTest::addColumn<bool>("overflow");
        QTest::addColumn<int>("marks");
        QTest::addColumn<bool>("markAtFirst");
        QTest::addColumn<QList<quint32>>("before"); // min, max; empty when none
        QTest::addColumn<QList<quint32>>("after");
        QTest::newRow("counting") << QList<quint32>{1, 5, 7, 9} << false << int(NoMark) << false
                                  << QList<quint32>{5, 9} << QList<quint32>{5, 9};
        QTest::newRow("wrap") << QList<quint32>{4294967290u, 4294967293u, 4294967295u, 3, 9} << true
                              << int(WrapMark) << false << QList<quint32>{4294967295u, 4294967295u}
                              << QList<quint32>{3, 9};
        QTest::newRow("fall without the flag")
            << QList<quint32>{4294967290u, 4294967293u, 4294967295u, 3, 9} << false << int(DropMark) << false
            << QList<quint32>{4294967295u, 4294967295u} << QList<quint32>{3, 9};
        QTest::newRow("drop first") << QList<quint32>{500, 600, 700, 10, 20, 30} << false << int(DropMark)
                                    << true << QList<quint32>{} << QList<quint32>{10, 30};
    }
    void countersAroundMarks() {
        QFETCH(QList<quint32>, readings);
        QFETCH(bool, overflow);
        QFETCH(int, marks);
        QFETCH(bool, markAtFirst);
        QFETCH(QList<quint32>, before);
        QFETCH(QList<quint32>, after);
        BucketBuilder builder(0, 2000, 2);
        const qint64 firstMs = 2000 - 400 * (readings.size() - 1) - 1;
        for (qsizetype i = 0; i < readings.size(); ++i)
            builder.Take(Row{firstMs + 400 * i, {readings[i]}, std::uint8_t(overflow), false});
        const InputBucket input = builder.Finish().buckets[1].inputs[0];
        QCOMPARE(int(input.marks), marks);
        QCOMPARE(input.markAtFirst, markAtFirst);
        const auto range = [](const CounterRange& r) {
            return r.min > r.max ? QList<quint32>{} : QList<quint32>{r.min, r.max};
        };
        QCOMPARE(range(input.before), before);
        QCOMPARE(range(input.after), after);
    }

    void liveGaps() {
        LiveHistory live;
        const qint64 at = Start.toMSecsSinceEpoch();
        for (int i = 0; i < 10; ++i)
            live.Append(Row{at + 200 * i, {quint32(i)}, 0, false});
        live.MarkGap(); // a failed read
        live.Append(Row{at + 2000, {10}, 0, false});
        live.Append(Row{at + 2200, {11}, 0, false});
        live.Append(Row{at + 9000, {12}, 0, false}); // refreshes stopped for a while
        QCOMPARE(live.Query(at, at + 10000, 10).gaps,
                 (std::vector<Gap>{{at + 1800, at + 2000}, {at + 2200, at + 9000}}));
        // A view of buckets of ten seconds or more is merged from those built as rows came.
        const HistoryView coarse = live.Query(at, at + 20000, 2);
        QCOMPARE(coarse.gaps, (std::vector<Gap>{{at + 1800, at + 2000}, {at + 2200, at + 9000}}));
        QCOMPARE(coarse.rows, 13);
        QCOMPARE(coarse.buckets[0].inputs[0].after.max, 12u);
        live.Append(Row{at + 9000 + LiveHistory::KeepMs, {13}, 0, false});
        QCOMPARE(live.RowCount(), 2); // a day after the newest, the rest are gone
    }

    void rangeCsv() {
        QTemporaryDir dir;
        const LogHistory::Opened opened = LogHistory::Open(WriteFile(dir, SampleLog()));
        QVERIFY(opened.log);
        const qint64 at = Start.toMSecsSinceEpoch();
        const QString path = dir.filePath(QStringLiteral("range.csv"));
        QString error;
        QVERIFY(WriteRangeCsv(*opened.log, at + 1800, at + 62400, {false, false, true}, path, &error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QByteArray("time,counter_3,rate_3"));
        QVERIFY(lines[1].endsWith(",50009,5.000"));
        QVERIFY(lines[2].endsWith(",50010,5.000"));
        QVERIFY(lines[3].endsWith(",50011,")); // after the gap: no rate
        QVERIFY(lines[4].endsWith(",50012,5.000"));
    }
};

QTEST_GUILESS_MAIN(HistoryTest)
#include "tst_history.moc"
