// The operation state machine and the first-initialization sequencer: every conversation with the device
// is a numbered start step and wait step, advanced by a 20 ms timer, on top of the transaction engine.
#pragma once

#include "device/OperationHost.h"

#include <QObject>
#include <QString>

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

    // Written by the window's handlers (a start step, or SequenceFirstInit), read back by their guards.
    int OperationStep = StepIdle;
    int SequenceStep = SequenceIdle;
    // The operation code of the last request started here.
    int RequestCode = 0;
    int PeripheralAddress = 15;
    QString NoAnswerText = QStringLiteral("The ZEPH7208 have not responded.");
    QString WrongDeviceText = QStringLiteral(" This is not a ZEPH7208.");

    // One tick of the operation state machine (Timer_ValaszVarasLekezeles).
    void StepOperation();
    // One tick of the first-initialization sequencer (Timer_Macro).
    void StepSequence();
    // Both steps and the engine back to idle, without a message; no timer is stopped.
    void ResetOperationState();

    QTimer* Timer_ValaszVarasLekezeles() const { return m_operationTimer; }
    QTimer* Timer_Macro() const { return m_sequenceTimer; }

private:
    void StartOperation(int code, const QString& payload, int expectedLength, int extraTimeout, int waitStep);
    void AwaitAnswer(int waitStep);
    void Fail(int waitStep, const QString& text);

    link::TransactionEngine& m_engine;
    OperationHost& m_host;
    QTimer* m_operationTimer;
    QTimer* m_sequenceTimer;
};

} // namespace zeph::device
