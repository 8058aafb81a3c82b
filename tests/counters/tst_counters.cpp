// SPDX-License-Identifier: MIT
// Tests of the counter value texts, the CSV lines, the pulse rates and the totals.
#include "counters/CounterCsv.h"
#include "counters/CounterPreset.h"
#include "counters/CounterRateWindow.h"
#include "counters/CounterText.h"
#include "counters/CounterTotals.h"
#include "counters/ReportClock.h"
#include "device/DevicePayloads.h"

#include <QJsonArray>
#include <QtTest>

#include <ctime>

using namespace zeph::counters;

Q_DECLARE_METATYPE(zeph::counters::TotalStep)

// Reports as (milliseconds from the first, counter of input 3).
using Readings = QList<QPair<int, quint32>>;
// Readings of input 1 as (counter, overflow flag).
using FlaggedReadings = QList<QPair<quint32, bool>>;

class CountersTest : public QObject {
    Q_OBJECT
private slots:
    void counterText_data() {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0u << "0";
        QTest::newRow("7") << 7u << "7";
        QTest::newRow("999") << 999u << "999";
        QTest::newRow("1000") << 1000u << "1 000";
        QTest::newRow("1234") << 1234u << "1 234";
        QTest::newRow("100000") << 100000u << "100 000";
        QTest::newRow("999999") << 999999u << "999 999";
        QTest::newRow("1000000") << 1000000u << "1 000 000";
        QTest::newRow("16777216") << 16777216u << "16 777 216";
        QTest::newRow("4294967294") << 4294967294u << "4 294 967 294";
        QTest::newRow("4294967295") << 4294967295u << "4 294 967 295";
    }
    void counterText() {
        QFETCH(quint32, value);
        QFETCH(QString, text);
        QCOMPARE(FormatCounterValue(value), text);
        if (value != zeph::device::NoInterval) QCOMPARE(IntervalText(value), text);
    }

    void missingInterval() { QCOMPARE(IntervalText(zeph::device::NoInterval), QStringLiteral("-")); }

    void csvHeaderNamesEveryColumn() {
        const QStringList columns = CounterCsvHeader().split(',');
        QCOMPARE(columns.size(), 1 + 8 * 3 + 8);
        QCOMPARE(columns.mid(0, 4), (QStringList{"time", "counter_1", "interval_ms_1", "rate_1"}));
        QCOMPARE(columns.mid(22, 3), (QStringList{"counter_8", "interval_ms_8", "rate_8"}));
        QCOMPARE(columns.mid(25),
                 (QStringList{"namur_open", "namur_short", "time_limit", "overflow", "activity",
                              "current_errors", "latched_errors", "data_source"}));
    }

    void csvRows_data() {
        QTest::addColumn<bool>("hasPrevious");
        QTest::addColumn<quint32>("before");
        QTest::addColumn<quint32>("after");
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<QString>("rate");
        QTest::newRow("first row") << false << 0u << 10u << 0 << "";
        QTest::newRow("steady") << true << 100u << 150u << 2000 << "25.000";
        QTest::newRow("fraction") << true << 7u << 8u << 3000 << "0.333";
        QTest::newRow("standing still") << true << 5u << 5u << 500 << "0.000";
        QTest::newRow("went down after a preset") << true << 5000u << 12u << 1000 << "";
        QTest::newRow("no time between") << true << 5u << 9u << 0 << "";
        QTest::newRow("full range") << true << 0u << 4294967295u << 1000 << "4294967295.000";
    }
    void csvRows() {
        QFETCH(bool, hasPrevious);
        QFETCH(quint32, before);
        QFETCH(quint32, after);
        QFETCH(int, elapsedMs);
        QFETCH(QString, rate);
        const QDateTime start(QDate(2026, 12, 8), QTime(6, 6, 32, 123), Qt::OffsetFromUTC, 3600);
        TimedReport previous{start, {}};
        previous.report.counters[2] = before;
        TimedReport row{start.addMSecs(elapsedMs), {}};
        row.report.counters[2] = after;
        row.report.intervals.fill(zeph::device::NoInterval);
        row.report.intervals[0] = 250;
        row.report.namurOpen = 0x81;
        row.report.latchedErrors = 3;
        row.report.dataSource = 11;
        const QStringList fields =
            CounterCsvRow(row, hasPrevious ? std::optional(previous) : std::nullopt).split(',');
        QCOMPARE(fields.size(), 33);
        QCOMPARE(fields[0], start.addMSecs(elapsedMs).toString("yyyy-MM-ddTHH:mm:ss.zzz") + "+01:00");
        QCOMPARE(fields.mid(1, 3), (QStringList{"0", "250", hasPrevious && elapsedMs > 0 ? "0.000" : ""}));
        QCOMPARE(fields.mid(7, 3), (QStringList{QString::number(after), "", rate}));
        QCOMPARE(fields.mid(25), (QStringList{"129", "0", "0", "0", "0", "0", "3", "11"}));
    }

    void ratesOverTheLastReports_data() {
        QTest::addColumn<Readings>("readings");
        QTest::addColumn<double>("rate"); // -1: none
        QTest::newRow("one report") << Readings{{0, 10}} << -1.0;
        QTest::newRow("two reports") << Readings{{0, 100}, {2000, 150}} << 25.0;
        QTest::newRow("from the oldest in the window") << Readings{{0, 0}, {1000, 10}, {2000, 30}} << 15.0;
        QTest::newRow("older than ten seconds leave")
            << Readings{{0, 0}, {11000, 1100}, {12000, 1200}} << 100.0;
        QTest::newRow("refreshes minutes apart") << Readings{{0, 0}, {600000, 600}} << 1.0;
        QTest::newRow("counts again after a preset")
            << Readings{{0, 500}, {1000, 600}, {2000, 10}, {3000, 30}} << 20.0;
        QTest::newRow("just preset") << Readings{{0, 500}, {1000, 10}} << -1.0;
        QTest::newRow("no time between") << Readings{{0, 5}, {0, 9}} << -1.0;
    }
    void ratesOverTheLastReports() {
        QFETCH(Readings, readings);
        QFETCH(double, rate);
        const QDateTime start(QDate(2026, 12, 8), QTime(6, 0), Qt::UTC);
        CounterRateWindow window;
        InputRates rates;
        for (const auto& [ms, count] : readings) {
            TimedReport report{start.addMSecs(ms), {}};
            report.report.counters[2] = count;
            report.report.counters[5] = 7; // standing still all along
            rates = window.Add(report);
        }
        QCOMPARE(rates[2].has_value(), rate >= 0);
        if (rate >= 0) QCOMPARE(*rates[2], rate);
        // Each input on its own: a preset of input 3 does not cost input 6 its rate.
        QCOMPARE(rates[5].has_value(), readings.size() >= 2 && readings.last().first > 0);
    }

    // The stamp is the wall clock at the zone's offset, written as the log writes it, in any zone.
    void reportStampsCarryTheZonesOffset_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::newRow("UTC") << QByteArray("UTC0");
        QTest::newRow("east of Greenwich") << QByteArray("CET-1CEST,M3.5.0,M10.5.0/3");
        QTest::newRow("west, half hours") << QByteArray("NST3:30NDT,M3.2.0,M11.1.0");
    }
    void reportStampsCarryTheZonesOffset() {
        QFETCH(QByteArray, zone);
        const bool hadZone = qEnvironmentVariableIsSet("TZ");
        const QByteArray before = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
        ReportClock clock;
        const QDateTime stamp = clock.Now();
        const QDateTime local = QDateTime::currentDateTime();
        QCOMPARE(stamp.offsetFromUtc(), local.offsetFromUtc());
        QVERIFY(qAbs(stamp.msecsTo(local)) < 1000);
        QCOMPARE(CsvTime(stamp).right(6), CsvTime(local).right(6));
        if (hadZone)
            qputenv("TZ", before);
        else
            qunsetenv("TZ");
        tzset();
    }

    void rateTexts_data() {
        QTest::addColumn<double>("rate"); // -1: none
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << -1.0 << "";
        QTest::newRow("still") << 0.0 << "0.00 /s";
        QTest::newRow("slow") << 0.5 << "0.50 /s";
        QTest::newRow("tens") << 12.46 << "12.5 /s";
        QTest::newRow("hundreds") << 999.94 << "999.9 /s";
        QTest::newRow("thousands") << 1234.4 << "1234 /s";
    }
    void rateTexts() {
        QFETCH(double, rate);
        QFETCH(QString, text);
        QCOMPARE(RateText(rate < 0 ? std::nullopt : std::optional(rate)), text);
    }

    // The total after the readings, and what the last one was.
    void totalsFollowTheCounter_data() {
        QTest::addColumn<FlaggedReadings>("readings");
        QTest::addColumn<quint64>("total");
        QTest::addColumn<TotalStep>("step");
        using R = FlaggedReadings;
        QTest::newRow("first reading starts it") << R{{500, false}} << quint64(500) << TotalStep::First;
        QTest::newRow("rises") << R{{500, false}, {520, false}} << quint64(520) << TotalStep::Counted;
        QTest::newRow("wraps with the flag")
            << R{{0xFFFFFFF0u, false}, {5, true}} << quint64(0xFFFFFFF0u) + 21 << TotalStep::Wrapped;
        QTest::newRow("a preset down is a drop")
            << R{{500, false}, {100, false}, {130, false}} << quint64(530) << TotalStep::Counted;
        QTest::newRow("a small fall with the flag is a drop")
            << R{{0xFFFFFFF0u, true}, {0xFFFFFF00u, true}} << quint64(0xFFFFFFF0u) << TotalStep::Dropped;
        QTest::newRow("a large fall without the flag is a drop")
            << R{{0xFFFFFFF0u, false}, {5, false}} << quint64(0xFFFFFFF0u) << TotalStep::Dropped;
        QTest::newRow("past 2^32 in two wraps")
            << R{{0, false}, {0xF0000000u, false}, {0x10u, true}, {0xF0000000u, true}, {0x20u, true}}
            << (quint64(2) << 32) + 0x20 << TotalStep::Wrapped;
    }
    void totalsFollowTheCounter() {
        QFETCH(FlaggedReadings, readings);
        QFETCH(quint64, total);
        QFETCH(TotalStep, step);
        CounterTotals totals;
        TotalStep last{};
        for (const auto& [counter, overflow] : readings) {
            zeph::device::CounterStatusReport report;
            report.counters[0] = counter;
            report.overflow = overflow ? 0x01 : 0x00;
            last = totals.Take(report)[0];
        }
        QCOMPARE(totals.Total(0), total);
        QCOMPARE(last, step);
        // A restart goes on from the kept state, not from the device's reading.
        CounterTotals restarted;
        QVERIFY(restarted.Restore(totals.ToJson()));
        zeph::device::CounterStatusReport next;
        next.counters[0] = readings.back().first + 7;
        QCOMPARE(restarted.Take(next)[0], TotalStep::Counted);
        QCOMPARE(restarted.Total(0), total + 7);
        QVERIFY(!restarted.Restore(QJsonObject{{"inputs", QJsonArray{1, 2}}}));
        QCOMPARE(restarted.Total(0), total + 7);
    }
};

QTEST_GUILESS_MAIN(CountersTest)
#include "tst_counters.moc"
