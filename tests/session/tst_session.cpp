// SPDX-License-Identifier: MIT
// The device session on its own, as the command-line tool uses it: no widgets, the simulated device on
// a pseudo-terminal at the other end (reads, a write, counter reads, a silent device and a hang-up, and
// the result of each), and an in-memory line on a clock the test moves for the rules that depend on time.
#include "common/ManualTime.h"
#include "common/SettingsPages.h"
#include "device/DevicePayloads.h"
#include "line/MemoryLine.h"
#include "link/Clock.h"
#include "link/FrameCodec.h"
#include "session/DeviceSession.h"
#include "sim/SimulatedDevice.h"

#include <QtTest>

#include <memory>

using namespace zeph;
using device::Operation;
using device::OperationOutcome;
using session::DeviceSession;

namespace {

// Everything the session reports, in order, as short lines a test can compare.
struct Recorder {
    QStringList events;
    QList<QByteArray> framesSent;
    QList<device::OperationResult> results;
    std::optional<device::SettingsAnswer> settings;
    std::optional<device::CounterStatusReport> report;
    int receivedCharacters = 0;

    explicit Recorder(DeviceSession& session) {
        QObject::connect(&session, &DeviceSession::PortOpened,
                         [this](const QString&) { events << "opened"; });
        QObject::connect(&session, &DeviceSession::PortClosed,
                         [this](const QString&) { events << "closed"; });
        QObject::connect(&session, &DeviceSession::PortLost, [this](const QString&) { events << "lost"; });
        QObject::connect(&session, &DeviceSession::FrameSent,
                         [this](const QByteArray& characters, Operation) { framesSent << characters; });
        QObject::connect(&session, &DeviceSession::CharactersReceived, [this](const QByteArray& characters) {
            receivedCharacters += int(characters.size());
        });
        QObject::connect(&session, &DeviceSession::AnswerJudged,
                         [this](link::AnswerVerdict verdict, const link::Bytes&, int attempt) {
                             events << link::VerdictText(verdict) + ' ' + QString::number(attempt);
                         });
        QObject::connect(&session, &DeviceSession::OperationStarted, [this](Operation operation) {
            events << "start " + QString::fromLatin1(device::EntryFor(operation).name);
        });
        QObject::connect(&session, &DeviceSession::OperationFinished,
                         [this](const device::OperationResult& result) {
                             results.append(result);
                             if (result.Settings()) settings = *result.Settings();
                             if (result.Report()) report = *result.Report();
                             events << QString::fromLatin1(device::EntryFor(result.operation).name) + ": " +
                                           device::OutcomeText(result.outcome) +
                                           (result.StopsContinuousRefresh() ? ", refresh stops" : "");
                         });
        QObject::connect(&session, &DeviceSession::JobFinished, [this](const device::JobResult& job) {
            events << "job: " + device::OutcomeText(job.outcome);
        });
    }
    // The events from the first one that starts with prefix on.
    QStringList From(const QString& prefix) const {
        for (qsizetype i = 0; i < events.size(); ++i)
            if (events[i].startsWith(prefix)) return events.mid(i);
        return {};
    }
};

struct Bench {
    sim::SimulatedDevice device;
    DeviceSession session;
    Recorder recorder{session};

    explicit Bench(sim::LineOptions line = {})
        : device(line) {
        QString error;
        if (!device.Start(&error)) qFatal("simulated device: %s", qPrintable(error));
        line::LineError openError;
        if (!session.Open(device.PortPath(), &openError)) qFatal("%s", qPrintable(openError.text));
    }
    bool Finished(const QString& operation) const {
        for (const QString& event : recorder.events)
            if (event.startsWith(operation + ": ")) return true;
        return false;
    }
};

// The session on an in-memory line and a clock the test moves; the device answers each request with the
// answer set here, or stays silent.
struct MemoryBench {
    link::ManualClock clock;
    line::MemoryLine* line = nullptr;
    DeviceSession session{[this](const QString& port) {
                              auto made = std::make_unique<line::MemoryLine>(port);
                              line = made.get();
                              return made;
                          },
                          clock};
    Recorder recorder{session};
    QByteArray answer; // empty: silence
    QList<qint64> sentAtMs;

    MemoryBench() {
        if (!session.Open(QStringLiteral("memory"))) qFatal("the in-memory line did not open");
        QObject::connect(line, &line::MemoryLine::Wrote, [this] {
            sentAtMs.append(clock.NowUs() / 1000);
            if (!answer.isEmpty()) line->Feed(answer);
        });
    }
    bool RunUntil(const std::function<bool()>& done) { return test::RunUntil(clock, done); }
    void RunFor(int ms) { test::RunFor(clock, ms); }
};

sim::LineOptions Unpaced() {
    sim::LineOptions line;
    line.pacing = false;
    return line;
}

QString Hex(const QByteArray& characters) {
    return link::HexText(characters);
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void noWidgetsAreNeeded() {
        // The command-line tool runs over SSH: the session must live on a plain core application.
        QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
    }

    void readsTheSettings() {
        Bench bench;
        bench.session.ReadSettings();
        QTRY_VERIFY_WITH_TIMEOUT(bench.Finished("read settings"), 5000);
        QCOMPARE(bench.recorder.From("start"),
                 (QStringList{"start read settings", "accepted 1", "read settings: done"}));
        QCOMPARE(bench.recorder.results.last().sends, 1);
        QCOMPARE(bench.recorder.results.last().status, std::optional<std::uint8_t>(0));
        QVERIFY(bench.recorder.settings);
        QCOMPARE(bench.recorder.settings->page, test::WorkedExamplePage());
        QCOMPARE(bench.recorder.settings->dataSource, std::optional<unsigned>(11)); // EEPROM1
        // The request on the line, character for character: address 15, payload 4,1.
        QCOMPARE(Hex(bench.recorder.framesSent.value(0)),
                 QString("4F C1 02 80 08 88 01 84 04 80 01 80 02 8C 00 8B"));
        // 49 payload bytes and 4 of framing, two characters each.
        QCOMPARE(bench.recorder.receivedCharacters, 2 * (49 + 4));
        QVERIFY(bench.session.IsIdle());
    }

    void factoryDefaultsCarryNoDataSource() {
        Bench bench(Unpaced());
        bench.session.ReadFactoryDefaults();
        QTRY_VERIFY_WITH_TIMEOUT(bench.Finished("read factory defaults"), 5000);
        QVERIFY(bench.recorder.settings);
        QVERIFY(!bench.recorder.settings->dataSource);
    }

    void writesTheSettings() {
        Bench bench(Unpaced());
        const device::SettingsBlock block = device::EncodeSettingsBlock(test::MarkerPage(), QLocale::c());
        bench.session.WriteSettings(block);
        QTRY_VERIFY_WITH_TIMEOUT(bench.Finished("write settings"), 5000);
        QCOMPARE(bench.recorder.From("write settings:"), (QStringList{"write settings: done"}));
        // Read back: the device holds what was written.
        bench.session.ReadSettings();
        QTRY_VERIFY_WITH_TIMEOUT(bench.Finished("read settings"), 5000);
        QCOMPARE(bench.recorder.settings->page, test::MarkerPage());
    }

    void readsTheCountersOnlyWhenIdle() {
        Bench bench;
        bench.device.WithModel([](sim::DeviceModel& model) { model.SetDataSource(2); });
        QVERIFY(bench.session.RefreshCounters());
        // The first read is still waiting: a second one, a clear or a preset must not start.
        QVERIFY(!bench.session.RefreshCounters());
        QVERIFY(!bench.session.ClearErrors());
        QVERIFY(!bench.session.PresetCounters(device::PresetSelection{}));
        QTRY_VERIFY_WITH_TIMEOUT(bench.Finished("read counters"), 5000);
        QVERIFY(bench.recorder.report);
        QCOMPARE(int(bench.recorder.report->dataSource), 2);
        QCOMPARE(bench.recorder.events.count("start read counters"), 1);
    }

    void presetsTheSelectedCounters() {
        Bench bench(Unpaced());
        device::PresetSelection selection{};
        selection[1] = 1000;
        selection[7] = 3999999999u;
        QVERIFY(bench.session.PresetCounters(selection));
        QTRY_VERIFY_WITH_TIMEOUT(bench.Finished("preset counters"), 5000);
        QCOMPARE(bench.recorder.report->counters[1], 1000u);
        QCOMPARE(bench.recorder.report->counters[7], 3999999999u);
    }

    // A silent device: ten sends, ten time-outs, one failure; a counter read's failure also stops a
    // continuous refresh.
    void silentDeviceFailsAfterTenAttempts() {
        Bench bench(Unpaced());
        bench.device.InjectFault({sim::FaultKind::Silence});
        QVERIFY(bench.session.RefreshCounters());
        QTRY_VERIFY_WITH_TIMEOUT(bench.Finished("read counters"), 10000);
        QCOMPARE(bench.recorder.framesSent.size(), 10);
        QCOMPARE(bench.recorder.events.count("time-out 10"), 1);
        QCOMPARE(bench.recorder.From("time-out 10"),
                 (QStringList{"time-out 10", "read counters: no answer, refresh stops"}));
        QCOMPARE(bench.recorder.results.last().sends, 10);
        QVERIFY(!bench.recorder.results.last().status);
        QVERIFY(bench.session.IsIdle());
    }

    // The device's end goes away while an operation waits: the session closes the port, the operation
    // ends as abandoned rather than unanswered, and the loss is reported once, last.
    void hangUpClosesAndIsReportedOnce() {
        Bench bench(Unpaced());
        bench.device.InjectFault({sim::FaultKind::Silence});
        bench.session.ReadSettings();
        QTRY_VERIFY_WITH_TIMEOUT(bench.recorder.events.contains("start read settings"), 5000);
        bench.device.HangUpNow();
        QTRY_COMPARE_WITH_TIMEOUT(bench.recorder.events.count("lost"), 1, 5000);
        QCOMPARE(bench.recorder.From("read settings:"),
                 (QStringList{"read settings: abandoned", "closed", "lost"}));
        QVERIFY(!bench.session.PortIsOpen());
        QVERIFY(bench.session.IsIdle());
        // Nothing is left to time out later (one attempt's time-out is a few hundred milliseconds).
        QTest::qWait(1000);
        QCOMPARE(bench.recorder.events.count("lost"), 1);
        QCOMPARE(bench.recorder.events.last(), QString("lost"));
    }

    // Closing the port abandons the waiting operation.
    void closingAbandonsSilently() {
        Bench bench;
        bench.device.InjectFault({sim::FaultKind::Silence});
        bench.session.ReadSettings();
        // The request is out (the engine sends it at its first tick after the start).
        QTRY_COMPARE_WITH_TIMEOUT(bench.recorder.framesSent.size(), 1, 5000);
        bench.session.Close();
        QCOMPARE(bench.recorder.From("start"),
                 (QStringList{"start read settings", "read settings: abandoned", "closed"}));
        QTest::qWait(300);
        QCOMPARE(bench.recorder.framesSent.size(), 1);
        QVERIFY(!bench.session.PortIsOpen());
    }

    // After each answer the device rests at least one tick of the original's operation machine before the
    // next request, whoever starts it; a back-to-back read may come closer, never under 3.5 character
    // times. Measured where the device sees it.
    void deviceRestsAfterEachAnswer_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<bool>("backToBack");
        QTest::newRow("first initialization's steps") << "first initialization" << false;
        QTest::newRow("reads one after another") << "read counters" << false;
        QTest::newRow("back-to-back reads") << "read counters" << true;
    }
    void deviceRestsAfterEachAnswer() {
        QFETCH(QString, job);
        QFETCH(bool, backToBack);
        Bench bench;
        const auto pace = backToBack ? DeviceSession::Pace::BackToBack : DeviceSession::Pace::Default;
        int reads = 0;
        QObject::connect(
            &bench.session, &DeviceSession::OperationFinished, &bench.session,
            [&](const device::OperationResult& result) {
                if (job == "read counters" && result.operation == Operation::ReadCounters && ++reads < 6)
                    QTimer::singleShot(0, &bench.session, [&] { bench.session.RefreshCounters(pace); });
            });
        if (job == "read counters")
            bench.session.RefreshCounters(pace);
        else
            bench.session.FirstInitialization();
        // Waited for in a running event loop: the pauses of QTRY's loop would stand between an answer and
        // the next request and lengthen the gaps measured here.
        const auto done = [&] {
            return job == "read counters" ? reads == 6 : bench.Finished("read counters");
        };
        QEventLoop loop;
        QObject::connect(&bench.session, &DeviceSession::OperationFinished, &loop, [&] {
            if (done()) loop.quit();
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        if (!done()) loop.exec();
        QVERIFY(done());
        const std::vector<std::int64_t> gaps = bench.device.TurnaroundsUs();
        QCOMPARE(int(gaps.size()), job == "read counters" ? 5 : 2);
        const int floorUs =
            backToBack ? bench.session.BackToBackTurnaroundUs() : DeviceSession::DeviceTurnaroundUs;
        QCOMPARE(bench.session.BackToBackTurnaroundUs(), 1823); // 19200 8N1: 3.5 x 520.8 us
        for (const std::int64_t gap : gaps)
            QVERIFY2(gap >= floorUs, qPrintable(QStringLiteral("%1 us").arg(gap)));
        // Back to back goes closer than the default: the least of five gaps is under the default's floor.
        if (backToBack)
            QVERIFY(*std::min_element(gaps.begin(), gaps.end()) < DeviceSession::DeviceTurnaroundUs);
    }

    void lineSettingsAsATechnicianWritesThem() {
        DeviceSession session;
        QCOMPARE(session.LineSettings(), QString("19200 8N1"));
    }

    void openFailureSaysWhy() {
        DeviceSession session;
        line::LineError error;
        QVERIFY(!session.Open(QStringLiteral("/dev/no-such-port"), &error));
        QCOMPARE(error.kind, line::LineError::Kind::CannotOpen);
        QCOMPARE(error.text, QStringLiteral("No such file or directory"));
        QVERIFY(!session.PortIsOpen());
    }

    // ---- on an in-memory line, with a clock the test moves: the rules that depend on time, exactly

    // A silent device: each attempt times out 122 ms after its send and is seen on the engine's next
    // 50 ms tick, when the resend goes out; ten sends in all, then one failure.
    void timeOutAndRetryOnTheClock() {
        MemoryBench bench;
        bench.session.ReadSettings();
        QVERIFY(bench.RunUntil([&] { return !bench.recorder.results.isEmpty(); }));
        QCOMPARE(bench.line->Writes().size(), 10);
        for (int send = 1; send < 10; ++send)
            QCOMPARE(bench.sentAtMs[send] - bench.sentAtMs[send - 1], 150);
        const device::OperationResult& result = bench.recorder.results.first();
        QCOMPARE(result.outcome, OperationOutcome::NoAnswer);
        QCOMPARE(result.sends, 10);
        QCOMPARE(result.elapsedMs, bench.sentAtMs.last() + 150);
        // The line heard what was due: 106 answer characters within the 122 ms time-out of each send.
        QCOMPARE(bench.line->ExpectedAnswer().first, 2 * (49 + 4));
        QCOMPARE(bench.line->ExpectedAnswer().second, (bench.sentAtMs.last() + 122) * 1000);
    }

    // An answer that comes late is still the answer: taken when it completes after its time-out, and
    // also when it completes after the resend went out.
    void lateAnswerOnTheClock_data() {
        QTest::addColumn<int>("answerAfterMs"); // after the first send
        QTest::addColumn<int>("sends");
        QTest::newRow("after the time-out, before the tick that sees it") << 140 << 1;
        QTest::newRow("after the resend went out") << 160 << 2;
    }
    void lateAnswerOnTheClock() {
        QFETCH(int, answerAfterMs);
        QFETCH(int, sends);
        MemoryBench bench;
        bench.session.ReadSettings();
        QVERIFY(bench.RunUntil([&] { return bench.line->Writes().size() == 1; }));
        bench.RunFor(answerAfterMs);
        bench.line->Feed(link::EncodeFrame(link::BuildResponseFrame(15, link::Bytes(49, 0))));
        QVERIFY(bench.RunUntil([&] { return !bench.recorder.results.isEmpty(); }));
        QCOMPARE(bench.recorder.results.first().outcome, OperationOutcome::Succeeded);
        QCOMPARE(bench.recorder.results.first().sends, sends);
        QCOMPARE(bench.line->Writes().size(), sends);
    }

    // The next request keeps the device's turnaround after its last character: 20 ms, or 3.5 character
    // times (1 823 us, so 2 ms on the clock) for a back-to-back read.
    void turnaroundOnTheClock_data() {
        QTest::addColumn<bool>("backToBack");
        QTest::addColumn<int>("gapMs");
        QTest::newRow("default") << false << 20;
        QTest::newRow("back to back") << true << 2;
    }
    void turnaroundOnTheClock() {
        QFETCH(bool, backToBack);
        QFETCH(int, gapMs);
        MemoryBench bench;
        bench.answer = link::EncodeFrame(link::BuildResponseFrame(15, link::Bytes(73, 0)));
        QVERIFY(bench.session.RefreshCounters());
        QVERIFY(bench.RunUntil([&] { return !bench.recorder.results.isEmpty(); }));
        const qint64 answeredAt = bench.clock.NowUs() / 1000;
        QVERIFY(bench.session.RefreshCounters(backToBack ? DeviceSession::Pace::BackToBack
                                                         : DeviceSession::Pace::Default));
        QVERIFY(bench.RunUntil([&] { return bench.line->Writes().size() == 2; }));
        QCOMPARE(bench.sentAtMs.last() - answeredAt, gapMs);
    }

    void hangUpOfTheLineIsReportedOnce() {
        MemoryBench bench;
        bench.session.ReadSettings();
        QVERIFY(bench.RunUntil([&] { return bench.line->Writes().size() == 1; }));
        bench.line->HangUpNow();
        QCOMPARE(bench.recorder.From("read settings:"),
                 (QStringList{"read settings: abandoned", "closed", "lost"}));
        bench.RunFor(3000);
        QCOMPARE(bench.line->Writes().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
