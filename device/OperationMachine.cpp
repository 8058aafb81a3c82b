// SPDX-License-Identifier: MIT
// The operation state machine and the first-initialization sequencer.
#include "device/OperationMachine.h"

#include "device/DeviceLogging.h"
#include "link/TransactionEngine.h"

#include <QCoreApplication>
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
    connect(m_operationTimer, &QTimer::timeout, this, [this] {
        StepOperation();
        StopIdleTimers();
    });
    connect(m_sequenceTimer, &QTimer::timeout, this, [this] {
        StepSequence();
        // The job's next operation starts now rather than on the operation timer's next tick.
        if (EntryForStartStep(OperationStep)) {
            WakeTimers();
            StepOperation();
        }
        StopIdleTimers();
    });
    // The engine's verdict is acted on at once, though never inside the port's hand-over that completed
    // the answer: the decoders, the window and any message run from the event loop.
    connect(&m_engine, &link::TransactionEngine::TransactionFinished, this, &OperationMachine::StepNow,
            Qt::QueuedConnection);
    // The steps may be set from outside before the first tick; the timers stop at a tick that finds
    // nothing to do.
    WakeTimers();
}

void OperationMachine::Start(Operation operation) {
    if (operation == Operation::FirstInitialization)
        SequenceStep = SequenceFirstInit;
    else
        OperationStep = EntryFor(operation).startStep;
    // The request goes out as soon as the caller returns to the event loop, not on the next tick.
    WakeTimers();
    QMetaObject::invokeMethod(this, &OperationMachine::StepNow, Qt::QueuedConnection);
}

void OperationMachine::StepNow() {
    StepOperation();
    if (SequenceStep == SequenceIdle) return;
    // A job goes on with its next operation at once, as its tick would have started it.
    StepSequence();
    StepOperation();
}

void OperationMachine::WakeTimers() {
    if (!m_operationTimer->isActive()) m_operationTimer->start();
    if (!m_sequenceTimer->isActive()) m_sequenceTimer->start();
}

void OperationMachine::StopIdleTimers() {
    // The ticks stay as the backstop while a step waits; idle, nothing wakes the machine. The sequencer
    // ticks on through an operation, as its tick is what clears a failure and ends a job.
    if (OperationStep <= StepIdle) m_operationTimer->stop();
    if (SequenceStep == SequenceIdle && OperationStep == StepIdle) m_sequenceTimer->stop();
}

bool OperationMachine::StartWhenIdle(Operation operation) {
    if (!IsIdle()) return false;
    Start(operation);
    return true;
}

void OperationMachine::StepOperation() {
    if (const OperationEntry* entry = EntryForStartStep(OperationStep)) {
        StartOperation(*entry);
        return;
    }
    switch (OperationStep) {
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

void OperationMachine::StartOperation(const OperationEntry& entry) {
    // A new request drops the answer of the one it replaces.
    if (m_awaited) Finish(OperationOutcome::Abandoned);
    RequestCode = entry.code;
    const QString payload = entry.operation == Operation::WriteSettings ? m_host.BuildSettingsPayload()
                            : entry.operation == Operation::PresetCounters
                                ? m_host.BuildCounterPresetPayload()
                                : ShortPayload(entry);
    qCDebug(lcDevice) << "step" << entry.startStep << "starts" << entry.name;
    m_engine.ExpectedLength = entry.expectedLength;
    m_engine.ExtraTimeout = entry.extraTimeout;
    m_engine.StartTransaction(PeripheralAddress, false, payload);
    OperationStep = entry.waitStep;
    m_awaited = entry.operation;
    emit OperationStarted(entry.operation);
}

void OperationMachine::Finish(OperationOutcome outcome) {
    const Operation operation = *m_awaited;
    m_awaited.reset();
    qCDebug(lcDevice).noquote() << EntryFor(operation).name << "ended:" << OutcomeText(outcome);
    emit OperationFinished(operation, outcome);
}

void OperationMachine::Fail(int waitStep, OperationOutcome outcome, const QString& text) {
    // The timers keep ticking while the box is open, so the state must be final before it is shown.
    OperationStep = StepFailed;
    if (ReleasesContinuousRefresh(waitStep)) m_host.ReleaseContinuousRefresh();
    Finish(outcome);
    m_host.ShowMessage(MessageKind::Error, text);
}

void OperationMachine::AwaitAnswer(int waitStep) {
    const int result = m_engine.TransactionResult();
    if (result == link::TransactionPending) return;
    OperationStep = StepIdle;
    if (result == link::TransactionFailed) {
        Fail(waitStep, OperationOutcome::NoAnswer, NoAnswerText);
        return;
    }
    const int status = m_engine.ResponseData(1);
    if (status == StatusNotThisDevice) {
        Fail(waitStep, OperationOutcome::NotThisDevice,
             QStringLiteral("A #") + QString::number(PeripheralAddress) + WrongDeviceText);
        return;
    }
    if (waitStep == StepWriteSettingsWait && status == StatusParameterError) {
        Fail(waitStep, OperationOutcome::ParameterError,
             QCoreApplication::translate("Device", "Parameters error."));
        return;
    }
    if (waitStep == StepWriteSettingsWait && status == StatusEepromError) {
        Fail(waitStep, OperationOutcome::EepromError, QCoreApplication::translate("Device", "EEPROM error."));
        return;
    }
    if (status != StatusDone) {
        qCDebug(lcDevice) << "status" << status << "ignored";
        Finish(OperationOutcome::IgnoredStatus);
        return;
    }

    // A status byte alone, accepted at the time-out, leaves the rest of ResponseData from an older
    // answer: decoding it would show stale settings or counters, so it counts as no valid answer.
    const bool fullAnswer = m_engine.ResponseLength() >= m_engine.ExpectedLength;
    const bool readsData = waitStep == StepReadSettingsWait || waitStep == StepCountersWait;
    if (readsData && !fullAnswer) {
        Fail(waitStep, OperationOutcome::NoAnswer, NoAnswerText);
        return;
    }
    const std::span<const std::uint8_t> payload = m_engine.ResponsePayload();
    if (waitStep == StepReadSettingsWait) m_host.ShowSettingsBlock(payload, RequestCode);
    if (waitStep == StepCountersWait) m_host.ShowCounterStatus(payload);
    Finish(OperationOutcome::Succeeded);
    if (waitStep == StepWriteSettingsWait)
        m_host.ShowMessage(MessageKind::Information, QCoreApplication::translate("Device", "Ready."));
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
    if (m_awaited) Finish(OperationOutcome::Abandoned);
}

} // namespace zeph::device
