// SPDX-License-Identifier: MIT
// The simulated device over a real pseudo-terminal and over TCP, and the zeph7208-sim program.
#include "tst_sim.h"

#include "LineClient.h"
#include "sim/SimulatedDevice.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using zeph::link::Bytes;
using zeph::sim::DeviceModel;
using zeph::sim::FaultKind;
using zeph::sim::LineFault;
using zeph::sim::LineOptions;
using zeph::sim::SimulatedDevice;
using zeph::sim::test::LineClient;

namespace {

LineOptions Unpaced() {
    LineOptions options;
    options.pacing = false;
    return options;
}

// The answer frame at the end of what arrived, if it is a valid one of length payload bytes from 15.
std::optional<Bytes> ValidAnswer(const QByteArray& characters, int length) {
    const Bytes bytes = LineClient::Decode(characters);
    if (bytes.size() < std::size_t(length) + 4) return std::nullopt;
    const auto tail = std::span<const std::uint8_t>(bytes).last(std::size_t(length) + 4);
    if (!zeph::link::IsValidResponse(tail, 15, length)) return std::nullopt;
    return Bytes(tail.begin() + 2, tail.end() - 2);
}

} // namespace

void TestSim::answersOverLine() {
    SimulatedDevice device(Unpaced());
    QString error;
    QVERIFY2(device.Start(&error), qPrintable(error));
    device.WithModel([](DeviceModel& m) { m.SetDataSource(21); });
    LineClient line(device.PortPath());
    QVERIFY(line.IsOpen());

    line.SendRequest(15, false, {4, 1});
    const QByteArray characters = line.Collect();
    QCOMPARE(characters.size(), 2 * (49 + 4));
    QCOMPARE(int(characters[0]) & 0xF0, 0x40); // the first byte carries the frame mark
    const auto payload = ValidAnswer(characters, 49);
    QVERIFY(payload);
    QCOMPARE(int(payload->front()), 0);
    QCOMPARE(int(payload->back()), 21);
    QCOMPARE(Bytes(payload->begin() + 1, payload->end() - 1),
             zeph::sim::SettingsRecord::FactoryDefaults().Encode());
    QTRY_COMPARE(device.AnswersSent(), 1);

    // The configurator closing and reopening its port does not disturb the device.
    {
        LineClient again(device.PortPath());
        again.SendRequest(15, false, {4, 4});
        QVERIFY(ValidAnswer(again.Collect(), 73));
    }
    LineClient third(device.PortPath());
    third.SendRequest(15, false, {4, 7});
    QCOMPARE(ValidAnswer(third.Collect(), 1), std::optional<Bytes>(Bytes{0}));
}

void TestSim::silentToOthers_data() {
    QTest::addColumn<QByteArray>("characters");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("rejected");

    using zeph::link::BuildRequestFrame;
    using zeph::link::EncodeFrame;
    QTest::newRow("address 14") << EncodeFrame(BuildRequestFrame(14, false, Bytes{4, 1})) << 1 << 0;
    QTest::newRow("variant flag") << EncodeFrame(BuildRequestFrame(15, true, Bytes{4, 1})) << 1 << 0;
    QByteArray badCrc = EncodeFrame(BuildRequestFrame(15, false, Bytes{4, 1}));
    badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x01);
    QTest::newRow("bad payload CRC") << badCrc << 0 << 1;
    QByteArray badHeader = EncodeFrame(BuildRequestFrame(15, false, Bytes{4, 1}));
    badHeader[5] = char(badHeader.at(5) ^ 0x02);
    QTest::newRow("bad header CRC") << badHeader << 0 << 1;
}

void TestSim::silentToOthers() {
    QFETCH(QByteArray, characters);
    QFETCH(int, requests);
    QFETCH(int, rejected);
    SimulatedDevice device(Unpaced());
    QVERIFY(device.Start(nullptr));
    LineClient line(device.PortPath());

    line.SendCharacters(characters);
    QTRY_COMPARE(device.RequestCount() + device.RejectedFrameCount(), 1);
    QCOMPARE(line.Collect(300), QByteArray());
    QCOMPARE(device.RequestCount(), requests);
    QCOMPARE(device.RejectedFrameCount(), rejected);

    // Still listening: the next good request is answered.
    line.SendRequest(15, false, {4, 4});
    QVERIFY(ValidAnswer(line.Collect(), 73));
}

void TestSim::lineFaults_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("characters");  // of the spoiled answer to 4,4 (154 when clean)
    QTest::addColumn<int>("validLength"); // -1: no valid frame in it

    QTest::newRow("silence") << int(FaultKind::Silence) << -1 << 0 << -1;
    QTest::newRow("bad crc") << int(FaultKind::BadCrc) << -1 << 154 << -1;
    QTest::newRow("wrong address") << int(FaultKind::WrongAddress) << 0x8E << 154 << -1;
    QTest::newRow("wrong length") << int(FaultKind::WrongLength) << -1 << 154 << -1;
    QTest::newRow("status 0x81") << int(FaultKind::StatusOnly) << 0x81 << 10 << 1;
    QTest::newRow("status 1") << int(FaultKind::StatusOnly) << 1 << 10 << 1;
    QTest::newRow("status 2") << int(FaultKind::StatusOnly) << 2 << 10 << 1;
    QTest::newRow("status 0 alone") << int(FaultKind::StatusOnly) << 0 << 10 << 1;
    QTest::newRow("status 7") << int(FaultKind::StatusOnly) << 7 << 10 << 1;
    QTest::newRow("noise") << int(FaultKind::Noise) << 9 << 163 << 73;
    QTest::newRow("drop") << int(FaultKind::DropCharacter) << -1 << 153 << -1;
    QTest::newRow("extra") << int(FaultKind::ExtraCharacter) << -1 << 155 << -1;
}

void TestSim::lineFaults() {
    QFETCH(int, kind);
    QFETCH(int, argument);
    QFETCH(int, characters);
    QFETCH(int, validLength);
    SimulatedDevice device(Unpaced());
    QVERIFY(device.Start(nullptr));
    LineClient line(device.PortPath());
    device.InjectFault({FaultKind(kind), argument, 2});

    for (int spoiled = 0; spoiled < 2; ++spoiled) {
        line.SendRequest(15, false, {4, 4});
        const QByteArray got = line.Collect();
        QCOMPARE(got.size(), characters);
        const auto payload = validLength > 0 ? ValidAnswer(got, validLength) : std::nullopt;
        QCOMPARE(payload.has_value(), validLength > 0);
        if (FaultKind(kind) == FaultKind::StatusOnly) QCOMPARE(int(payload->front()), argument);
        if (validLength < 0 && !got.isEmpty()) {
            QVERIFY(!ValidAnswer(got, 73));
            QVERIFY2(!ValidAnswer(got, 1), got.toHex().constData());
        }
    }
    // The fault was for two answers; the third is clean.
    line.SendRequest(15, false, {4, 4});
    QVERIFY(ValidAnswer(line.Collect(), 73));
    QCOMPARE(device.RequestCount(), 3);
}

void TestSim::lateAnswer() {
    SimulatedDevice device(Unpaced());
    QVERIFY(device.Start(nullptr));
    LineClient line(device.PortPath());
    device.InjectFault({FaultKind::Late, 600, 1});
    line.SendRequest(15, false, {4, 4});
    QCOMPARE(line.Collect(400, 400), QByteArray()); // nothing within the configurator's 170 ms and more
    const QByteArray got = line.Collect(300);
    QVERIFY(ValidAnswer(got, 73));
    QVERIFY(!line.Arrivals().empty());
    QVERIFY2(line.Arrivals().front().atMs >= 550, qPrintable(QString::number(line.Arrivals().front().atMs)));
}

void TestSim::answerDelay() {
    LineOptions options = Unpaced();
    options.answerDelayMs = 300;
    SimulatedDevice device(options);
    QVERIFY(device.Start(nullptr));
    LineClient line(device.PortPath());
    line.SendRequest(15, false, {4, 1});
    QCOMPARE(line.Collect(200, 200), QByteArray()); // still waiting
    QVERIFY(ValidAnswer(line.Collect(), 49));
    QVERIFY(!line.Arrivals().empty());
    QVERIFY2(line.Arrivals().front().atMs >= 280, qPrintable(QString::number(line.Arrivals().front().atMs)));
}

void TestSim::hangUp() {
    SimulatedDevice device(Unpaced());
    QVERIFY(device.Start(nullptr));
    LineClient line(device.PortPath());
    device.InjectFault({FaultKind::HangUp, -1, 1, 1});
    line.SendRequest(15, false, {4, 4});
    QVERIFY(ValidAnswer(line.Collect(), 73)); // the first request is still answered
    QVERIFY(!device.HasHungUp());
    line.SendRequest(15, false, {4, 4});
    QVERIFY(line.SeesHangUp(5000));
    QTRY_VERIFY(device.HasHungUp());

    SimulatedDevice other(Unpaced());
    QVERIFY(other.Start(nullptr));
    LineClient otherLine(other.PortPath());
    QVERIFY(!otherLine.SeesHangUp(50));
    other.HangUpNow();
    QVERIFY(otherLine.SeesHangUp(5000));
    QTRY_VERIFY(other.HasHungUp());

    // Started again after a hang-up, the device serves a new line.
    QVERIFY(other.Start(nullptr));
    LineClient again(other.PortPath());
    again.SendRequest(15, false, {4, 4});
    QVERIFY(ValidAnswer(again.Collect(), 73));
}

void TestSim::pacingAndChunks_data() {
    QTest::addColumn<bool>("pacing");
    QTest::addColumn<int>("chunkSize");
    QTest::addColumn<int>("chunkGapMs");
    QTest::addColumn<int>("minMs"); // from the request to the last character
    QTest::addColumn<int>("maxMs");
    QTest::addColumn<int>("largestRead");
    QTest::addColumn<bool>("perCharacter");
    QTest::addColumn<int>("fewestReads");

    // 77 bytes are 154 characters, 0.52 ms each at 19200 baud: about 80 ms; a slice of 8 ms is 15 of them.
    QTest::newRow("paced 19200, in slices") << true << 0 << 0 << 75 << 250 << 154 << false << 5;
    QTest::newRow("paced 19200, a character at a time") << true << 0 << 0 << 75 << 250 << 154 << true << 40;
    QTest::newRow("unpaced") << false << 0 << 0 << 0 << 60 << 154 << false << 1;
    QTest::newRow("chunks of 40, 60 ms apart") << false << 40 << 60 << 175 << 400 << 40 << false << 4;
    QTest::newRow("paced chunks of 50") << true << 50 << 20 << 135 << 350 << 50 << false << 4;
}

void TestSim::pacingAndChunks() {
    QFETCH(bool, pacing);
    QFETCH(int, chunkSize);
    QFETCH(int, chunkGapMs);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    QFETCH(int, largestRead);
    QFETCH(bool, perCharacter);
    QFETCH(int, fewestReads);
    LineOptions options;
    options.pacing = pacing;
    options.chunkSize = chunkSize;
    options.chunkGapMs = chunkGapMs;
    options.pacePerCharacter = perCharacter;
    SimulatedDevice device(options);
    QVERIFY(device.Start(nullptr));
    LineClient line(device.PortPath());

    line.SendRequest(15, false, {4, 4});
    const QByteArray got = line.Collect(300);
    QVERIFY(ValidAnswer(got, 73));
    const qint64 lastAt = line.Arrivals().back().atMs;
    QVERIFY2(lastAt >= minMs && lastAt <= maxMs,
             qPrintable(QStringLiteral("last character after %1 ms").arg(lastAt)));
    int largest = 0;
    for (const auto& arrival : line.Arrivals())
        largest = std::max(largest, arrival.characters);
    QVERIFY2(largest <= largestRead, qPrintable(QString::number(largest)));
    // Trickled, not in one piece: per character, or per slice of the line.
    QVERIFY2(int(line.Arrivals().size()) >= fewestReads, qPrintable(QString::number(line.Arrivals().size())));
    if (pacing && chunkSize == 0 && !perCharacter) QVERIFY(line.Arrivals().size() <= 16);
}

void TestSim::requestLogKeepsOrder() {
    SimulatedDevice device(Unpaced());
    QVERIFY(device.Start(nullptr));
    LineClient line(device.PortPath());
    for (std::uint8_t code : {7, 1, 4}) {
        line.SendRequest(15, false, {4, code});
        QVERIFY(!line.Collect().isEmpty());
    }
    line.SendRequest(3, false, {4, 4});
    QTRY_COMPARE(device.RequestCount(), 4);
    const std::vector<Bytes> expected{{4, 7}, {4, 1}, {4, 4}};
    QCOMPARE(device.AnsweredPayloads(), expected);
    QCOMPARE(int(device.Requests().back().header), 0x13);
    device.ClearRequestLog();
    QCOMPARE(device.RequestCount(), 0);
}

void TestSim::stopIsQuickDuringLateAnswer() {
    auto device = std::make_unique<SimulatedDevice>(LineOptions{});
    QVERIFY(device->Start(nullptr));
    LineClient line(device->PortPath());
    device->InjectFault({FaultKind::Late, 30000, -1});
    line.SendRequest(15, false, {4, 4});
    QTRY_COMPARE(device->RequestCount(), 1);
    QElapsedTimer timer;
    timer.start();
    device.reset(); // the destructor stops
    QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(line.Collect(100), QByteArray());
}

void TestSim::strictLine_data() {
    QTest::addColumn<uint>("speed");
    QTest::addColumn<bool>("twoStopBits");
    QTest::addColumn<bool>("strict");
    QTest::addColumn<bool>("answered");

    QTest::newRow("9600 8N1, strict") << uint(B9600) << false << true << false;
    QTest::newRow("19200 8N2, strict") << uint(B19200) << true << true << false;
    QTest::newRow("19200 8N1, strict") << uint(B19200) << false << true << true;
    QTest::newRow("9600 8N1, not strict") << uint(B9600) << false << false << true;
}

void TestSim::strictLine() {
    QFETCH(uint, speed);
    QFETCH(bool, twoStopBits);
    QFETCH(bool, strict);
    QFETCH(bool, answered);
    LineOptions options = Unpaced();
    options.strictLine = strict;
    SimulatedDevice device(options);
    QVERIFY(device.Start(nullptr));
    LineClient line(device.PortPath());

    QVERIFY(line.SetLine(speed_t(speed), twoStopBits));
    line.SendRequest(15, false, {4, 7});
    const QByteArray got = line.Collect(300);
    QCOMPARE(ValidAnswer(got, 1).has_value(), answered);
    if (!answered) QCOMPARE(got, QByteArray());

    // Set back as the device's port is, the line is answered again; what came before was never heard.
    QVERIFY(line.SetLine(B19200, false));
    line.SendRequest(15, false, {4, 7});
    QVERIFY(ValidAnswer(line.Collect(), 1));
    QCOMPARE(device.RequestCount(), answered ? 2 : 1);
}

void TestSim::servesOverTcp() {
    SimulatedDevice onTerminal(Unpaced());
    QVERIFY(onTerminal.Start(nullptr));
    LineClient terminal(onTerminal.PortPath());
    terminal.SendRequest(15, false, {4, 1});
    const QByteArray terminalAnswer = terminal.Collect();
    QVERIFY(ValidAnswer(terminalAnswer, 49));

    SimulatedDevice device(Unpaced());
    QString error;
    QVERIFY2(device.StartOnTcp("127.0.0.1", 0, &error), qPrintable(error));
    const QString address = device.TcpAddress();
    QVERIFY2(address.startsWith("127.0.0.1:"), qPrintable(address));
    const auto port = std::uint16_t(address.section(':', -1).toUInt());
    QVERIFY(port != 0);
    LineClient client("127.0.0.1", port);
    QVERIFY(client.IsOpen());
    client.SendRequest(15, false, {4, 1});
    QCOMPARE(client.Collect(), terminalAnswer);

    // One client at a time: a second is turned away, the first goes on.
    LineClient second("127.0.0.1", port);
    QVERIFY(second.SeesHangUp(5000));
    client.SendRequest(15, false, {4, 7});
    QVERIFY(ValidAnswer(client.Collect(), 1));

    // A hang-up closes the connection; the device then serves the next client.
    device.InjectFault({FaultKind::HangUp, -1, 1});
    client.SendRequest(15, false, {4, 7});
    QVERIFY(client.SeesHangUp(5000));
    QTRY_VERIFY(device.HasHungUp());
    LineClient next("127.0.0.1", port);
    next.SendRequest(15, false, {4, 7});
    QVERIFY(ValidAnswer(next.Collect(), 1));
    QVERIFY(!device.HasHungUp());
}

// --- The program ---

void TestSim::programServesAndExitsOnSigterm_data() {
    QTest::addColumn<bool>("overTcp");
    QTest::newRow("pseudo-terminal") << false;
    QTest::newRow("tcp") << true;
}

void TestSim::programServesAndExitsOnSigterm() {
    QFETCH(bool, overTcp);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString linkPath = dir.filePath("zeph-port");
    QProcess sim;
    // A fault at a rate of 100 % strikes the one answer: the program reads the rate and counts what it
    // spoiled.
    const QStringList transport =
        overTcp ? QStringList{"--tcp", "127.0.0.1:0"} : QStringList{"--link", linkPath};
    sim.start(ZEPH_SIM_PROGRAM,
              transport + QStringList{"--no-pacing", "--data-source", "12", "--rate", "1=0", "--counter",
                                      "1=4294967295", "--fault", "noise:5:100%", "--seed", "1"});
    QVERIFY(sim.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 10000);
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();
    std::unique_ptr<LineClient> line;
    if (overTcp) {
        static const QRegularExpression tcpLine(QStringLiteral("^tcp://127\\.0\\.0\\.1:([1-9][0-9]*)$"));
        const QRegularExpressionMatch match = tcpLine.match(port);
        QVERIFY2(match.hasMatch(), qPrintable(port));
        line = std::make_unique<LineClient>("127.0.0.1", std::uint16_t(match.captured(1).toUInt()));
    } else {
        QVERIFY(port.startsWith("/dev/"));
        QCOMPARE(QFileInfo(linkPath).symLinkTarget(), port);
        line = std::make_unique<LineClient>(linkPath);
    }

    QVERIFY(line->IsOpen());
    line->SendRequest(15, false, {4, 1});
    const QByteArray characters = line->Collect();
    QCOMPARE(characters.size(), 5 + 2 * (49 + 4));
    const auto payload = ValidAnswer(characters, 49);
    QVERIFY(payload);
    QCOMPARE(int(payload->back()), 12);
    line->SendRequest(15, false, {4, 4});
    const auto report = ValidAnswer(line->Collect(), 73);
    QVERIFY(report);
    QCOMPARE(Bytes(report->begin() + 6, report->begin() + 10), Bytes(4, 0xFF)); // counter 1 as started
    line.reset(); // the client leaves before the program ends, as the configurator would
    ::kill(pid_t(sim.processId()), SIGTERM);
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QCOMPARE(sim.readAllStandardError(), QByteArray("zeph7208-sim: requests 2, answers spoiled: noise 2\n"));
    QVERIFY(!QFileInfo(linkPath).isSymLink());
}

void TestSim::programRefusesBadOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown option") << QStringList{"--frobnicate"};
    QTest::newRow("input 9") << QStringList{"--rate", "9=1"};
    QTest::newRow("rate without input") << QStringList{"--rate", "5"};
    QTest::newRow("negative rate") << QStringList{"--rate", "2=-1"};
    QTest::newRow("counter beyond 32 bits") << QStringList{"--counter", "2=4294967296"};
    QTest::newRow("unknown fault") << QStringList{"--fault", "explode"};
    QTest::newRow("status out of range") << QStringList{"--fault", "status:300"};
    QTest::newRow("noise of gigabytes") << QStringList{"--fault", "noise:2000000000"};
    QTest::newRow("late beyond a minute") << QStringList{"--fault", "late:2147483647"};
    QTest::newRow("baud 0") << QStringList{"--baud", "0"};
    QTest::newRow("delay not a number") << QStringList{"--delay", "soon"};
    QTest::newRow("data source 256") << QStringList{"--data-source", "256"};
    QTest::newRow("stray argument") << QStringList{"extra"};
    QTest::newRow("seed not a number") << QStringList{"--seed", "-1"};
    QTest::newRow("tcp port 65536") << QStringList{"--tcp", "127.0.0.1:65536"};
    QTest::newRow("tcp with a link") << QStringList{"--tcp", "0", "--link", "/tmp/zeph-port"};
    QTest::newRow("tcp with strict line") << QStringList{"--tcp", "0", "--strict-line"};
}

void TestSim::programRefusesBadOptions() {
    QFETCH(QStringList, arguments);
    QProcess sim;
    sim.start(ZEPH_SIM_PROGRAM, arguments);
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardOutput().isEmpty()); // no port was offered
    QVERIFY(sim.readAllStandardError().contains("Usage:"));
}

// Every fault kind has a help line "KIND[:ARG]" or "KIND:ARG", and the argument does what its name says:
// ANSWERS counts the spoiled answers, AFTER_REQUESTS the requests answered first, any other name is the
// fault's own value. Every kind but hangup takes a rate, after its value where it has one.
void TestSim::programHelpDescribesEveryFault() {
    QProcess sim;
    sim.start(ZEPH_SIM_PROGRAM, {"--help"});
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(sim.readAllStandardOutput());
    static const QRegularExpression faultLine(QStringLiteral("^  ([a-z-]+)(\\[)?:([A-Z_]+)\\]? +\\S"),
                                              QRegularExpression::MultilineOption);
    QStringList kinds;
    for (const QRegularExpressionMatch& line : faultLine.globalMatch(help)) {
        const QString kind = line.captured(1);
        const bool optional = line.hasCaptured(2);
        const QString argument = line.captured(3);
        kinds << kind;
        QCOMPARE(zeph::sim::ParseFault(kind).has_value(), optional);
        const auto fault = zeph::sim::ParseFault(kind + ":3");
        QVERIFY2(fault, qPrintable(kind));
        const int given = argument == "ANSWERS"          ? fault->count
                          : argument == "AFTER_REQUESTS" ? fault->skip
                                                         : fault->argument;
        QVERIFY2(given == 3, qPrintable(kind + ':' + argument));
        const QString atRate = kind + (argument == "ANSWERS" ? ":1%" : ":3:1%");
        const auto random = zeph::sim::ParseFault(atRate);
        QVERIFY2(random.has_value() == (kind != "hangup"), qPrintable(atRate));
        if (random) QCOMPARE(random->rate, 0.01);
    }
    QVERIFY(help.contains(":RATE%"));
    kinds.sort();
    QCOMPARE(kinds, (QStringList{"bad-crc", "drop", "extra", "hangup", "late", "noise", "silence", "status",
                                 "wrong-address", "wrong-length"}));
}

QTEST_GUILESS_MAIN(TestSim)
