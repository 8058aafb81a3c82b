// The operation state machine and the first-initialization sequencer.
#include "device/OperationMachine.h"

#include "link/TransactionEngine.h"

#include <QTimer>

namespace zeph::device {

namespace {
constexpr int TickMs = 20;

QTimer* MakeTickTimer(QObject* owner, const char* name) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(TickMs);
    return timer;
}

bool ReleasesContinuousRefresh(int waitStep) {
    return waitStep == StepCountersWait || waitStep == StepFirstInitializationWait;
}
} // namespace

OperationMachine::OperationMachine(link::TransactionEngine& engine, OperationHost& host, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_host(host)
    , m_operationTimer(MakeTickTimer(this, "Timer_ValaszVarasLekezeles"))
    , m_sequenceTimer(MakeTickTimer(this, "Timer_Macro")) {
    connect(m_operationTimer, &QTimer::timeout, this, &OperationMachine::StepOperation);
    connect(m_sequenceTimer, &QTimer::timeout, this, &OperationMachine::StepSequence);
    m_operationTimer->start();
    m_sequenceTimer->start();
}

void OperationMachine::StepOperation() {
    switch (OperationStep) {
    case StepReadSettings:
        StartOperation(1, QStringLiteral("4,1"), 49, 0, StepReadSettingsWait);
        break;
    case StepReadFactoryDefaults:
        StartOperation(2, QStringLiteral("4,2"), 48, 0, StepReadSettingsWait);
        break;
    case StepWriteSettings:
        RequestCode = 3;
        StartOperation(3, m_host.BuildSettingsPayload(), 1, 1000, StepWriteSettingsWait);
        break;
    case StepReadCounters:
        StartOperation(4, QStringLiteral("4,4"), 73, 0, StepCountersWait);
        break;
    case StepClearErrors:
        StartOperation(5, QStringLiteral("4,5"), 73, 0, StepCountersWait);
        break;
    case StepPresetCounters:
        RequestCode = 6;
        StartOperation(6, m_host.BuildCounterPresetPayload(), 73, 0, StepCountersWait);
        break;
    case StepFirstInitialization:
        StartOperation(7, QStringLiteral("4,7"), 1, 1000, StepFirstInitializationWait);
        break;
    case StepReadSettingsWait:
    case StepWriteSettingsWait:
    case StepCountersWait:
    case StepFirstInitializationWait:
        AwaitAnswer(OperationStep);
        break;
    default:
        break;
    }
}

void OperationMachine::StartOperation(int code, const QString& payload, int expectedLength, int extraTimeout,
                                      int waitStep) {
    RequestCode = code;
    m_engine.ExpectedLength = expectedLength;
    m_engine.ExtraTimeout = extraTimeout;
    m_engine.StartTransaction(PeripheralAddress, false, payload);
    OperationStep = waitStep;
}

void OperationMachine::Fail(int waitStep, const QString& text) {
    // The timers keep ticking while the box is open, so the state must be final before it is shown.
    OperationStep = StepFailed;
    if (ReleasesContinuousRefresh(waitStep)) m_host.ReleaseContinuousRefresh();
    m_host.ShowMessage(MessageKind::Error, text);
}

void OperationMachine::AwaitAnswer(int waitStep) {
    const int result = m_engine.TransactionResult();
    if (result == link::TransactionPending) return;
    OperationStep = StepIdle;
    if (result == link::TransactionFailed) {
        Fail(waitStep, NoAnswerText);
        return;
    }
    const int status = m_engine.ResponseData(1);
    if (status == StatusNotThisDevice) {
        Fail(waitStep, QStringLiteral("A #") + QString::number(PeripheralAddress) + WrongDeviceText);
        return;
    }
    if (waitStep == StepWriteSettingsWait && status == StatusParameterError) {
        Fail(waitStep, QStringLiteral("Parameters error."));
        return;
    }
    if (waitStep == StepWriteSettingsWait && status == StatusEepromError) {
        Fail(waitStep, QStringLiteral("EEPROM error."));
        return;
    }
    if (status != StatusDone) return;

    // A status byte alone, accepted at the time-out, leaves the rest of ResponseData from an older
    // answer: decoding it would show stale settings or counters, so it counts as no valid answer.
    const bool fullAnswer = m_engine.ResponseLength() >= m_engine.ExpectedLength;
    switch (waitStep) {
    case StepReadSettingsWait:
        if (fullAnswer)
            m_host.ShowSettingsBlock();
        else
            Fail(waitStep, NoAnswerText);
        break;
    case StepWriteSettingsWait:
        m_host.ShowMessage(MessageKind::Information, QStringLiteral("Ready."));
        break;
    case StepCountersWait:
        if (fullAnswer)
            m_host.ShowCounterStatus();
        else
            Fail(waitStep, NoAnswerText);
        break;
    default:
        break;
    }
}

void OperationMachine::StepSequence() {
    if (OperationStep == StepFailed) {
        SequenceStep = SequenceIdle;
        OperationStep = StepIdle;
        return;
    }
    if (OperationStep != StepIdle) return;
    switch (SequenceStep) {
    case SequenceFirstInit:
        OperationStep = StepFirstInitialization;
        SequenceStep = SequenceReadSettings;
        break;
    case SequenceReadSettings:
        OperationStep = StepReadSettings;
        SequenceStep = SequenceReadCounters;
        break;
    case SequenceReadCounters:
        OperationStep = StepReadCounters;
        SequenceStep = SequenceIdle;
        break;
    default:
        break;
    }
}

void OperationMachine::ResetOperationState() {
    SequenceStep = SequenceIdle;
    OperationStep = StepIdle;
    m_engine.ResetEngine();
}

} // namespace zeph::device
