// SPDX-License-Identifier: MIT
// Tests of what the device's requests carry and its answers bring: the counter/status report decoded from
// its positions, the counter-preset payload, and when the device asks for a first initialization.
#include "device/DevicePayloads.h"

#include <QtTest>

using namespace zeph::device;

using Selection = PresetSelection;
Q_DECLARE_METATYPE(Selection)

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

class DevicePayloadsTest : public QObject {
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
        QCOMPARE(NeedsFirstInitialization(std::uint8_t(currentErrors)), shown);
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
        const zeph::link::Bytes actual = CounterPresetPayload(selection);
        QStringList numbers;
        for (const std::uint8_t byte : actual)
            numbers << QString::number(byte);
        QCOMPARE(numbers.join(','), payload);
        QCOMPARE(actual.size(), std::size_t(35));
    }
};

int RunDevicePayloadsTests(int argc, char** argv) {
    DevicePayloadsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_device_payloads.moc"
