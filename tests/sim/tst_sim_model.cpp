// SPDX-License-Identifier: MIT
// The simulated device's model, request reception and answer shaping, from data tables.
#include "tst_sim.h"

#include "link/Crc16.h"
#include "link/FrameCodec.h"
#include "sim/DeviceModel.h"
#include "sim/LineCodec.h"
#include "sim/LineFault.h"
#include "sim/RequestDecoder.h"

#include <QTest>

#include <memory>

using zeph::link::Bytes;
using zeph::sim::DeviceModel;
using zeph::sim::FaultKind;
using zeph::sim::SettingsRecord;

namespace {

// A clock the test moves by hand.
struct ManualClock {
    std::shared_ptr<std::uint64_t> now = std::make_shared<std::uint64_t>(100000);
    DeviceModel::Clock Function() const {
        return [now = now] { return *now; };
    }
    void Advance(std::uint64_t ms) const { *now += ms; }
};

Bytes FromHex(const char* hex) {
    const QByteArray raw = QByteArray::fromHex(hex);
    return Bytes(raw.begin(), raw.end());
}

std::uint32_t ReadUInt32At(const Bytes& bytes, std::size_t position) {
    const std::size_t i = position - 1;
    return std::uint32_t(bytes.at(i)) | std::uint32_t(bytes.at(i + 1)) << 8 |
           std::uint32_t(bytes.at(i + 2)) << 16 | std::uint32_t(bytes.at(i + 3)) << 24;
}

void PutUInt32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int k = 0; k < 4; ++k)
        bytes[at + std::size_t(k)] = static_cast<std::uint8_t>(value >> (8 * k));
}

// The block of the worked example: the factory state of the device.
const Bytes WorkedExampleBlock = FromHex("0403000000000000"
                                         "60ea0000e8030000e8030000e8030000e8030000e8030000e8030000e8030000"
                                         "02080101640005");

Bytes Request(std::uint8_t code, const Bytes& rest = {}) {
    Bytes payload;
    payload.reserve(2 + rest.size());
    payload.push_back(4);
    payload.push_back(code);
    for (std::uint8_t b : rest)
        payload.push_back(b);
    return payload;
}

Bytes Report(DeviceModel& model) {
    return model.Answer(Request(4)).value();
}

Bytes PresetRequest(std::uint8_t mask, const QList<quint32>& values) {
    Bytes payload{4, 6, mask};
    payload.resize(35, 0);
    for (int k = 0; k < 8; ++k)
        PutUInt32(payload, 3 + 4 * std::size_t(k), values.value(k));
    return payload;
}

} // namespace

void TestSim::answersByCode_data() {
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("length"); // -1: no answer
    QTest::addColumn<int>("status");

    const QByteArray block = QByteArray(reinterpret_cast<const char*>(WorkedExampleBlock.data()), 47);
    QTest::newRow("1 read settings") << QByteArray::fromHex("0401") << 49 << 0;
    QTest::newRow("2 read defaults") << QByteArray::fromHex("0402") << 48 << 0;
    QTest::newRow("3 write") << QByteArray::fromHex("0403") + block << 1 << 0;
    QTest::newRow("4 read counters") << QByteArray::fromHex("0404") << 73 << 0;
    QTest::newRow("5 clear latched") << QByteArray::fromHex("0405") << 73 << 0;
    QTest::newRow("6 preset nothing") << QByteArray::fromHex("0406") + QByteArray(33, 0) << 73 << 0;
    QTest::newRow("7 first init") << QByteArray::fromHex("0407") << 1 << 0;
    QTest::newRow("empty") << QByteArray() << -1 << 0;
    QTest::newRow("first byte 5") << QByteArray::fromHex("0501") << 1 << 0xFE;
    QTest::newRow("first byte 0") << QByteArray::fromHex("0004") << 1 << 0xFE;
    QTest::newRow("group byte only") << QByteArray::fromHex("04") << 1 << 0xFE;
    QTest::newRow("code 0") << QByteArray::fromHex("0400") << 1 << 0xFE;
    QTest::newRow("code 8") << QByteArray::fromHex("0408") << 1 << 0xFE;
    QTest::newRow("read with a byte more") << QByteArray::fromHex("040100") << 1 << 0xFE;
    QTest::newRow("clear with a byte more") << QByteArray::fromHex("040500") << 1 << 0xFE;
    QTest::newRow("write one short") << QByteArray::fromHex("0403") + block.left(46) << 1 << 0xFE;
    QTest::newRow("write one long") << QByteArray::fromHex("0403") + block + '\0' << 1 << 0xFE;
    QTest::newRow("preset one short") << QByteArray::fromHex("0406") + QByteArray(32, 0) << 1 << 0xFE;
    QTest::newRow("first init with a byte more") << QByteArray::fromHex("040700") << 1 << 0xFE;
}

void TestSim::answersByCode() {
    QFETCH(QByteArray, payload);
    QFETCH(int, length);
    QFETCH(int, status);
    ManualClock clock;
    DeviceModel model(clock.Function());
    const auto answer = model.Answer(Bytes(payload.begin(), payload.end()));
    if (length < 0) {
        QVERIFY(!answer);
        return;
    }
    QVERIFY(answer);
    QCOMPARE(int(answer->size()), length);
    QCOMPARE(int(answer->front()), status);
    if (length == 49 || length == 48) {
        QCOMPARE(Bytes(answer->begin() + 1, answer->begin() + 48), WorkedExampleBlock);
        if (length == 49) QCOMPARE(int(answer->back()), 11);
    }
    if (length == 73) QCOMPARE(int(answer->back()), 11);
}

void TestSim::writeThenReadReturnsBlock() {
    ManualClock clock;
    DeviceModel model(clock.Function());
    const Bytes written = FromHex("0700050201060403"
                                  "00000000ffff0000ff276beee8030000010000000200000003000000a0860100"
                                  "0309f7032c01ff");
    QCOMPARE(model.Answer(Request(3, written)), std::optional<Bytes>(Bytes{0}));
    const Bytes read = model.Answer(Request(1)).value();
    QCOMPARE(Bytes(read.begin() + 1, read.begin() + 48), written);
    const Bytes defaults = model.Answer(Request(2)).value();
    QCOMPARE(Bytes(defaults.begin() + 1, defaults.end()), WorkedExampleBlock);

    // A device that forgets writes acknowledges them all the same.
    model.SetWritesIgnored(true);
    QCOMPARE(model.Answer(Request(3, WorkedExampleBlock)), std::optional<Bytes>(Bytes{0}));
    const Bytes kept = model.Answer(Request(1)).value();
    QCOMPARE(Bytes(kept.begin() + 1, kept.begin() + 48), written);
}

void TestSim::writeValidation_data() {
    QTest::addColumn<int>("position"); // in the block, from 1
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");

    QTest::newRow("parity 0") << 41 << QByteArray::fromHex("00") << 1;
    QTest::newRow("parity 4") << 41 << QByteArray::fromHex("04") << 1;
    QTest::newRow("parity 1") << 41 << QByteArray::fromHex("01") << 0;
    QTest::newRow("parity 3") << 41 << QByteArray::fromHex("03") << 0;
    QTest::newRow("baud 0") << 42 << QByteArray::fromHex("00") << 1;
    QTest::newRow("baud 10") << 42 << QByteArray::fromHex("0a") << 1;
    QTest::newRow("baud 9") << 42 << QByteArray::fromHex("09") << 0;
    QTest::newRow("address 0") << 43 << QByteArray::fromHex("00") << 1;
    QTest::newRow("address 248") << 43 << QByteArray::fromHex("f8") << 1;
    QTest::newRow("address 247") << 43 << QByteArray::fromHex("f7") << 0;
    QTest::newRow("pulse time 4000000000") << 17 << QByteArray::fromHex("00286bee") << 1;
    QTest::newRow("pulse time 3999999999") << 17 << QByteArray::fromHex("ff276bee") << 0;
    QTest::newRow("input reserved bit 3") << 5 << QByteArray::fromHex("08") << 1;
    QTest::newRow("input bits 0-2") << 5 << QByteArray::fromHex("07") << 0;
    QTest::newRow("resistor bit 2") << 44 << QByteArray::fromHex("04") << 1;
    QTest::newRow("both resistors") << 44 << QByteArray::fromHex("03") << 0;
    QTest::newRow("comm timeout 65535") << 45 << QByteArray::fromHex("ffff") << 0;
}

void TestSim::writeValidation() {
    QFETCH(int, position);
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    ManualClock clock;
    DeviceModel model(clock.Function());
    Bytes block = WorkedExampleBlock;
    block[9] = 0x77; // differs from the stored block, so a refused write is visible
    std::copy(bytes.begin(), bytes.end(), block.begin() + (position - 1));

    QCOMPARE(model.Answer(Request(3, block)), std::optional<Bytes>(Bytes{std::uint8_t(status)}));
    const Bytes read = model.Answer(Request(1)).value();
    QCOMPARE(Bytes(read.begin() + 1, read.begin() + 48), status == 0 ? block : WorkedExampleBlock);
}

void TestSim::clearResetsLatchedOnly() {
    ManualClock clock;
    DeviceModel model(clock.Function());
    model.SetSettings([] {
        SettingsRecord s = SettingsRecord::FactoryDefaults();
        s.maxPulseTimeMs.fill(0); // no time-limit flags in the way
        return s;
    }());
    model.SetErrorFlags(0x0C);
    Bytes report = Report(model);
    QCOMPARE(int(report[70]), 0x0C);
    QCOMPARE(int(report[71]), 0x0C);

    model.SetErrorFlags(0x04); // the module error goes away, the power error stays
    report = Report(model);
    QCOMPARE(int(report[70]), 0x04);
    QCOMPARE(int(report[71]), 0x0C);

    report = model.Answer(Request(5)).value();
    QCOMPARE(int(report[70]), 0x04);
    QCOMPARE(int(report[71]), 0x04); // a condition that still holds latches again at once
    QCOMPARE(int(model.CurrentErrorFlags()), 0x04);
}

void TestSim::preset_data() {
    QTest::addColumn<int>("mask");
    QTest::addColumn<QList<quint32>>("values");
    QTest::addColumn<int>("status");
    QTest::addColumn<QList<quint32>>("counters");

    QTest::newRow("2 and 5") << 0x12 << QList<quint32>{9, 1000, 9, 9, 1, 9, 9, 9} << 0
                             << QList<quint32>{77, 1000, 77, 77, 1, 77, 77, 77};
    QTest::newRow("nothing selected")
        << 0 << QList<quint32>{1, 2, 3, 4, 5, 6, 7, 8} << 0 << QList<quint32>{77, 77, 77, 77, 77, 77, 77, 77};
    QTest::newRow("8 at the limit") << 0x80 << QList<quint32>{0, 0, 0, 0, 0, 0, 0, 3999999999u} << 0
                                    << QList<quint32>{77, 77, 77, 77, 77, 77, 77, 3999999999u};
    QTest::newRow("all to 0") << 0xFF << QList<quint32>{0, 0, 0, 0, 0, 0, 0, 0} << 0
                              << QList<quint32>{0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("unselected value too large is ignored")
        << 0x01 << QList<quint32>{5, 4294967295u, 0, 0, 0, 0, 0, 0} << 0
        << QList<quint32>{5, 77, 77, 77, 77, 77, 77, 77};
    QTest::newRow("over the limit") << 0x01 << QList<quint32>{4000000000u, 0, 0, 0, 0, 0, 0, 0} << 1
                                    << QList<quint32>{77, 77, 77, 77, 77, 77, 77, 77};
    QTest::newRow("all or nothing") << 0x03 << QList<quint32>{5, 4294967295u, 0, 0, 0, 0, 0, 0} << 1
                                    << QList<quint32>{77, 77, 77, 77, 77, 77, 77, 77};
}

void TestSim::preset() {
    QFETCH(int, mask);
    QFETCH(QList<quint32>, values);
    QFETCH(int, status);
    QFETCH(QList<quint32>, counters);
    ManualClock clock;
    DeviceModel model(clock.Function());
    for (int k = 0; k < 8; ++k)
        model.SetCounter(k, 77);

    const Bytes answer = model.Answer(PresetRequest(std::uint8_t(mask), values)).value();
    QCOMPARE(int(answer[0]), status);
    QCOMPARE(answer.size(), status == 0 ? std::size_t(73) : std::size_t(1));
    const Bytes report = Report(model);
    for (int k = 0; k < 8; ++k)
        QCOMPARE(quint32(ReadUInt32At(report, 7 + 4 * std::size_t(k))), counters[k]);
}

void TestSim::firstInitialization() {
    ManualClock clock;
    DeviceModel model(clock.Function());
    SettingsRecord changed = SettingsRecord::FactoryDefaults();
    changed.address = 9;
    changed.maxPulseTimeMs.fill(0);
    model.SetSettings(changed);
    model.SetErrorFlags(0x07);
    QCOMPARE(int(model.LatchedErrorFlags()), 0x07);

    QCOMPARE(model.Answer(Request(7)), std::optional<Bytes>(Bytes{0}));
    QCOMPARE(model.Settings(), SettingsRecord::FactoryDefaults());
    QCOMPARE(int(model.CurrentErrorFlags() & 0x07), 0x04);
    QCOMPARE(int(model.LatchedErrorFlags() & 0x07), 0x04);
}

void TestSim::counting_data() {
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("elapsedMs");
    QTest::addColumn<quint32>("counter");
    QTest::addColumn<quint32>("interval");

    const quint32 none = 0xFFFFFFFFu;
    QTest::newRow("idle") << 0.0 << 5000 << 0u << none;
    QTest::newRow("2/s at start") << 2.0 << 0 << 0u << none;
    QTest::newRow("2/s just before the first") << 2.0 << 499 << 0u << none;
    QTest::newRow("2/s one pulse") << 2.0 << 500 << 1u << none;
    QTest::newRow("2/s two pulses") << 2.0 << 1000 << 2u << 500u;
    QTest::newRow("20/s a second") << 20.0 << 1000 << 20u << 50u;
    QTest::newRow("0.5/s four seconds") << 0.5 << 4000 << 2u << 2000u;
    QTest::newRow("3/s rounds the interval") << 3.0 << 1000 << 3u << 333u;
    QTest::newRow("1000/s an hour") << 1000.0 << 3600000 << 3600000u << 1u;
}

void TestSim::counting() {
    QFETCH(double, rate);
    QFETCH(int, elapsedMs);
    QFETCH(quint32, counter);
    QFETCH(quint32, interval);
    ManualClock clock;
    DeviceModel model(clock.Function());
    model.SetPulseRate(3, rate);
    clock.Advance(std::uint64_t(elapsedMs));
    const Bytes report = Report(model);
    QCOMPARE(quint32(ReadUInt32At(report, 7 + 4 * 3)), counter);
    QCOMPARE(quint32(ReadUInt32At(report, 39 + 4 * 3)), interval);
    QCOMPARE(quint32(ReadUInt32At(report, 7)), 0u); // the other inputs stay put
    QCOMPARE(quint32(ReadUInt32At(report, 39)), 0xFFFFFFFFu);
}

void TestSim::activityLastsUntilReport() {
    ManualClock clock;
    DeviceModel model(clock.Function());
    model.SetPulseRate(1, 10);
    model.SetPulseRate(6, 1);
    clock.Advance(150);
    QCOMPARE(int(Report(model)[1]), 0x02);
    clock.Advance(40);
    QCOMPARE(int(Report(model)[1]), 0x00); // no pulse since the last report
    clock.Advance(900);
    QCOMPARE(int(Report(model)[1]), 0x42);
}

void TestSim::timeLimitFlag() {
    ManualClock clock;
    DeviceModel model(clock.Function());
    SettingsRecord settings = SettingsRecord::FactoryDefaults();
    settings.maxPulseTimeMs.fill(0);
    settings.maxPulseTimeMs[7] = 1000;
    model.SetSettings(settings);

    clock.Advance(1000);
    QCOMPARE(int(Report(model)[4]), 0);
    clock.Advance(1);
    Bytes report = Report(model);
    QCOMPARE(int(report[4]), 0x80);
    QCOMPARE(int(report[70] & 0x80), 0x80);

    model.SetPulseRate(7, 10);
    clock.Advance(100);
    report = Report(model);
    QCOMPARE(int(report[4]), 0);
    QCOMPARE(int(report[70] & 0x80), 0);
    QCOMPARE(int(report[71] & 0x80), 0x80);

    // A slow input exceeds its limit between two looks: only the latched flag can tell.
    DeviceModel slow(clock.Function());
    settings.maxPulseTimeMs.fill(0);
    settings.maxPulseTimeMs[1] = 1000;
    slow.SetSettings(settings);
    slow.SetPulseRate(1, 0.5);
    clock.Advance(10000);
    report = Report(slow);
    QCOMPARE(int(report[4]), 0);
    QCOMPARE(int(report[71] & 0x80), 0x80);
}

void TestSim::counterOverflow() {
    ManualClock clock;
    DeviceModel model(clock.Function());
    model.SetCounter(0, 0xFFFFFFFEu);
    model.SetPulseRate(0, 1);
    clock.Advance(1000);
    Bytes report = Report(model);
    QCOMPARE(ReadUInt32At(report, 7), 0xFFFFFFFFu);
    QCOMPARE(int(report[5]), 0);
    clock.Advance(2000);
    report = Report(model);
    QCOMPARE(ReadUInt32At(report, 7), 1u);
    QCOMPARE(int(report[5]), 0x01);
    QCOMPARE(int(report[70] & 0x40), 0x40);

    report = model.Answer(PresetRequest(0x01, {5})).value();
    QCOMPARE(int(report[5]), 0);
    QCOMPARE(int(report[70] & 0x40), 0);
    QCOMPARE(int(report[71] & 0x40), 0x40);
}

void TestSim::namurFaults() {
    ManualClock clock;
    DeviceModel model(clock.Function());
    model.SetNamurOpenCircuit(0x81);
    model.SetNamurShortCircuit(0x04);
    Bytes report = Report(model);
    QCOMPARE(int(report[2]), 0x81);
    QCOMPARE(int(report[3]), 0x04);
    QCOMPARE(int(report[70] & 0x20), 0x20);
    model.SetNamurOpenCircuit(0);
    model.SetNamurShortCircuit(0);
    report = Report(model);
    QCOMPARE(int(report[70] & 0x20), 0);
    QCOMPARE(int(report[71] & 0x20), 0x20);
}

// --- The device's own codec, against its worked examples ---

void TestSim::crc16_data() {
    QTest::addColumn<QByteArray>("covered");
    QTest::addColumn<int>("crc");
    QTest::newRow("check string") << QByteArray("123456789") << 0x4B37;
    QTest::newRow("request header 1F 02") << QByteArray::fromHex("1f02") << 0x4188;
    QTest::newRow("request payload 04 01") << QByteArray::fromHex("0401") << 0xB0C2;
    QTest::newRow("request header 1F 00") << QByteArray::fromHex("1f00") << 0x8009;
    QTest::newRow("response 8F 01 81") << QByteArray::fromHex("8f0181") << 0xDB81;
}

void TestSim::crc16() {
    QFETCH(QByteArray, covered);
    QFETCH(int, crc);
    QCOMPARE(int(zeph::sim::Crc16(Bytes(covered.begin(), covered.end()))), crc);
}

void TestSim::lineCharacters_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("characters");
    QTest::addColumn<int>("answerFrom"); // -1: a request, which the device never builds

    QTest::newRow("response 81") << QByteArray::fromHex("8f018181db")
                                 << QByteArray::fromHex("4fc80180018801880b8d") << 15;
    QTest::newRow("request 04 01") << QByteArray::fromHex("1f0288410401c2b0")
                                   << QByteArray::fromHex("4fc102800888018404800180028c008b") << -1;
    QTest::newRow("request without payload")
        << QByteArray::fromHex("1f000980") << QByteArray::fromHex("4fc1008009800088") << -1;
}

void TestSim::lineCharacters() {
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, characters);
    QFETCH(int, answerFrom);
    const Bytes bytes(frame.begin(), frame.end());
    QCOMPARE(zeph::sim::ToLineCharacters(bytes), characters);
    if (answerFrom >= 0)
        QCOMPARE(zeph::sim::ResponseFrame(answerFrom, std::span(bytes).subspan(2, bytes[1])), bytes);
}

// --- Request reception ---

void TestSim::requestDecoder_data() {
    QTest::addColumn<QByteArray>("characters");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("header");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("rejected");

    // The device's worked examples: a settings read (payload 04 01) and a request without payload, both
    // to 15.
    const QByteArray read = QByteArray::fromHex("4fc102800888018404800180028c008b");
    const QByteArray empty = QByteArray::fromHex("4fc1008009800088");
    QTest::newRow("read settings") << read << 1 << 0x1F << QByteArray::fromHex("0401") << 0;
    QTest::newRow("no payload") << empty << 1 << 0x1F << QByteArray() << 0;
    QTest::newRow("garbage before") << QByteArray::fromHex("0583c70e") + read << 1 << 0x1F
                                    << QByteArray::fromHex("0401") << 0;
    QTest::newRow("two in one chunk") << read + empty << 2 << 0x1F << QByteArray::fromHex("0401") << 0;
    QByteArray badHeader = read;
    badHeader[4] = char(0x09);
    QTest::newRow("bad header CRC") << badHeader << 0 << 0 << QByteArray() << 1;
    QByteArray badPayload = read;
    badPayload[15] = char(0x8C);
    QTest::newRow("bad payload CRC") << badPayload << 0 << 0 << QByteArray() << 1;
    QTest::newRow("cut by a new start")
        << read.left(9) + read << 1 << 0x1F << QByteArray::fromHex("0401") << 1;
    QByteArray twoLows = read;
    twoLows[7] = char(0x03);
    QTest::newRow("two low characters") << twoLows << 0 << 0 << QByteArray() << 1;
    QByteArray unmarkedStart = read;
    unmarkedStart[1] = char(0x81);
    QTest::newRow("first byte without mark") << unmarkedStart << 0 << 0 << QByteArray() << 1;
    const auto address14 = zeph::link::EncodeFrame(zeph::link::BuildRequestFrame(14, false, Bytes{4, 4}));
    QTest::newRow("other address") << address14 << 1 << 0x1E << QByteArray::fromHex("0404") << 0;
    const auto variant = zeph::link::EncodeFrame(zeph::link::BuildRequestFrame(15, true, Bytes{4, 4}));
    QTest::newRow("variant flag") << variant << 1 << 0x5F << QByteArray::fromHex("0404") << 0;
}

void TestSim::requestDecoder() {
    QFETCH(QByteArray, characters);
    QFETCH(int, frames);
    QFETCH(int, header);
    QFETCH(QByteArray, payload);
    QFETCH(int, rejected);
    zeph::sim::RequestDecoder decoder;
    const auto requests = decoder.Feed(characters);
    QCOMPARE(int(requests.size()), frames);
    if (frames > 0) {
        QCOMPARE(int(requests[0].header), header);
        QCOMPARE(requests[0].payload, Bytes(payload.begin(), payload.end()));
    }
    QCOMPARE(decoder.RejectedFrames(), rejected);
}

void TestSim::requestDecoderAnyChunking() {
    Bytes payload = Request(3, WorkedExampleBlock);
    const QByteArray characters = zeph::link::EncodeFrame(zeph::link::BuildRequestFrame(15, false, payload));
    for (int cut = 0; cut <= characters.size(); ++cut) {
        zeph::sim::RequestDecoder decoder;
        auto requests = decoder.Feed(characters.left(cut));
        const auto rest = decoder.Feed(characters.mid(cut));
        requests.insert(requests.end(), rest.begin(), rest.end());
        QCOMPARE(int(requests.size()), 1);
        QCOMPARE(requests[0].payload, payload);
    }
    zeph::sim::RequestDecoder oneByOne;
    int found = 0;
    for (char c : characters)
        found += int(oneByOne.Feed(QByteArray(1, c)).size());
    QCOMPARE(found, 1);
}

// --- Faults ---

void TestSim::parseFault_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("skip");
    QTest::addColumn<double>("rate");

    QTest::newRow("silence") << "silence" << true << int(FaultKind::Silence) << -1 << -1 << 0 << 0.0;
    QTest::newRow("bad-crc:3") << "bad-crc:3" << true << int(FaultKind::BadCrc) << -1 << 3 << 0 << 0.0;
    QTest::newRow("wrong-address") << "wrong-address" << true << int(FaultKind::WrongAddress) << -1 << -1 << 0
                                   << 0.0;
    QTest::newRow("wrong-length:1") << "wrong-length:1" << true << int(FaultKind::WrongLength) << -1 << 1 << 0
                                    << 0.0;
    QTest::newRow("status:129") << "status:129" << true << int(FaultKind::StatusOnly) << 129 << -1 << 0
                                << 0.0;
    QTest::newRow("status:0") << "status:0" << true << int(FaultKind::StatusOnly) << 0 << -1 << 0 << 0.0;
    QTest::newRow("noise:12") << "noise:12" << true << int(FaultKind::Noise) << 12 << -1 << 0 << 0.0;
    QTest::newRow("drop") << "drop" << true << int(FaultKind::DropCharacter) << -1 << -1 << 0 << 0.0;
    QTest::newRow("extra:2") << "extra:2" << true << int(FaultKind::ExtraCharacter) << -1 << 2 << 0 << 0.0;
    QTest::newRow("late:1500") << "late:1500" << true << int(FaultKind::Late) << 1500 << -1 << 0 << 0.0;
    QTest::newRow("hangup:2") << "hangup:2" << true << int(FaultKind::HangUp) << -1 << 1 << 2 << 0.0;
    QTest::newRow("hangup") << "hangup" << true << int(FaultKind::HangUp) << -1 << 1 << 0 << 0.0;
    // Refused texts: the remaining columns do not matter.
    const auto refused = [](const char* name, const char* text) {
        QTest::newRow(name) << QString::fromLatin1(text) << false << 0 << 0 << 0 << 0 << 0.0;
    };
    refused("status without value", "status");
    refused("status 256", "status:256");
    refused("unknown kind", "explode");
    refused("not a number", "noise:x");
    refused("negative", "late:-5");
    refused("zero answers", "silence:0");

    // At a rate: for good, so no count of answers.
    QTest::newRow("noise:1%") << "noise:1%" << true << int(FaultKind::Noise) << -1 << -1 << 0 << 0.01;
    QTest::newRow("noise:12:1%") << "noise:12:1%" << true << int(FaultKind::Noise) << 12 << -1 << 0 << 0.01;
    QTest::newRow("status:129:1%") << "status:129:1%" << true << int(FaultKind::StatusOnly) << 129 << -1 << 0
                                   << 0.01;
    QTest::newRow("late:3000:0.5%") << "late:3000:0.5%" << true << int(FaultKind::Late) << 3000 << -1 << 0
                                    << 0.005;
    QTest::newRow("bad-crc:100%") << "bad-crc:100%" << true << int(FaultKind::BadCrc) << -1 << -1 << 0 << 1.0;
    refused("a count and a rate", "bad-crc:3:1%");
    refused("hangup at a rate", "hangup:1%");
    refused("status at a rate, no value", "status:1%");
    refused("0%", "drop:0%");
    refused("over 100%", "drop:100.5%");
    refused("rate not a number", "drop:x%");
    refused("rate alone", "5%");
}

void TestSim::parseFault() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const auto fault = zeph::sim::ParseFault(text);
    QCOMPARE(fault.has_value(), valid);
    if (!valid) return;
    QTEST(int(fault->kind), "kind");
    QTEST(fault->argument, "argument");
    QTEST(fault->count, "count");
    QTEST(fault->skip, "skip");
    QTEST(fault->rate, "rate");
}

// Which answers the faults strike, drawn from a fixed seed so that the counts are the same every run.
void TestSim::faultsForAnswers_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("answers");
    QTest::addColumn<int>("firstStruck"); // answer index; -1: never
    QTest::addColumn<int>("fewest");      // answers struck
    QTest::addColumn<int>("most");
    QTest::addColumn<bool>("lasts"); // still pending after the answers

    QTest::newRow("every answer") << "noise" << 50 << 0 << 50 << 50 << true;
    QTest::newRow("two answers") << "bad-crc:2" << 50 << 0 << 2 << 2 << false;
    QTest::newRow("hang-up after three") << "hangup:3" << 50 << 3 << 1 << 1 << false;
    QTest::newRow("100%") << "drop:100%" << 50 << 0 << 50 << 50 << true;
    // 1 % of 100000 is 1000, give or take 31 (one standard deviation).
    QTest::newRow("1%") << "noise:1%" << 100000 << -1 << 900 << 1100 << true;
    QTest::newRow("25%") << "status:129:25%" << 10000 << -1 << 2350 << 2650 << true;
}

void TestSim::faultsForAnswers() {
    QFETCH(QString, fault);
    QFETCH(int, answers);
    QFETCH(int, firstStruck);
    QFETCH(int, fewest);
    QFETCH(int, most);
    std::vector<zeph::sim::LineFault> pending{zeph::sim::ParseFault(fault).value()};
    std::mt19937 random(7208);
    int struck = 0;
    int first = -1;
    for (int answer = 0; answer < answers; ++answer) {
        const auto faults = zeph::sim::TakeFaultsForAnswer(pending, random);
        QVERIFY(faults.size() <= 1);
        if (faults.empty()) continue;
        QCOMPARE(int(faults.front().kind), int(zeph::sim::ParseFault(fault)->kind));
        if (first < 0) first = answer;
        ++struck;
    }
    if (firstStruck >= 0) QCOMPARE(first, firstStruck);
    QVERIFY2(struck >= fewest && struck <= most, qPrintable(QString::number(struck)));
    QTEST(!pending.empty(), "lasts");
}

void TestSim::shapeAnswer_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("characters");   // -1: nothing is sent
    QTest::addColumn<int>("validAddress"); // -1: the tail is no valid frame for address 14 or 15
    QTest::addColumn<int>("validLength");
    QTest::addColumn<int>("firstPayloadByte");

    // The payload 00 01 02 makes a 7-byte frame, 14 characters.
    QTest::newRow("clean") << "" << 14 << 15 << 3 << 0;
    QTest::newRow("silence") << "silence" << -1 << -1 << 0 << 0;
    QTest::newRow("hangup") << "hangup" << -1 << -1 << 0 << 0;
    QTest::newRow("late") << "late:100" << 14 << 15 << 3 << 0;
    QTest::newRow("bad crc") << "bad-crc" << 14 << -1 << 3 << 0;
    QTest::newRow("wrong address") << "wrong-address" << 14 << 14 << 3 << 0;
    QTest::newRow("wrong length") << "wrong-length" << 14 << -1 << 3 << 0;
    QTest::newRow("status 0x81") << "status:129" << 10 << 15 << 1 << 0x81;
    QTest::newRow("status 0") << "status:0" << 10 << 15 << 1 << 0;
    QTest::newRow("status 2") << "status:2" << 10 << 15 << 1 << 2;
    QTest::newRow("noise") << "noise:5" << 19 << 15 << 3 << 0;
    QTest::newRow("drop") << "drop" << 13 << -1 << 3 << 0;
    QTest::newRow("extra") << "extra" << 15 << -1 << 3 << 0;
}

void TestSim::shapeAnswer() {
    QFETCH(QString, fault);
    QFETCH(int, characters);
    QFETCH(int, validAddress);
    QFETCH(int, validLength);
    QFETCH(int, firstPayloadByte);
    std::vector<zeph::sim::LineFault> faults;
    if (!fault.isEmpty()) faults.push_back(zeph::sim::ParseFault(fault).value());
    const auto shaped = zeph::sim::ShapeAnswer(15, Bytes{0, 1, 2}, faults);
    if (characters < 0) {
        QVERIFY(!shaped);
        return;
    }
    QVERIFY(shaped);
    QCOMPARE(int(shaped->size()), characters);
    Bytes bytes;
    zeph::link::FrameDecoder().Decode(*shaped, bytes);
    const std::size_t frameSize = std::size_t(validLength) + 4;
    QVERIFY(bytes.size() >= frameSize - 1);
    const auto tail = std::span<const std::uint8_t>(bytes).last(std::min(frameSize, bytes.size()));
    if (validAddress >= 0) {
        QVERIFY(zeph::link::IsValidResponse(tail, validAddress, validLength));
        QCOMPARE(int(tail[2]), firstPayloadByte);
    } else {
        QVERIFY(!zeph::link::IsValidResponse(tail, 15, validLength));
        QVERIFY(!zeph::link::IsValidResponse(tail, 14, validLength));
    }
    if (fault == "wrong-length") // only the length is wrong: its CRC matches the spoiled header
        QCOMPARE(zeph::link::Crc16Of(tail.first(5)), std::uint16_t(tail[5] | tail[6] << 8));
}
