// SPDX-License-Identifier: MIT
// The operation state machine and the first-initialization sequencer.
#include "device/OperationMachine.h"

#include "device/DeviceLogging.h"
#include "link/TransactionEngine.h"

#include <utility>

namespace zeph::device {

namespace {
constexpr int TickMs = 20;
} // namespace

OperationMachine::OperationMachine(link::TransactionEngine& engine, link::Clock& clock, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_clock(clock)
    , m_operationTimer(clock.NewTimer(this, QStringLiteral("Timer_ValaszVarasLekezeles")))
    , m_sequenceTimer(clock.NewTimer(this, QStringLiteral("Timer_Macro"))) {
    m_operationTimer->onTimeout = [this] {
        StepOperation();
        StopIdleTimers();
    };
    m_sequenceTimer->onTimeout = [this] {
        StepSequence();
        // The job's next operation starts now rather than on the operation timer's next tick.
        if (EntryForStartStep(m_operationStep)) {
            WakeTimers();
            StepOperation();
        }
        StopIdleTimers();
    };
    // The engine's verdict is acted on at once, though never inside the line's hand-over that completed
    // the answer: whoever takes the result runs from the event loop.
    connect(&m_engine, &link::TransactionEngine::TransactionFinished, this, &OperationMachine::StepNow,
            Qt::QueuedConnection);
}

void OperationMachine::Start(Operation operation, RequestSource source) {
    if (operation == Operation::FirstInitialization) {
        if (m_job) FinishJob(OperationOutcome::Abandoned);
        m_sequenceStep = SequenceFirstInit;
        m_job = JobResult{};
        m_jobStartedAtMs = NowMs();
    } else {
        m_operationStep = EntryFor(operation).startStep;
        m_source = std::move(source);
        m_nextIsJobStep = false;
    }
    // The request goes out as soon as the caller returns to the event loop, not on the next tick.
    WakeTimers();
    QMetaObject::invokeMethod(this, &OperationMachine::StepNow, Qt::QueuedConnection);
}

bool OperationMachine::StartWhenIdle(Operation operation, RequestSource source) {
    if (!IsIdle()) return false;
    Start(operation, std::move(source));
    return true;
}

void OperationMachine::StepNow() {
    StepOperation();
    if (m_sequenceStep != SequenceIdle) {
        // A job goes on with its next operation at once, as its tick would have started it.
        StepSequence();
        StepOperation();
    }
    // A failure just reported is cleared by the sequencer's next tick, as it always was.
    if (!m_awaited && !IsQuiet()) WakeTimers();
}

void OperationMachine::WakeTimers() {
    if (!m_operationTimer->IsActive()) m_operationTimer->Start(TickMs);
    if (!m_sequenceTimer->IsActive()) m_sequenceTimer->Start(TickMs);
}

void OperationMachine::StopIdleTimers() {
    // The ticks stay as the backstop while a step waits; idle, nothing wakes the machine. The sequencer
    // ticks on through an operation, as its tick is what clears a failure and ends a job.
    if (m_operationStep <= StepIdle) m_operationTimer->Stop();
    if (m_sequenceStep == SequenceIdle && m_operationStep == StepIdle) m_sequenceTimer->Stop();
}

void OperationMachine::StepOperation() {
    if (const OperationEntry* entry = EntryForStartStep(m_operationStep)) {
        StartOperation(*entry);
        return;
    }
    if (m_awaited && m_operationStep == m_awaited->waitStep) AwaitAnswer();
}

void OperationMachine::StartOperation(const OperationEntry& entry) {
    // A new request drops the answer of the one it replaces.
    if (m_awaited) Finish(OperationOutcome::Abandoned);
    const RequestData data = m_source ? m_source() : RequestData{};
    m_source = nullptr;
    qCDebug(lcDevice) << "step" << entry.startStep << "starts" << entry.name;
    m_engine.Start(
        {m_peripheralAddress, false, entry.payload(data), entry.expectedLength, entry.extraTimeoutMs});
    // The engine's verdict wakes the machine: while it waits for one, the ticks would find nothing to do.
    m_operationTimer->Stop();
    m_sequenceTimer->Stop();
    m_operationStep = entry.waitStep;
    m_awaited = &entry;
    m_awaitedIsJobStep = std::exchange(m_nextIsJobStep, false);
    m_startedAtMs = NowMs();
    emit OperationStarted(entry.operation);
}

void OperationMachine::Finish(OperationOutcome outcome, AnswerData data) {
    OperationResult result;
    result.operation = m_awaited->operation;
    result.outcome = outcome;
    if (outcome != OperationOutcome::Abandoned && m_engine.Result() == link::TransactionSucceeded)
        result.status = m_engine.ResponseStatus();
    result.data = std::move(data);
    result.sends = m_engine.SendCount();
    result.elapsedMs = NowMs() - m_startedAtMs;
    m_awaited = nullptr;
    qCDebug(lcDevice).noquote() << EntryFor(result.operation).name << "ended:" << OutcomeText(outcome);
    // A job's step is one the sequencer started; the job ends with its last step.
    const bool jobStep = std::exchange(m_awaitedIsJobStep, false) && m_job;
    if (jobStep) m_job->steps.push_back(result);
    emit OperationFinished(result);
    if (jobStep && m_job && m_sequenceStep == SequenceIdle && m_operationStep == StepIdle)
        FinishJob(OperationOutcome::Succeeded);
}

void OperationMachine::Fail(OperationOutcome outcome) {
    // The state is final before anybody hears of it: a box shown for the result must find it so.
    m_operationStep = StepFailed;
    Finish(outcome);
}

void OperationMachine::FinishJob(OperationOutcome outcome) {
    JobResult job = std::move(*m_job);
    m_job.reset();
    job.outcome = outcome;
    for (const OperationResult& step : job.steps)
        if (!step.Succeeded()) {
            job.outcome = step.outcome;
            break;
        }
    if (job.outcome == OperationOutcome::Succeeded && job.steps.size() < 3)
        job.outcome = OperationOutcome::Abandoned;
    job.elapsedMs = NowMs() - m_jobStartedAtMs;
    qCDebug(lcDevice).noquote() << "first initialization job ended:" << OutcomeText(job.outcome);
    emit JobFinished(job);
}

void OperationMachine::AwaitAnswer() {
    const link::TransactionResultCode result = m_engine.Result();
    if (result == link::TransactionPending) return;
    const OperationEntry& entry = *m_awaited;
    m_operationStep = StepIdle;
    if (result == link::TransactionFailed) {
        Fail(OperationOutcome::NoAnswer);
        return;
    }
    const std::uint8_t status = m_engine.ResponseStatus();
    if (status == StatusNotThisDevice) {
        Fail(OperationOutcome::NotThisDevice);
        return;
    }
    if (entry.refusesValues && status == StatusParameterError) {
        Fail(OperationOutcome::ParameterError);
        return;
    }
    if (entry.refusesValues && status == StatusEepromError) {
        Fail(OperationOutcome::EepromError);
        return;
    }
    if (status != StatusDone) {
        qCDebug(lcDevice) << "status" << status << "ignored";
        Finish(OperationOutcome::IgnoredStatus);
        return;
    }
    // A status byte alone, accepted at the time-out, carries none of the data a read promises: showing
    // an older answer's bytes as fresh values would mislead, so it counts as no valid answer.
    if (entry.decode && m_engine.ResponseLength() < entry.expectedLength) {
        Fail(OperationOutcome::NoAnswer);
        return;
    }
    Finish(OperationOutcome::Succeeded,
           entry.decode ? entry.decode(m_engine.ResponsePayload()) : AnswerData{});
}

void OperationMachine::StepSequence() {
    if (m_operationStep == StepFailed) {
        m_sequenceStep = SequenceIdle;
        m_operationStep = StepIdle;
        if (m_job) FinishJob(OperationOutcome::Abandoned);
        return;
    }
    if (m_operationStep != StepIdle) return;
    switch (m_sequenceStep) {
    case SequenceFirstInit:
        m_operationStep = EntryFor(Operation::FirstInitialization).startStep;
        m_sequenceStep = SequenceReadSettings;
        m_nextIsJobStep = true;
        break;
    case SequenceReadSettings:
        m_operationStep = EntryFor(Operation::ReadSettings).startStep;
        m_sequenceStep = SequenceReadCounters;
        m_nextIsJobStep = true;
        break;
    case SequenceReadCounters:
        m_operationStep = EntryFor(Operation::ReadCounters).startStep;
        m_sequenceStep = SequenceIdle;
        m_nextIsJobStep = true;
        break;
    default:
        break;
    }
}

void OperationMachine::ResetOperationState() {
    m_sequenceStep = SequenceIdle;
    m_operationStep = StepIdle;
    m_source = nullptr;
    m_engine.Reset();
    if (m_awaited) Finish(OperationOutcome::Abandoned);
    if (m_job) FinishJob(OperationOutcome::Abandoned);
}

} // namespace zeph::device
