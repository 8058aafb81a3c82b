// SPDX-License-Identifier: MIT
// The device session: one serial port with the transaction engine and the operation machine on it. It
// opens and closes the port, starts the device operations and reports what happens on the line and how
// each operation ends. The window and the command-line tool are views over it; it knows no widget.
#pragma once

#include "counters/CounterPreset.h"
#include "counters/CounterStatusReport.h"
#include "device/MessageKind.h"
#include "device/OperationCatalogue.h"
#include "device/OperationHost.h"
#include "device/SettingsBlock.h"
#include "link/TransactionEngine.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace zeph::comport {
class TComPort;
}
namespace zeph::device {
class OperationMachine;
}

namespace zeph::session {

class DeviceSession : public QObject, private link::FrameSink, private device::OperationHost {
    Q_OBJECT
public:
    using SettingsSource = std::function<device::SettingsBlock()>;
    using PresetSource = std::function<counters::PresetSelection()>;

    // How soon a counter read may follow the device's last character. Every request waits at least
    // DeviceTurnaroundUs after it, as the original's 20 ms operation tick left a device; a back-to-back
    // refresh that asks for it may come as close as three and a half character times, the line's own
    // least gap between two frames.
    enum class Pace { Default, BackToBack };
    static constexpr int DeviceTurnaroundUs = 20000;

    explicit DeviceSession(QObject* parent = nullptr);
    ~DeviceSession() override;

    // ---- the port, 19200 baud 8N1
    // Opens the port; when it cannot be opened, returns false and sets *error to the window's message,
    // "TCOMPORT : cannot open /dev/ttyUSB0", a carriage return and the system's text, and *reason to
    // that text alone.
    bool Open(const QString& port, QString* error = nullptr, QString* reason = nullptr);
    // Closes the port; an operation under way is abandoned without a message.
    void Close();
    bool PortIsOpen() const { return m_portIsOpen; }
    QString PortName() const;
    // The line settings as a technician writes them: "19200 8N1".
    QString LineSettings() const;
    // The least gap a back-to-back read keeps after the device's last character: 3.5 character times.
    int BackToBackTurnaroundUs() const;

    // ---- operations. They start at the machine's next tick; the outcome comes as OperationFinished.
    // The reads and the write replace whatever is under way.
    void ReadSettings();
    void ReadFactoryDefaults();
    // The source is asked for the settings when the request is built, so it sees them as they are then.
    void WriteSettings(SettingsSource source);
    void WriteSettings(const device::SettingsBlock& block);
    // These start only when the session is idle (or a failure has just been reported) and say whether
    // they did.
    bool RefreshCounters(Pace pace = Pace::Default);
    bool ClearErrors();
    bool PresetCounters(PresetSource source);
    bool PresetCounters(const counters::PresetSelection& selection);
    // First initialization, then a read of the settings, then a read of the counters.
    bool FirstInitialization();
    bool IsIdle() const;
    // Everything back to idle without a message.
    void ResetOperationState();

    // The texts of the two messages the operations show when the device does not answer or is not a
    // ZEPH7208 (the latter behind "A #" and the address).
    void SetMessageTexts(const QString& noAnswerText, const QString& wrongDeviceText);
    int PeripheralAddress() const;
    // Whether a request is out and its answer not yet judged: characters arriving otherwise are
    // unsolicited.
    bool AwaitingAnswer() const;

    // Read-only views for diagnostics and tests.
    const device::OperationMachine& Machine() const { return *m_machine; }
    const link::TransactionEngine& Engine() const { return *m_engine; }

signals:
    // ---- the port
    void PortOpened(const QString& port);
    void PortClosed(const QString& port);
    // The other end hung up while the port was open (an adapter pulled out, the simulator gone); reported
    // once. The session has already closed the port: PortClosed came first, and the operation under way
    // ended as abandoned, without a message.
    void PortLost(const QString& port);

    // ---- the line
    // A request frame written to the port, as its line characters, for the operation that sent it.
    void FrameSent(const QByteArray& lineCharacters, zeph::device::Operation operation);
    // Writing a request frame failed; its answer will time out.
    void FrameNotSent();
    // A stretch of characters read from the port, as it came.
    void CharactersReceived(const QByteArray& characters);
    // The engine's judgement of one attempt, and its retries.
    void AnswerJudged(zeph::link::AnswerVerdict verdict, const zeph::link::Bytes& examined, int attempt);
    void RetryStarted(int attempt, int limit);

    // ---- the operations
    void OperationStarted(zeph::device::Operation operation);
    // After the answer was decoded (SettingsDecoded, CounterReportDecoded), before MessageRequested.
    void OperationFinished(zeph::device::Operation operation, zeph::device::OperationOutcome outcome);
    void SettingsDecoded(const zeph::device::SettingsAnswer& answer);
    void CounterReportDecoded(const zeph::counters::CounterStatusReport& report);
    // A counter operation or the first initialization failed: a continuous refresh must stop.
    void ContinuousRefreshReleased();
    // A message for the user; a window shows it in a modal box with one OK button. The state it reports
    // is final before it is sent. It is sent from inside the operation machine's tick, so a window opens
    // the box through a queued connection: opened at once it would hold the machine's timer.
    void MessageRequested(zeph::device::MessageKind kind, const QString& text);

private:
    // The port's events.
    void ComPort1PortOpen();
    void ComPort1PortClose();
    void ComPort1ReceiveCallBack(const QByteArray& Data);
    void ComPort1HangUp();

    // link::FrameSink
    void SendFrame(int length) override;
    // device::OperationHost
    QString BuildSettingsPayload() override;
    QString BuildCounterPresetPayload() override;
    void ShowSettingsBlock(std::span<const std::uint8_t> payload, int requestCode) override;
    void ShowCounterStatus(std::span<const std::uint8_t> payload) override;
    void ReleaseContinuousRefresh() override;
    void ShowMessage(device::MessageKind kind, const QString& text) override;
    // Every request the session starts keeps the device's turnaround; only a back-to-back read relaxes it.
    void KeepTurnaround(Pace pace = Pace::Default);

    comport::TComPort* ComPort1;
    link::TransactionEngine* m_engine;
    device::OperationMachine* m_machine;
    bool m_portIsOpen = false;
    bool m_lost = false;
    SettingsSource m_settingsSource;
    PresetSource m_presetSource;
    device::Operation m_sending = device::Operation::ReadSettings;
};

} // namespace zeph::session
