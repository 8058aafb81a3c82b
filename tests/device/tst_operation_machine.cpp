// SPDX-License-Identifier: MIT
// Tests of the operation state machine and the first-initialization sequencer, run through the real
// transaction engine against an in-memory device that answers each request as soon as it is sent.
#include "device/OperationMachine.h"

#include "link/FrameCodec.h"
#include "link/TransactionEngine.h"

#include <QtTest>

#include <map>
#include <memory>

using namespace zeph;
using namespace zeph::device;

namespace {

// Answers by operation code; a code without an entry gets no answer at all.
class AnsweringDevice : public link::FrameSink {
public:
    struct Request {
        QByteArray payload;
        int expectedLength;
        int extraTimeout;
    };

    void SendFrame(int length) override {
        const auto frame = engine->RequestFrame(length);
        const QByteArray payload =
            length > 4 ? QByteArray(reinterpret_cast<const char*>(frame.data()) + 4, length - 6)
                       : QByteArray();
        requests.append({payload, engine->ExpectedLength, engine->ExtraTimeout});
        const int code = payload.size() > 1 ? quint8(payload[1]) : -1;
        const auto answer = answers.find(code);
        if (answer == answers.end()) return;
        const int address = frame[0] - 0x10;
        const link::Bytes bytes(answer->second.begin(), answer->second.end());
        engine->ReceiveCharacters(link::EncodeFrame(link::BuildResponseFrame(address, bytes)));
    }

    QList<int> Codes() const {
        QList<int> codes;
        for (const Request& request : requests)
            codes.append(request.payload.size() > 1 ? quint8(request.payload[1]) : -1);
        return codes;
    }

    link::TransactionEngine* engine = nullptr;
    std::map<int, QByteArray> answers;
    QList<Request> requests;
};

// Records every call with the operation step at that moment, so the tests see what came first.
class RecordingHost : public OperationHost {
public:
    QString BuildSettingsPayload() override {
        Record("build settings");
        return settingsPayload;
    }
    QString BuildCounterPresetPayload() override {
        Record("build preset");
        return presetPayload;
    }
    void ShowSettingsBlock(std::span<const std::uint8_t> payload, int requestCode) override {
        Record(QStringLiteral("show settings %1/%2").arg(payload.size()).arg(requestCode));
    }
    void ShowCounterStatus(std::span<const std::uint8_t> payload) override {
        Record(QStringLiteral("show counters %1").arg(payload.size()));
    }
    void ReleaseContinuousRefresh() override { Record("release"); }
    void ShowMessage(MessageKind kind, const QString& text) override {
        Record((kind == MessageKind::Error ? "error: " : "information: ") + text);
    }

    void Record(const QString& event) {
        events.append(event + " @" + QString::number(machine->OperationStep));
    }

    OperationMachine* machine = nullptr;
    QString settingsPayload;
    QString presetPayload;
    QStringList events;
    // How each operation ended, "read counters: no answer"; also in events when asked, to see the order.
    QStringList outcomes;
    bool outcomesInEvents = false;
};

struct Rig {
    Rig()
        : engine(device)
        , machine(engine, host) {
        device.engine = &engine;
        host.machine = &machine;
        QObject::connect(
            &machine, &OperationMachine::OperationFinished, [this](Operation op, OperationOutcome outcome) {
                const QString text = QString::fromLatin1(EntryFor(op).name) + ": " + OutcomeText(outcome);
                host.outcomes.append(text);
                if (host.outcomesInEvents) host.Record(text);
            });
    }
    AnsweringDevice device;
    link::TransactionEngine engine;
    RecordingHost host;
    OperationMachine machine;
};

QByteArray Answer(int status, int length) {
    QByteArray payload(length, char(0x5A));
    payload[0] = char(status);
    return payload;
}

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(v));
    return bytes;
}

const QString NoAnswer = "error: The ZEPH7208 have not responded. @-1";
const QString WrongDevice = "error: A #15 This is not a ZEPH7208. @-1";
const QString SettingsPayload = "4,3,4,3,0,0,0,0,0,0,96,234,0,0,232,3,0,0,232,3,0,0,232,3,0,0,232,3,0,0,"
                                "232,3,0,0,232,3,0,0,232,3,0,0,2,8,1,1,100,0,5";
const QString PresetPayload = "4,6,18,0,0,0,0,232,3,0,0,0,0,0,0,0,0,0,0,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";

QByteArray PayloadBytes(const QString& text) {
    QByteArray bytes;
    for (const QString& number : text.split(','))
        bytes.append(char(number.toInt()));
    return bytes;
}

} // namespace

class OperationMachineTest : public QObject {
    Q_OBJECT
private slots:
    void timersTickFromTheStart() {
        Rig rig;
        for (const char* name : {"Timer_ValaszVarasLekezeles", "Timer_Macro"}) {
            auto* timer = rig.machine.findChild<QTimer*>(name);
            QVERIFY2(timer, name);
            QCOMPARE(timer->interval(), 20);
            QVERIFY(timer->isActive());
        }
    }

    // An operation starts when it is asked for, and its answer is acted on once the engine has judged
    // it; the machine's ticks are only the backstop, and here they never come.
    void startsAndFinishesWithoutTicks() {
        Rig rig;
        rig.machine.Timer_ValaszVarasLekezeles()->setInterval(3600 * 1000);
        rig.machine.Timer_Macro()->setInterval(3600 * 1000);
        rig.device.answers[1] = Answer(0, 49);
        rig.machine.Start(Operation::ReadSettings);
        QTRY_COMPARE_WITH_TIMEOUT(rig.host.outcomes, QStringList{"read settings: done"}, 5000);
        QCOMPARE(rig.host.events, QStringList{"show settings 49/1 @0"});
    }

    void startStepSendsCatalogueRequest_data() {
        QTest::addColumn<int>("startStep");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("expectedLength");
        QTest::addColumn<int>("extraTimeout");
        QTest::addColumn<int>("requestCode");
        QTest::addColumn<int>("waitStep");
        QTest::newRow("100 read settings") << 100 << Bytes({4, 1}) << 49 << 0 << 1 << 101;
        QTest::newRow("110 factory defaults") << 110 << Bytes({4, 2}) << 48 << 0 << 2 << 101;
        QTest::newRow("120 write settings") << 120 << PayloadBytes(SettingsPayload) << 1 << 1000 << 3 << 121;
        QTest::newRow("130 read counters") << 130 << Bytes({4, 4}) << 73 << 0 << 4 << 131;
        QTest::newRow("140 clear errors") << 140 << Bytes({4, 5}) << 73 << 0 << 5 << 131;
        QTest::newRow("150 preset counters") << 150 << PayloadBytes(PresetPayload) << 73 << 0 << 6 << 131;
        QTest::newRow("160 first initialization") << 160 << Bytes({4, 7}) << 1 << 1000 << 7 << 161;
    }
    void startStepSendsCatalogueRequest() {
        QFETCH(int, startStep);
        QFETCH(QByteArray, payload);
        QFETCH(int, expectedLength);
        QFETCH(int, extraTimeout);
        QFETCH(int, requestCode);
        QFETCH(int, waitStep);
        Rig rig; // the device stays silent: only the request is of interest
        rig.host.settingsPayload = SettingsPayload;
        rig.host.presetPayload = PresetPayload;
        rig.machine.OperationStep = startStep;
        QTRY_VERIFY_WITH_TIMEOUT(!rig.device.requests.isEmpty(), 5000);
        const AnsweringDevice::Request request = rig.device.requests.first();
        QCOMPARE(request.payload, payload);
        QCOMPARE(request.expectedLength, expectedLength);
        QCOMPARE(request.extraTimeout, extraTimeout);
        QCOMPARE(rig.machine.RequestCode, requestCode);
        QCOMPARE(rig.machine.OperationStep, waitStep);
        QCOMPARE(rig.engine.RequestFrameAt(1), 0x1F); // address 15, no variant flag
    }

    void waitStepJudgesAnswer_data() {
        QTest::addColumn<int>("startStep");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QStringList>("events");
        const QByteArray silence;
        QTest::newRow("101 status 0")
            << 100 << true << Answer(0, 49) << QStringList{"show settings 49/1 @0", "read settings: done @0"};
        QTest::newRow("101 factory status 0")
            << 110 << true << Answer(0, 48)
            << QStringList{"show settings 48/2 @0", "read factory defaults: done @0"};
        QTest::newRow("101 status 0x81") << 100 << true << Answer(0x81, 1)
                                         << QStringList{"read settings: not a ZEPH7208 @-1", WrongDevice};
        QTest::newRow("101 status 0x81 full")
            << 110 << true << Answer(0x81, 48)
            << QStringList{"read factory defaults: not a ZEPH7208 @-1", WrongDevice};
        QTest::newRow("101 status 0 alone is no answer")
            << 100 << true << Answer(0, 1) << QStringList{"read settings: no answer @-1", NoAnswer};
        QTest::newRow("101 status 1 ignored")
            << 100 << true << Answer(1, 1) << QStringList{"read settings: status ignored @0"};
        QTest::newRow("101 no answer")
            << 110 << false << silence << QStringList{"read factory defaults: no answer @-1", NoAnswer};
        QTest::newRow("131 status 0")
            << 130 << true << Answer(0, 73) << QStringList{"show counters 73 @0", "read counters: done @0"};
        QTest::newRow("131 clear status 0")
            << 140 << true << Answer(0, 73) << QStringList{"show counters 73 @0", "clear errors: done @0"};
        QTest::newRow("131 preset status 0")
            << 150 << true << Answer(0, 73)
            << QStringList{"build preset @150", "show counters 73 @0", "preset counters: done @0"};
        QTest::newRow("131 status 0x81")
            << 130 << true << Answer(0x81, 1)
            << QStringList{"release @-1", "read counters: not a ZEPH7208 @-1", WrongDevice};
        QTest::newRow("131 status 0 alone is no answer")
            << 140 << true << Answer(0, 1)
            << QStringList{"release @-1", "clear errors: no answer @-1", NoAnswer};
        QTest::newRow("131 status 2 ignored")
            << 130 << true << Answer(2, 73) << QStringList{"read counters: status ignored @0"};
        QTest::newRow("131 no answer")
            << 130 << false << silence
            << QStringList{"release @-1", "read counters: no answer @-1", NoAnswer};
        QTest::newRow("121 status 0")
            << 120 << true << Answer(0, 1)
            << QStringList{"build settings @120", "write settings: done @0", "information: Ready. @0"};
        QTest::newRow("121 status 1")
            << 120 << true << Answer(1, 1)
            << QStringList{"build settings @120", "write settings: parameters error @-1",
                           "error: Parameters error. @-1"};
        QTest::newRow("121 status 2")
            << 120 << true << Answer(2, 1)
            << QStringList{"build settings @120", "write settings: EEPROM error @-1",
                           "error: EEPROM error. @-1"};
        QTest::newRow("121 status 7 ignored")
            << 120 << true << Answer(7, 1)
            << QStringList{"build settings @120", "write settings: status ignored @0"};
        QTest::newRow("121 status 0x81")
            << 120 << true << Answer(0x81, 1)
            << QStringList{"build settings @120", "write settings: not a ZEPH7208 @-1", WrongDevice};
        QTest::newRow("161 status 0")
            << 160 << true << Answer(0, 1) << QStringList{"first initialization: done @0"};
        QTest::newRow("161 status 1 ignored")
            << 160 << true << Answer(1, 1) << QStringList{"first initialization: status ignored @0"};
        QTest::newRow("161 status 0x81")
            << 160 << true << Answer(0x81, 1)
            << QStringList{"release @-1", "first initialization: not a ZEPH7208 @-1", WrongDevice};
        QTest::newRow("161 no answer")
            << 160 << false << silence
            << QStringList{"release @-1", "first initialization: no answer @-1", NoAnswer};
    }
    void waitStepJudgesAnswer() {
        QFETCH(int, startStep);
        QFETCH(bool, answered);
        QFETCH(QByteArray, answer);
        QFETCH(QStringList, events);
        Rig rig;
        rig.host.outcomesInEvents = true;
        rig.engine.RetryLimit = 2; // keeps the no-answer rows short
        rig.host.settingsPayload = SettingsPayload;
        rig.host.presetPayload = PresetPayload;
        const int code =
            PayloadBytes(startStep == 120   ? SettingsPayload
                         : startStep == 150 ? PresetPayload
                                            : QStringLiteral("4,%1").arg((startStep - 90) / 10))[1];
        if (answered) rig.device.answers[code] = answer;
        rig.machine.Timer_Macro()->stop(); // the sequencer would turn -1 into 0 before the check below
        rig.machine.OperationStep = startStep;
        QTRY_VERIFY_WITH_TIMEOUT(rig.engine.TransactionResult() != link::TransactionPending &&
                                     rig.machine.OperationStep <= 0,
                                 10000);
        QCOMPARE(rig.host.events, events);
        const bool failed = !events.isEmpty() && events.last().endsWith("@-1");
        QCOMPARE(rig.machine.OperationStep, failed ? -1 : 0);
        QCOMPARE(rig.device.Codes().first(), code);
    }

    void firstInitializationJob_data() {
        QTest::addColumn<QList<int>>("silentCodes");
        QTest::addColumn<int>("statusOfCode7");
        QTest::addColumn<int>("statusOfCode1");
        QTest::addColumn<QList<int>>("codesSent");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("all succeed") << QList<int>{} << 0 << 0 << QList<int>{7, 1, 4}
                                     << QStringList{"show settings 49/1 @0", "show counters 73 @0"};
        QTest::newRow("ignored status goes on")
            << QList<int>{} << 9 << 0 << QList<int>{7, 1, 4}
            << QStringList{"show settings 49/1 @0", "show counters 73 @0"};
        QTest::newRow("code 7 unanswered")
            << QList<int>{7} << 0 << 0 << QList<int>{7} << QStringList{"release @-1", NoAnswer};
        QTest::newRow("code 7 wrong device")
            << QList<int>{} << 0x81 << 0 << QList<int>{7} << QStringList{"release @-1", WrongDevice};
        QTest::newRow("code 1 wrong device")
            << QList<int>{} << 0 << 0x81 << QList<int>{7, 1} << QStringList{WrongDevice};
        QTest::newRow("code 4 unanswered") << QList<int>{4} << 0 << 0 << QList<int>{7, 1, 4}
                                           << QStringList{"show settings 49/1 @0", "release @-1", NoAnswer};
    }
    void firstInitializationJob() {
        QFETCH(QList<int>, silentCodes);
        QFETCH(int, statusOfCode7);
        QFETCH(int, statusOfCode1);
        QFETCH(QList<int>, codesSent);
        QFETCH(QStringList, events);
        Rig rig;
        rig.engine.RetryLimit = 1;
        rig.device.answers = {
            {7, Answer(statusOfCode7, 1)}, {1, Answer(statusOfCode1, 49)}, {4, Answer(0, 73)}};
        for (int code : silentCodes)
            rig.device.answers.erase(code);
        rig.machine.SequenceStep = 10;
        QTRY_COMPARE_WITH_TIMEOUT(rig.host.events.size(), events.size(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(rig.machine.SequenceStep == 0 && rig.machine.OperationStep == 0, 5000);
        QCOMPARE(rig.host.events, events);
        // Both steps are idle: nothing can start another request now.
        QCOMPARE(rig.device.Codes(), codesSent);
    }

    // The reads and the write replace what is under way; the others wait for idle or a failure just shown.
    void startOnlyWhenIdle_data() {
        QTest::addColumn<int>("stepBefore");
        QTest::addColumn<int>("operation");
        QTest::addColumn<bool>("unconditional");
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("stepAfter");
        QTest::addColumn<int>("sequenceAfter");
        const auto row = [](const char* name, int before, Operation op, bool unconditional, bool started,
                            int after, int sequence) {
            QTest::newRow(name) << before << int(op) << unconditional << started << after << sequence;
        };
        row("refresh when idle", 0, Operation::ReadCounters, false, true, 130, 0);
        row("refresh after a failure", -1, Operation::ReadCounters, false, true, 130, 0);
        row("refresh while waiting", 131, Operation::ReadCounters, false, false, 131, 0);
        row("clear while a write waits", 121, Operation::ClearErrors, false, false, 121, 0);
        row("preset when idle", 0, Operation::PresetCounters, false, true, 150, 0);
        row("first initialization when idle", 0, Operation::FirstInitialization, false, true, 0, 10);
        row("first initialization while waiting", 101, Operation::FirstInitialization, false, false, 101, 0);
        row("read settings while waiting", 131, Operation::ReadSettings, true, true, 100, 0);
        row("factory defaults while waiting", 121, Operation::ReadFactoryDefaults, true, true, 110, 0);
        row("write while waiting", 101, Operation::WriteSettings, true, true, 120, 0);
    }
    void startOnlyWhenIdle() {
        QFETCH(int, stepBefore);
        QFETCH(int, operation);
        QFETCH(bool, unconditional);
        QFETCH(bool, started);
        QFETCH(int, stepAfter);
        QFETCH(int, sequenceAfter);
        Rig rig;
        rig.machine.Timer_ValaszVarasLekezeles()->stop();
        rig.machine.Timer_Macro()->stop();
        rig.machine.OperationStep = stepBefore;
        if (unconditional)
            rig.machine.Start(Operation(operation));
        else
            QCOMPARE(rig.machine.StartWhenIdle(Operation(operation)), started);
        QCOMPARE(rig.machine.OperationStep, stepAfter);
        QCOMPARE(rig.machine.SequenceStep, sequenceAfter);
    }

    void failureClearedByNextSequencerTick() {
        Rig rig;
        rig.machine.OperationStep = -1;
        rig.machine.SequenceStep = 11; // a job that was running when its operation failed
        QTRY_COMPARE(rig.machine.OperationStep, 0);
        QCOMPARE(rig.machine.SequenceStep, 0);
        QVERIFY(rig.device.requests.isEmpty());
    }

    void settingsReadReplacesWaitingRefresh() {
        Rig rig;
        rig.device.answers[1] = Answer(0, 49); // counters stay unanswered
        rig.machine.OperationStep = 130;
        QTRY_COMPARE(rig.machine.OperationStep, 131);
        rig.machine.Start(Operation::ReadSettings);
        QTRY_COMPARE_WITH_TIMEOUT(rig.host.events, QStringList{"show settings 49/1 @0"}, 5000);
        QCOMPARE(rig.device.Codes(), (QList<int>{4, 1}));
        QCOMPARE(rig.host.outcomes, (QStringList{"read counters: abandoned", "read settings: done"}));
    }

    void resetIdlesEverythingWithoutMessage() {
        Rig rig;
        rig.device.answers[2] = Answer(0, 48);
        rig.machine.SequenceStep = 12;
        rig.machine.OperationStep = 130; // unanswered
        QTRY_COMPARE(rig.machine.OperationStep, 131);
        rig.machine.ResetOperationState();
        QCOMPARE(rig.host.outcomes, QStringList{"read counters: abandoned"});
        QCOMPARE(rig.machine.OperationStep, 0);
        QCOMPARE(rig.machine.SequenceStep, 0);
        QCOMPARE(rig.engine.EngineState(), int(link::EngineIdle));
        QVERIFY(rig.machine.Timer_ValaszVarasLekezeles()->isActive());
        QVERIFY(rig.machine.Timer_Macro()->isActive());
        // A later operation runs normally; the abandoned read neither retries nor reports.
        rig.machine.OperationStep = 110;
        QTRY_COMPARE_WITH_TIMEOUT(rig.host.events, QStringList{"show settings 48/2 @0"}, 5000);
        QCOMPARE(rig.device.Codes(), (QList<int>{4, 2}));
    }

    void messageTextsFollowTheWindow() {
        Rig rig;
        rig.machine.Timer_Macro()->stop();
        rig.machine.PeripheralAddress = 3;
        rig.machine.WrongDeviceText = " Kein ZEPH7208.";
        rig.device.answers[4] = Answer(0x81, 1);
        rig.machine.OperationStep = 130;
        QTRY_COMPARE_WITH_TIMEOUT(rig.machine.OperationStep, -1, 5000);
        QCOMPARE(rig.host.events, (QStringList{"release @-1", "error: A #3 Kein ZEPH7208. @-1"}));
        QCOMPARE(rig.engine.RequestFrameAt(1), 0x13);
    }
};

int RunOperationMachineTests(int argc, char** argv) {
    OperationMachineTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_operation_machine.moc"
