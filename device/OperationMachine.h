// SPDX-License-Identifier: MIT
// The operation state machine and the first-initialization sequencer: every conversation with the device
// is a numbered start step and wait step on top of the transaction engine. A step runs at once when an
// operation is started and when the engine has judged the answer; a 20 ms timer is the backstop while a
// step waits, and stops when the machine is idle.
#pragma once

#include "device/OperationCatalogue.h"
#include "device/OperationHost.h"

#include <QObject>
#include <QString>

#include <optional>

class QTimer;

namespace zeph::link {
class TransactionEngine;
}

namespace zeph::device {

// Start steps and wait steps of OperationStep; 0 is idle and -1 a failure the sequencer clears.
enum OperationSteps : int {
    StepIdle = 0,
    StepFailed = -1,
    StepReadSettings = 100,
    StepReadSettingsWait = 101,
    StepReadFactoryDefaults = 110,
    StepWriteSettings = 120,
    StepWriteSettingsWait = 121,
    StepReadCounters = 130,
    StepCountersWait = 131,
    StepClearErrors = 140,
    StepPresetCounters = 150,
    StepFirstInitialization = 160,
    StepFirstInitializationWait = 161,
};

// Steps of SequenceStep for the first-initialization job.
enum SequenceSteps : int {
    SequenceIdle = 0,
    SequenceFirstInit = 10,
    SequenceReadSettings = 11,
    SequenceReadCounters = 12
};

// The device's status bytes as the wait steps judge them.
enum DeviceStatus : int {
    StatusDone = 0,
    StatusParameterError = 1,
    StatusEepromError = 2,
    StatusNotThisDevice = 0x81
};

class OperationMachine : public QObject {
    Q_OBJECT
public:
    OperationMachine(link::TransactionEngine& engine, OperationHost& host, QObject* parent = nullptr);

    // The machine's state; the front ends change it only through Start and StartWhenIdle.
    int OperationStep = StepIdle;
    int SequenceStep = SequenceIdle;
    // The operation code of the last request started here.
    int RequestCode = 0;
    int PeripheralAddress = 15;
    QString NoAnswerText = QStringLiteral("The ZEPH7208 have not responded.");
    QString WrongDeviceText = QStringLiteral(" This is not a ZEPH7208.");

    // Idle, or a failure just reported: the only state in which the guarded operations may start.
    bool IsIdle() const { return OperationStep < 1; }
    // Starts as soon as the event loop runs again, whatever is under way, which is abandoned (the reads and
    // the write of the settings).
    void Start(Operation operation);
    // Starts only when idle; returns whether it did. First initialization starts the job of three
    // operations: first initialization, read settings, read counters.
    bool StartWhenIdle(Operation operation);

    // One tick of the operation state machine (Timer_ValaszVarasLekezeles).
    void StepOperation();
    // One tick of the first-initialization sequencer (Timer_Macro).
    void StepSequence();
    // Both steps and the engine back to idle, without a message; the machine's timers stop at their next
    // tick.
    void ResetOperationState();

    QTimer* Timer_ValaszVarasLekezeles() const { return m_operationTimer; }
    QTimer* Timer_Macro() const { return m_sequenceTimer; }

signals:
    // A start step has handed its request to the engine.
    void OperationStarted(zeph::device::Operation operation);
    // A wait step has judged the answer (after any decoder ran, before any message box), or the
    // operation was abandoned by another one or by a reset.
    void OperationFinished(zeph::device::Operation operation, zeph::device::OperationOutcome outcome);

private:
    // Runs the steps at once: after Start and after the engine's verdict.
    void StepNow();
    void WakeTimers();
    void StopIdleTimers();
    void StartOperation(const OperationEntry& entry);
    void AwaitAnswer(int waitStep);
    void Finish(OperationOutcome outcome);
    void Fail(int waitStep, OperationOutcome outcome, const QString& text);

    link::TransactionEngine& m_engine;
    OperationHost& m_host;
    QTimer* m_operationTimer;
    QTimer* m_sequenceTimer;
    // The operation whose answer is awaited.
    std::optional<Operation> m_awaited;
};

} // namespace zeph::device
