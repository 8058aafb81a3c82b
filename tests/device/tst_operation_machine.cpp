// SPDX-License-Identifier: MIT
// Tests of the operation state machine and the first-initialization sequencer, run through the real
// transaction engine against an in-memory device that answers each request as soon as it is sent, on a
// clock the test moves: every result is asserted, never a step number.
#include "common/ManualTime.h"
#include "device/OperationMachine.h"

#include "link/Clock.h"
#include "link/FrameCodec.h"
#include "link/TransactionEngine.h"

#include <QtTest>

#include <map>

using namespace zeph;
using namespace zeph::device;

namespace {

// Answers by operation code; a code without an entry gets no answer at all.
class AnsweringDevice : public link::FrameSink {
public:
    void SendFrame(std::span<const std::uint8_t> frame) override {
        const link::Bytes sent(frame.begin(), frame.end());
        requests.append(sent);
        const int code = sent.size() > 6 ? sent[5] : -1;
        const auto answer = answers.find(code);
        if (answer == answers.end()) return;
        engine->ReceiveCharacters(
            link::EncodeFrame(link::BuildResponseFrame(sent[0] - 0x10, answer->second)));
    }
    QList<int> Codes() const {
        QList<int> codes;
        for (const link::Bytes& request : requests)
            codes.append(request.size() > 6 ? request[5] : -1);
        return codes;
    }

    link::TransactionEngine* engine = nullptr;
    std::map<int, link::Bytes> answers;
    QList<link::Bytes> requests;
};

struct Rig {
    link::ManualClock clock;
    AnsweringDevice device;
    link::TransactionEngine engine{device, clock};
    OperationMachine machine{engine, clock};
    QList<OperationResult> results;
    QList<JobResult> jobs;

    Rig() {
        device.engine = &engine;
        QObject::connect(&machine, &OperationMachine::OperationFinished,
                         [this](const OperationResult& result) { results.append(result); });
        QObject::connect(&machine, &OperationMachine::JobFinished,
                         [this](const JobResult& job) { jobs.append(job); });
    }
    bool RunUntil(const std::function<bool()>& done) { return test::RunUntil(clock, done); }
    void RunFor(int ms) { test::RunFor(clock, ms); }
    QStringList Outcomes() const {
        QStringList texts;
        for (const OperationResult& result : results)
            texts << QString::fromLatin1(EntryFor(result.operation).name) + ": " +
                         OutcomeText(result.outcome);
        return texts;
    }
};

link::Bytes Answer(int status, int length) {
    link::Bytes payload(std::size_t(length), 0x5A);
    payload[0] = std::uint8_t(status);
    return payload;
}

RequestData WorkedExampleBlock() {
    SettingsBlock block{};
    block.fill(7);
    return block;
}

RequestData CountersTwoAndFive() {
    PresetSelection selection{};
    selection[1] = 1000;
    selection[4] = 1;
    return selection;
}

} // namespace

class OperationMachineTest : public QObject {
    Q_OBJECT
private slots:
    // An operation starts when it is asked for, and its answer is acted on once the engine has judged
    // it: no 20 ms tick is waited for. Idle again, the machine's timers stop at their next tick.
    void startsAndFinishesWithoutTicks() {
        Rig rig;
        rig.device.answers[1] = Answer(0, 49);
        rig.machine.Start(Operation::ReadSettings);
        QVERIFY(rig.RunUntil([&] { return !rig.results.isEmpty(); }));
        QCOMPARE(rig.Outcomes(), QStringList{"read settings: done"});
        QVERIFY2(rig.clock.NowUs() <= 1000, qPrintable(QString::number(rig.clock.NowUs())));
        QVERIFY(rig.machine.IsIdle());
        rig.RunFor(20);
        QVERIFY(!rig.machine.OperationTimer().IsActive() && !rig.machine.SequenceTimer().IsActive());
        QVERIFY(rig.clock.NextDue().isEmpty());
    }

    // Below a window the timers keep their designed names and their 20 ms tick.
    void timersKeepTheirNames() {
        AnsweringDevice device;
        link::TransactionEngine engine(device);
        device.engine = &engine;
        OperationMachine machine(engine);
        machine.Start(Operation::ReadCounters);
        for (const char* name : {"Timer_ValaszVarasLekezeles", "Timer_Macro"}) {
            auto* timer = machine.findChild<QTimer*>(name);
            QVERIFY2(timer && timer->isActive(), name);
            QCOMPARE(timer->interval(), 20);
        }
    }

    void requestFromTheCatalogue_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<RequestData>("data");
        QTest::addColumn<link::Bytes>("payload");
        QTest::addColumn<int>("timeoutMs"); // 2 ms per byte of request and answer frame, and the extra
        link::Bytes write{4, 3};
        write.insert(write.end(), 47, 7);
        const link::Bytes preset{4, 6, 18, 0, 0, 0, 0, 232, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0, 1, 0,  0, 0, 0, 0, 0,   0, 0, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("read settings")
            << int(Operation::ReadSettings) << RequestData{} << link::Bytes{4, 1} << 122;
        QTest::newRow("factory defaults")
            << int(Operation::ReadFactoryDefaults) << RequestData{} << link::Bytes{4, 2} << 120;
        QTest::newRow("write settings")
            << int(Operation::WriteSettings) << WorkedExampleBlock() << write << 2 * 55 + 2 * 5 + 1000;
        QTest::newRow("read counters")
            << int(Operation::ReadCounters) << RequestData{} << link::Bytes{4, 4} << 170;
        QTest::newRow("clear errors")
            << int(Operation::ClearErrors) << RequestData{} << link::Bytes{4, 5} << 170;
        QTest::newRow("preset counters")
            << int(Operation::PresetCounters) << CountersTwoAndFive() << preset << 2 * 41 + 2 * 77;
        QTest::newRow("first initialization")
            << int(Operation::FirstInitialization) << RequestData{} << link::Bytes{4, 7} << 16 + 10 + 1000;
    }
    void requestFromTheCatalogue() {
        QFETCH(int, operation);
        QFETCH(RequestData, data);
        QFETCH(link::Bytes, payload);
        QFETCH(int, timeoutMs);
        Rig rig; // the device stays silent: only the request is of interest
        rig.machine.Start(Operation(operation), [data] { return data; });
        QVERIFY(rig.RunUntil([&] { return !rig.device.requests.isEmpty(); }));
        QCOMPARE(rig.device.requests.first(), link::BuildRequestFrame(15, false, payload));
        QCOMPARE(rig.engine.TimeoutMs(), timeoutMs);
        // The engine has the request: its verdict wakes the machine, whose ticks sleep meanwhile.
        QVERIFY(!rig.machine.OperationTimer().IsActive() && !rig.machine.SequenceTimer().IsActive());
    }

    // How each wait judges its answer, and what the result carries.
    void answerJudged_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<link::Bytes>("answer");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("status");   // -1: none
        QTest::addColumn<QString>("data"); // "settings", "settings without source", "report", ""
        QTest::addColumn<bool>("stopsRefresh");
        using O = OperationOutcome;
        const auto row = [](const char* name, Operation op, bool answered, link::Bytes answer, O outcome,
                            int status, const char* data, bool stops) {
            QTest::newRow(name) << int(op) << answered << answer << int(outcome) << status << QString(data)
                                << stops;
        };
        const link::Bytes none;
        row("read settings, status 0", Operation::ReadSettings, true, Answer(0, 49), O::Succeeded, 0,
            "settings", false);
        row("factory defaults, status 0", Operation::ReadFactoryDefaults, true, Answer(0, 48), O::Succeeded,
            0, "settings without source", false);
        row("read settings, status 0x81", Operation::ReadSettings, true, Answer(0x81, 1), O::NotThisDevice,
            0x81, "", false);
        row("factory defaults, 0x81 in full", Operation::ReadFactoryDefaults, true, Answer(0x81, 48),
            O::NotThisDevice, 0x81, "", false);
        row("read settings, status 0 alone is no answer", Operation::ReadSettings, true, Answer(0, 1),
            O::NoAnswer, 0, "", false);
        row("read settings, status 1 ignored", Operation::ReadSettings, true, Answer(1, 1), O::IgnoredStatus,
            1, "", false);
        row("factory defaults, no answer", Operation::ReadFactoryDefaults, false, none, O::NoAnswer, -1, "",
            false);
        row("read counters, status 0", Operation::ReadCounters, true, Answer(0, 73), O::Succeeded, 0,
            "report", false);
        row("clear errors, status 0", Operation::ClearErrors, true, Answer(0, 73), O::Succeeded, 0, "report",
            false);
        row("preset, status 0", Operation::PresetCounters, true, Answer(0, 73), O::Succeeded, 0, "report",
            false);
        row("read counters, status 0x81", Operation::ReadCounters, true, Answer(0x81, 1), O::NotThisDevice,
            0x81, "", true);
        row("clear errors, status 0 alone is no answer", Operation::ClearErrors, true, Answer(0, 1),
            O::NoAnswer, 0, "", true);
        row("read counters, status 2 ignored", Operation::ReadCounters, true, Answer(2, 73), O::IgnoredStatus,
            2, "", false);
        row("read counters, no answer", Operation::ReadCounters, false, none, O::NoAnswer, -1, "", true);
        row("write, status 0", Operation::WriteSettings, true, Answer(0, 1), O::Succeeded, 0, "", false);
        row("write, status 1", Operation::WriteSettings, true, Answer(1, 1), O::ParameterError, 1, "", false);
        row("write, status 2", Operation::WriteSettings, true, Answer(2, 1), O::EepromError, 2, "", false);
        row("write, status 7 ignored", Operation::WriteSettings, true, Answer(7, 1), O::IgnoredStatus, 7, "",
            false);
        row("write, status 0x81", Operation::WriteSettings, true, Answer(0x81, 1), O::NotThisDevice, 0x81, "",
            false);
    }
    void answerJudged() {
        QFETCH(int, operation);
        QFETCH(bool, answered);
        QFETCH(link::Bytes, answer);
        QFETCH(int, outcome);
        QFETCH(int, status);
        QFETCH(QString, data);
        QFETCH(bool, stopsRefresh);
        Rig rig;
        rig.engine.SetRetryLimit(2); // keeps the no-answer rows short
        const int code = EntryFor(Operation(operation)).code;
        if (answered) rig.device.answers[code] = answer;
        rig.machine.Start(Operation(operation));
        QVERIFY(rig.RunUntil([&] { return !rig.results.isEmpty(); }));
        QCOMPARE(rig.results.size(), 1);
        const OperationResult& result = rig.results.first();
        QCOMPARE(int(result.operation), operation);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.status ? int(*result.status) : -1, status);
        QCOMPARE(result.sends, answered ? 1 : 2);
        const QString carried = result.Report()                 ? "report"
                                : !result.Settings()            ? ""
                                : result.Settings()->dataSource ? "settings"
                                                                : "settings without source";
        QCOMPARE(carried, data);
        QCOMPARE(result.StopsContinuousRefresh(), stopsRefresh);
        QCOMPARE(rig.device.Codes(), QList<int>(result.sends, code));
        // Whatever the outcome, the machine takes a guarded operation again.
        QVERIFY(rig.machine.IsIdle());
    }

    void firstInitializationJob_data() {
        QTest::addColumn<QList<int>>("silentCodes");
        QTest::addColumn<int>("statusOfCode7");
        QTest::addColumn<int>("statusOfCode1");
        QTest::addColumn<QList<int>>("codesSent");
        QTest::addColumn<QStringList>("outcomes");
        QTest::addColumn<int>("jobOutcome");
        using O = OperationOutcome;
        const QStringList all{"first initialization: done", "read settings: done", "read counters: done"};
        QTest::newRow("all succeed") << QList<int>{} << 0 << 0 << QList<int>{7, 1, 4} << all
                                     << int(O::Succeeded);
        QTest::newRow("ignored status goes on") << QList<int>{} << 9 << 0 << QList<int>{7, 1, 4}
                                                << QStringList{"first initialization: status ignored",
                                                               "read settings: done", "read counters: done"}
                                                << int(O::IgnoredStatus);
        QTest::newRow("code 7 unanswered")
            << QList<int>{7} << 0 << 0 << QList<int>{7} << QStringList{"first initialization: no answer"}
            << int(O::NoAnswer);
        QTest::newRow("code 7 wrong device")
            << QList<int>{} << 0x81 << 0 << QList<int>{7}
            << QStringList{"first initialization: not a ZEPH7208"} << int(O::NotThisDevice);
        QTest::newRow("code 1 wrong device")
            << QList<int>{} << 0 << 0x81 << QList<int>{7, 1}
            << QStringList{"first initialization: done", "read settings: not a ZEPH7208"}
            << int(O::NotThisDevice);
        QTest::newRow("code 4 unanswered")
            << QList<int>{4} << 0 << 0 << QList<int>{7, 1, 4}
            << QStringList{"first initialization: done", "read settings: done", "read counters: no answer"}
            << int(O::NoAnswer);
    }
    void firstInitializationJob() {
        QFETCH(QList<int>, silentCodes);
        QFETCH(int, statusOfCode7);
        QFETCH(int, statusOfCode1);
        QFETCH(QList<int>, codesSent);
        QFETCH(QStringList, outcomes);
        QFETCH(int, jobOutcome);
        Rig rig;
        rig.engine.SetRetryLimit(1);
        rig.device.answers = {
            {7, Answer(statusOfCode7, 1)}, {1, Answer(statusOfCode1, 49)}, {4, Answer(0, 73)}};
        for (int code : silentCodes)
            rig.device.answers.erase(code);
        QVERIFY(rig.machine.StartWhenIdle(Operation::FirstInitialization));
        QVERIFY(rig.RunUntil([&] { return !rig.jobs.isEmpty(); }));
        rig.RunFor(100); // nothing more comes
        QCOMPARE(rig.Outcomes(), outcomes);
        QCOMPARE(rig.jobs.size(), 1);
        QCOMPARE(int(rig.jobs.first().outcome), jobOutcome);
        QCOMPARE(rig.jobs.first().steps.size(), std::size_t(outcomes.size()));
        QCOMPARE(rig.jobs.first().Report() != nullptr,
                 jobOutcome == int(OperationOutcome::Succeeded) ||
                     jobOutcome == int(OperationOutcome::IgnoredStatus));
        QCOMPARE(rig.device.Codes(), codesSent);
        QVERIFY(rig.machine.IsIdle());
        QVERIFY(!rig.machine.SequenceTimer().IsActive());
    }

    // The reads and the write replace what is under way; the others wait for idle or a failure just reported.
    void startOnlyWhenIdle_data() {
        QTest::addColumn<QString>("before"); // "idle", "failed", "waiting"
        QTest::addColumn<int>("operation");
        QTest::addColumn<bool>("started");
        const auto row = [](const char* name, const char* before, Operation op, bool started) {
            QTest::newRow(name) << QString(before) << int(op) << started;
        };
        row("refresh when idle", "idle", Operation::ReadCounters, true);
        row("refresh after a failure", "failed", Operation::ReadCounters, true);
        row("refresh while waiting", "waiting", Operation::ReadCounters, false);
        row("clear while waiting", "waiting", Operation::ClearErrors, false);
        row("preset when idle", "idle", Operation::PresetCounters, true);
        row("first initialization when idle", "idle", Operation::FirstInitialization, true);
        row("first initialization while waiting", "waiting", Operation::FirstInitialization, false);
    }
    void startOnlyWhenIdle() {
        QFETCH(QString, before);
        QFETCH(int, operation);
        QFETCH(bool, started);
        Rig rig;
        rig.engine.SetRetryLimit(1);
        if (before != "idle") {
            // Factory defaults go unanswered: a failure, or a wait still under way.
            rig.machine.Start(Operation::ReadFactoryDefaults);
            if (before == "failed")
                QVERIFY(rig.RunUntil([&] { return !rig.results.isEmpty(); }));
            else
                rig.RunFor(5);
        }
        QCOMPARE(rig.machine.StartWhenIdle(Operation(operation)), started);
        rig.RunFor(5);
        const int code = EntryFor(Operation(operation)).code;
        QCOMPARE(rig.device.Codes().contains(code), started);
    }

    void settingsReadReplacesWaitingRefresh() {
        Rig rig;
        rig.device.answers[1] = Answer(0, 49); // counters stay unanswered
        rig.machine.Start(Operation::ReadCounters);
        rig.RunFor(5);
        rig.machine.Start(Operation::ReadSettings);
        QVERIFY(rig.RunUntil([&] { return rig.results.size() == 2; }));
        QCOMPARE(rig.device.Codes(), (QList<int>{4, 1}));
        QCOMPARE(rig.Outcomes(), (QStringList{"read counters: abandoned", "read settings: done"}));
        QVERIFY(rig.results.last().Settings());
    }

    void resetAbandonsTheOperationAndTheJob() {
        Rig rig;
        rig.device.answers = {{7, Answer(0, 1)}, {2, Answer(0, 48)}}; // the job's read of the settings waits
        rig.machine.Start(Operation::FirstInitialization);
        QVERIFY(rig.RunUntil([&] { return rig.device.Codes() == QList<int>{7, 1}; }));
        rig.machine.ResetOperationState();
        QCOMPARE(rig.Outcomes(), (QStringList{"first initialization: done", "read settings: abandoned"}));
        QCOMPARE(rig.results.last().sends, 1); // out, and never judged
        QCOMPARE(rig.jobs.size(), 1);
        QCOMPARE(int(rig.jobs.first().outcome), int(OperationOutcome::Abandoned));
        QCOMPARE(rig.engine.State(), link::EngineIdle);
        // The abandoned read neither retries nor reports, the job goes no further, and a later operation
        // runs normally.
        rig.machine.Start(Operation::ReadFactoryDefaults);
        QVERIFY(rig.RunUntil([&] { return rig.results.size() == 3; }));
        rig.RunFor(1000);
        QCOMPARE(rig.device.Codes(), (QList<int>{7, 1, 2}));
        QCOMPARE(rig.Outcomes().last(), QStringLiteral("read factory defaults: done"));
    }

    // The result tells how many sends it took and how long from the request to the verdict.
    void resultCountsSendsAndTime() {
        Rig rig;
        rig.engine.SetRetryLimit(3);
        rig.machine.Start(Operation::ReadSettings);
        QVERIFY(rig.RunUntil([&] { return !rig.results.isEmpty(); }));
        const OperationResult& result = rig.results.first();
        QCOMPARE(result.sends, 3);
        // The first send a millisecond after the start, then three time-outs of 122 ms, each seen on the next
        // 50 ms tick.
        QCOMPARE(result.elapsedMs, 1 + 3 * 150);
    }

    void peripheralAddressGoesIntoTheFrame() {
        Rig rig;
        rig.machine.SetPeripheralAddress(3);
        rig.device.answers[4] = Answer(0x81, 1);
        rig.machine.Start(Operation::ReadCounters);
        QVERIFY(rig.RunUntil([&] { return !rig.results.isEmpty(); }));
        QCOMPARE(int(rig.device.requests.first().front()), 0x13);
        QCOMPARE(int(rig.results.first().outcome), int(OperationOutcome::NotThisDevice));
    }
};

int RunOperationMachineTests(int argc, char** argv) {
    OperationMachineTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_operation_machine.moc"
