// SPDX-License-Identifier: MIT
// Tests of the counter/status report decoding, its value texts and font sizes, the preset payload, the CSV
// lines and the pulse rates.
#include "counters/CounterCsv.h"
#include "counters/CounterPreset.h"
#include "counters/CounterRateWindow.h"
#include "counters/CounterStatusReport.h"

#include <QtTest>

using namespace zeph::counters;

using Selection = std::array<std::optional<quint32>, 8>;
Q_DECLARE_METATYPE(Selection)
// Reports as (milliseconds from the first, counter of input 3).
using Readings = QList<QPair<int, quint32>>;

namespace {
using Payload = std::array<std::uint8_t, CounterStatusReportSize>;

// Positions counted from 1, as the device documents them.
Payload WithBytes(int position, const QByteArray& bytes) {
    Payload payload{};
    for (int i = 0; i < bytes.size(); ++i)
        payload[std::size_t(position - 1 + i)] = std::uint8_t(bytes[i]);
    return payload;
}
} // namespace

class CountersTest : public QObject {
    Q_OBJECT
private slots:
    void everyFieldFromItsPosition() {
        // Each byte holds its own position, so a field read from the wrong place shows at once.
        Payload payload{};
        for (int i = 0; i < CounterStatusReportSize; ++i)
            payload[i] = std::uint8_t(i + 1);
        const CounterStatusReport report = DecodeCounterStatusReport(payload);
        QCOMPARE(report.status, 1);
        QCOMPARE(report.activity, 2);
        QCOMPARE(report.namurOpen, 3);
        QCOMPARE(report.namurShort, 4);
        QCOMPARE(report.timeLimit, 5);
        QCOMPARE(report.overflow, 6);
        QCOMPARE(report.counters[0], 0x0A090807u);
        QCOMPARE(report.counters[1], 0x0E0D0C0Bu);
        QCOMPARE(report.counters[7], 0x26252423u);
        QCOMPARE(report.intervals[0], 0x2A292827u);
        QCOMPARE(report.intervals[7], 0x46454443u);
        QCOMPARE(report.currentErrors, 71);
        QCOMPARE(report.latchedErrors, 72);
        QCOMPARE(report.dataSource, 73);
    }

    void multiByteValues_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("interval");
        QTest::addColumn<int>("input");
        QTest::addColumn<quint32>("value");
        QTest::newRow("counter 1 = 1") << 7 << QByteArray::fromHex("01000000") << false << 0 << 1u;
        QTest::newRow("counter 1 = 16777216")
            << 7 << QByteArray::fromHex("00000001") << false << 0 << 16777216u;
        QTest::newRow("counter 8 all ones")
            << 35 << QByteArray::fromHex("ffffffff") << false << 7 << 4294967295u;
        QTest::newRow("counter 5 = 1000") << 23 << QByteArray::fromHex("e8030000") << false << 4 << 1000u;
        QTest::newRow("interval 1 all ones")
            << 39 << QByteArray::fromHex("ffffffff") << true << 0 << NoInterval;
        QTest::newRow("interval 3 FE FF FF FF")
            << 47 << QByteArray::fromHex("feffffff") << true << 2 << 4294967294u;
        QTest::newRow("interval 8 = 256") << 67 << QByteArray::fromHex("00010000") << true << 7 << 256u;
    }
    void multiByteValues() {
        QFETCH(int, position);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, interval);
        QFETCH(int, input);
        QFETCH(quint32, value);
        const CounterStatusReport report = DecodeCounterStatusReport(WithBytes(position, bytes));
        const auto& values = interval ? report.intervals : report.counters;
        const auto& others = interval ? report.counters : report.intervals;
        for (int k = 0; k < 8; ++k) {
            QCOMPARE(values[k], k == input ? value : 0u);
            QCOMPARE(others[k], 0u);
        }
    }

    void counterText_data() {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("points");
        QTest::newRow("0") << 0u << "0" << 12;
        QTest::newRow("7") << 7u << "7" << 12;
        QTest::newRow("999") << 999u << "999" << 12;
        QTest::newRow("1000") << 1000u << "1 000" << 12;
        QTest::newRow("1234") << 1234u << "1 234" << 12;
        QTest::newRow("100000") << 100000u << "100 000" << 12;
        QTest::newRow("999999") << 999999u << "999 999" << 12;
        QTest::newRow("1000000") << 1000000u << "1 000 000" << 8;
        QTest::newRow("16777216") << 16777216u << "16 777 216" << 8;
        QTest::newRow("4294967294") << 4294967294u << "4 294 967 294" << 8;
        QTest::newRow("4294967295") << 4294967295u << "4 294 967 295" << 8;
    }
    void counterText() {
        QFETCH(quint32, value);
        QFETCH(QString, text);
        QFETCH(int, points);
        QCOMPARE(FormatCounterValue(value), text);
        QCOMPARE(CounterFontPointSize(value), points);
        if (value != NoInterval) QCOMPARE(IntervalText(value), text);
    }

    void missingInterval() {
        QCOMPARE(IntervalText(NoInterval), QStringLiteral("-"));
        QCOMPARE(CounterFontPointSize(NoInterval), 8);
    }

    void firstInitializationOffered_data() {
        QTest::addColumn<int>("currentErrors");
        QTest::addColumn<bool>("shown");
        QTest::newRow("none") << 0x00 << false;
        QTest::newRow("invalid settings") << 0x01 << true;
        QTest::newRow("invalid counted values") << 0x02 << true;
        QTest::newRow("both") << 0x03 << true;
        QTest::newRow("power error only") << 0x04 << false;
        QTest::newRow("all other bits") << 0xFC << false;
        QTest::newRow("all bits") << 0xFF << true;
    }
    void firstInitializationOffered() {
        QFETCH(int, currentErrors);
        QFETCH(bool, shown);
        QCOMPARE(ShowFirstInitialization(std::uint8_t(currentErrors)), shown);
    }

    void presetPayload_data() {
        QTest::addColumn<Selection>("selection");
        QTest::addColumn<QString>("payload");
        const QString zeros = ",0,0,0,0";
        Selection counter2;
        counter2[1] = 1000;
        QTest::newRow("counter 2 = 1000") << counter2 << "4,6,2,0,0,0,0,232,3,0,0" + zeros.repeated(6);
        Selection counters2and5;
        counters2and5[1] = 1000;
        counters2and5[4] = 1;
        QTest::newRow("counters 2 and 5")
            << counters2and5
            << "4,6,18" + zeros + ",232,3,0,0" + zeros.repeated(2) + ",1,0,0,0" + zeros.repeated(3);
        Selection counter8;
        counter8[7] = MaxPresetValue;
        QTest::newRow("counter 8 = 3999999999")
            << counter8 << "4,6,128" + zeros.repeated(7) + ",255,39,107,238";
        Selection counter1Zero;
        counter1Zero[0] = 0;
        QTest::newRow("counter 1 set to 0") << counter1Zero << "4,6,1" + zeros.repeated(8);
        QTest::newRow("nothing selected") << Selection{} << "4,6,0" + zeros.repeated(8);
        Selection all;
        all.fill(0x01020304u);
        QTest::newRow("all selected") << all << "4,6,255" + QString(",4,3,2,1").repeated(8);
    }
    void presetPayload() {
        QFETCH(Selection, selection);
        QFETCH(QString, payload);
        const QString actual = CounterPresetPayload(selection);
        QCOMPARE(actual, payload);
        QCOMPARE(actual.split(',').size(), 35);
    }

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
        row.report.intervals.fill(NoInterval);
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
};

QTEST_GUILESS_MAIN(CountersTest)
#include "tst_counters.moc"
