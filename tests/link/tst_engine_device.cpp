// SPDX-License-Identifier: MIT
// The transaction engine over a real serial port component and pseudo-terminal, with the simulated device
// at the other end: retries, faults on the line, chunked and late answers, the short answer.
#include "comport/ComPort.h"
#include "link/TransactionEngine.h"
#include "sim/SimulatedDevice.h"

#include <QtTest>

using namespace zeph;

namespace {

// The window's part of the link, without a window: frames go to the port, chunks come back.
class PortSink : public link::FrameSink {
public:
    comport::TComPort port;
    link::TransactionEngine engine{*this};

    PortSink() {
        port.Baud = 19200;
        port.ReceiveMode = comport::rmRAW;
        port.ReceiveCallBack = [this](const QByteArray& data) { engine.ReceiveCharacters(data); };
    }
    void SendFrame(std::span<const std::uint8_t> frame) override { port.Write(link::EncodeFrame(frame)); }
};

struct Bench {
    sim::SimulatedDevice device;
    PortSink link;

    explicit Bench(sim::LineOptions options = {})
        : device(options) {
        QString error;
        if (!device.Start(&error)) qFatal("%s", qPrintable(error));
        link.port.Port = device.PortPath();
        link.port.Open();
    }
    std::uint8_t Run(std::uint8_t code, int expectedLength, int timeoutMs = 6000) {
        link.engine.Start({15, false, {4, code}, expectedLength, 0});
        (void)QTest::qWaitFor([&] { return link.engine.Result() != link::TransactionPending; }, timeoutMs);
        return link.engine.Result();
    }
};

} // namespace

class TestEngineDevice : public QObject {
    Q_OBJECT
private slots:
    void readsTheSettings() {
        Bench bench;
        QCOMPARE(int(bench.Run(1, 49)), int(link::TransactionSucceeded));
        QCOMPARE(bench.link.engine.AttemptCount(), 1);
        QCOMPARE(int(bench.link.engine.ResponseStatus()), 0);
        QCOMPARE(bench.device.RequestCount(), 1);
    }

    void silentDeviceGetsExactlyTenRequests() {
        Bench bench;
        bench.device.InjectFault({sim::FaultKind::Silence});
        QCOMPARE(int(bench.Run(1, 49)), int(link::TransactionFailed));
        QTest::qWait(300); // nothing more goes out after the last attempt
        QCOMPARE(bench.device.RequestCount(), 10);
    }

    void spoiledAnswersAreRetried_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("bad crc") << int(sim::FaultKind::BadCrc);
        QTest::newRow("wrong address") << int(sim::FaultKind::WrongAddress);
        QTest::newRow("wrong length") << int(sim::FaultKind::WrongLength);
        QTest::newRow("dropped character") << int(sim::FaultKind::DropCharacter);
        QTest::newRow("extra character") << int(sim::FaultKind::ExtraCharacter);
    }
    void spoiledAnswersAreRetried() {
        QFETCH(int, kind);
        Bench bench;
        bench.device.InjectFault({sim::FaultKind(kind), -1, 2});
        QCOMPARE(int(bench.Run(4, 73)), int(link::TransactionSucceeded));
        QCOMPARE(bench.device.RequestCount(), 3);
        QCOMPARE(bench.link.engine.AttemptCount(), 3);
        QCOMPARE(bench.link.engine.ResponseLength(), 73);
    }

    void noiseBeforeTheAnswerDoesNoHarm() {
        Bench bench;
        bench.device.InjectFault({sim::FaultKind::Noise, 9, 1});
        QCOMPARE(int(bench.Run(1, 49)), int(link::TransactionSucceeded));
        QCOMPARE(bench.device.RequestCount(), 1);
    }

    void shortAnswerIsTakenAtTheTimeOut() {
        Bench bench;
        bench.device.InjectFault({sim::FaultKind::StatusOnly, 0x81, 1});
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(int(bench.Run(1, 49)), int(link::TransactionSucceeded));
        QVERIFY2(clock.elapsed() >= 122, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(bench.link.engine.ResponseLength(), 1);
        QCOMPARE(int(bench.link.engine.ResponseStatus()), 0x81);
        QCOMPARE(bench.device.RequestCount(), 1);
    }

    // The answer to a settings read ends some 35 ms after the time-out: it is still arriving when the
    // engine first looks, and is taken whole instead of being cut off by the resend.
    void answerAroundTheTimeOutIsTakenWhole() {
        sim::LineOptions options;
        options.answerDelayMs = 100;
        Bench bench(options);
        QCOMPARE(int(bench.Run(1, 49)), int(link::TransactionSucceeded));
        QCOMPARE(bench.link.engine.AttemptCount(), 1);
        QCOMPARE(bench.link.engine.ResponseLength(), 49);
        QCOMPARE(bench.device.RequestCount(), 1);
    }

    void answerInManyChunks() {
        sim::LineOptions options;
        options.chunkSize = 5;
        options.chunkGapMs = 2;
        Bench bench(options);
        QCOMPARE(int(bench.Run(4, 73)), int(link::TransactionSucceeded));
        QCOMPARE(bench.device.RequestCount(), 1);
    }

    void lateAnswerToAnEarlierAttempt() {
        Bench bench;
        // The first answer comes well after its 122 ms time-out (so that a slow machine does not see it
        // begin at the time-out and wait for it) and lands in a later attempt.
        bench.device.InjectFault({sim::FaultKind::Late, 300, 1});
        QCOMPARE(int(bench.Run(1, 49)), int(link::TransactionSucceeded));
        QVERIFY(bench.link.engine.AttemptCount() >= 2);
        QCOMPARE(int(bench.link.engine.ResponseStatus()), 0);
        // The device sleeps through its late answer before it reads the resends waiting on the line, so
        // it may count them only after the engine has taken the answer.
        QTRY_VERIFY(bench.device.RequestCount() >= 2);
    }

    void hangUpEndsInTimeOutsAndCloseStillWorks() {
        Bench bench;
        bench.device.HangUpNow();
        QCOMPARE(int(bench.Run(1, 49)), int(link::TransactionFailed));
        QVERIFY(bench.link.port.IsOpen());
        bench.link.port.Close();
        QVERIFY(!bench.link.port.IsOpen());
    }
};

QTEST_GUILESS_MAIN(TestEngineDevice)
#include "tst_engine_device.moc"
