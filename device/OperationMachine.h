// SPDX-License-Identifier: MIT
// The operation state machine and the first-initialization sequencer: every conversation with the device
// is a numbered start step and wait step on top of the transaction engine. A step runs at once when an
// operation is started and when the engine has judged the answer; the 20 ms timers are the backstop
// between the two, stopped while the engine has the request and when the machine is idle. Each operation
// ends in one result.
#pragma once

#include "device/OperationCatalogue.h"
#include "device/OperationResult.h"
#include "link/Clock.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace zeph::link {
class TransactionEngine;
}

namespace zeph::device {

// The machine's steps besides the catalogue's start and wait steps: idle, and a failure just reported,
// which the sequencer clears.
constexpr int StepIdle = 0;
constexpr int StepFailed = -1;

// The first-initialization job's steps.
enum SequenceSteps : int {
    SequenceIdle = 0,
    SequenceFirstInit = 10,
    SequenceReadSettings = 11,
    SequenceReadCounters = 12
};

class OperationMachine : public QObject {
    Q_OBJECT
public:
    // What a request carries, asked for when the request goes out, so that it is as it is then.
    using RequestSource = std::function<RequestData()>;

    OperationMachine(link::TransactionEngine& engine, link::Clock& clock = link::SystemClock(),
                     QObject* parent = nullptr);

    void SetPeripheralAddress(int address) { m_peripheralAddress = address; }
    int PeripheralAddress() const { return m_peripheralAddress; }

    // Idle, or a failure just reported: the only state in which the guarded operations may start.
    bool IsIdle() const { return m_operationStep < 1; }
    // Nothing under way: no operation asked for or awaiting its answer, no job going on, no failure
    // waiting to be cleared.
    bool IsQuiet() const { return m_operationStep == StepIdle && m_sequenceStep == SequenceIdle; }
    // The steps, for the log.
    int OperationStep() const { return m_operationStep; }
    int SequenceStep() const { return m_sequenceStep; }

    // Starts as soon as the event loop runs again, whatever is under way, which is abandoned. First
    // initialization starts the job of three operations: first initialization, read settings, read counters.
    void Start(Operation operation, RequestSource source = {});
    // Starts only when idle; returns whether it did.
    bool StartWhenIdle(Operation operation, RequestSource source = {});
    // Both steps and the engine back to idle, without a result but Abandoned; the timers stop at their
    // next tick.
    void ResetOperationState();

    // Timer_ValaszVarasLekezeles and Timer_Macro.
    const link::ClockTimer& OperationTimer() const { return *m_operationTimer; }
    const link::ClockTimer& SequenceTimer() const { return *m_sequenceTimer; }

signals:
    // A start step has handed its request to the engine.
    void OperationStarted(zeph::device::Operation operation);
    // A wait step has judged the answer, or the operation was abandoned by another one or by a reset.
    void OperationFinished(const zeph::device::OperationResult& result);
    // The first-initialization job has ended, after the result of its last operation.
    void JobFinished(const zeph::device::JobResult& result);

private:
    // One tick of the operation state machine (Timer_ValaszVarasLekezeles).
    void StepOperation();
    // One tick of the first-initialization sequencer (Timer_Macro).
    void StepSequence();
    // Runs the steps at once: after Start and after the engine's verdict.
    void StepNow();
    void WakeTimers();
    void StopIdleTimers();
    void StartOperation(const OperationEntry& entry);
    void AwaitAnswer();
    void Finish(OperationOutcome outcome, AnswerData data = {});
    void Fail(OperationOutcome outcome);
    void FinishJob(OperationOutcome outcome);
    qint64 NowMs() const { return m_clock.NowUs() / 1000; }

    link::TransactionEngine& m_engine;
    link::Clock& m_clock;
    std::unique_ptr<link::ClockTimer> m_operationTimer;
    std::unique_ptr<link::ClockTimer> m_sequenceTimer;
    int m_peripheralAddress = 15;
    int m_operationStep = StepIdle;
    int m_sequenceStep = SequenceIdle;
    RequestSource m_source;
    // The operation whose answer is awaited, and when its request was handed over.
    const OperationEntry* m_awaited = nullptr;
    qint64 m_startedAtMs = 0;
    // The first-initialization job under way, and whether the awaited (or the next) operation is its step.
    std::optional<JobResult> m_job;
    bool m_awaitedIsJobStep = false;
    bool m_nextIsJobStep = false;
    qint64 m_jobStartedAtMs = 0;
};

} // namespace zeph::device
