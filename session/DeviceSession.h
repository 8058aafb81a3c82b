// SPDX-License-Identifier: MIT
// The device session: one line to the device with the transaction engine and the operation machine on
// it. It opens and closes the line, starts the device's operations and reports what happens on the line
// and, once per operation, its result. The window, the command-line tool and the tools are views over
// it; it knows no widget and words no message.
#pragma once

#include "device/DevicePayloads.h"
#include "device/OperationCatalogue.h"
#include "device/OperationResult.h"
#include "device/SettingsBlock.h"
#include "link/Clock.h"
#include "link/FrameCodec.h"
#include "link/TransactionEngine.h"
#include "session/LineFactory.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace zeph::device {
class OperationMachine;
}

namespace zeph::session {

class DeviceSession : public QObject, private link::FrameSink {
    Q_OBJECT
public:
    using SettingsSource = std::function<device::SettingsBlock()>;
    using PresetSource = std::function<device::PresetSelection()>;

    // How soon a counter read may follow the device's last character. Every request waits at least
    // DeviceTurnaroundUs after it, as the original's 20 ms operation tick left a device; a back-to-back
    // read may come as close as three and a half character times, the line's own least gap between frames.
    enum class Pace { Default, BackToBack };
    static constexpr int DeviceTurnaroundUs = 20000;
    // Every request goes to the device's address, and gets this many sends before it fails.
    static constexpr int DeviceAddress = 15;
    static constexpr int Attempts = 10;

    explicit DeviceSession(QObject* parent = nullptr);
    // With lines from factory and time from clock: a test's in-memory line and hand-moved clock.
    DeviceSession(LineFactory factory, link::Clock& clock, QObject* parent = nullptr);
    ~DeviceSession() override;

    // ---- the line
    // Opens the line a port text names; false with the error when it cannot be opened.
    bool Open(const QString& port, line::LineError* error = nullptr);
    // Closes the line; an operation under way ends as abandoned.
    void Close();
    bool PortIsOpen() const { return m_portIsOpen; }
    QString PortName() const { return m_portName; }
    // The line settings as a technician writes them: "19200 8N1".
    QString LineSettings() const;
    // The least gap a back-to-back read keeps after the device's last character: 3.5 character times.
    int BackToBackTurnaroundUs() const;

    // ---- operations. Each starts as soon as the event loop runs and ends in one OperationFinished.
    // The reads and the write replace whatever is under way.
    void ReadSettings();
    void ReadFactoryDefaults();
    // The source is asked for the settings when the request goes out, so it sees them as they are then.
    void WriteSettings(SettingsSource source);
    void WriteSettings(const device::SettingsBlock& block);
    // These start only when the session is idle (or a failure has just been reported) and say whether
    // they did.
    bool RefreshCounters(Pace pace = Pace::Default);
    bool ClearErrors();
    bool PresetCounters(PresetSource source);
    bool PresetCounters(const device::PresetSelection& selection);
    // First initialization, then a read of the settings, then a read of the counters: each ends in its
    // OperationFinished, the whole in JobFinished.
    bool FirstInitialization();
    bool IsIdle() const;
    // Nothing under way at all: no operation asked for or awaiting its answer, no first-initialization job.
    bool IsQuiet() const;
    // Everything back to idle; an operation under way ends as abandoned.
    void ResetOperationState();
    // Whether a request is out and its answer not yet judged: characters arriving otherwise are unsolicited.
    bool AwaitingAnswer() const { return m_engine->IsAwaitingAnswer(); }

signals:
    // ---- the line
    void PortOpened(const QString& port);
    void PortClosed(const QString& port);
    // The other end hung up while the line was open (an adapter pulled out, the simulator gone); reported
    // once. The session has already closed the line: PortClosed came first, and the operation under way
    // ended as abandoned.
    void PortLost(const QString& port);
    // The line has something to say that leaves it usable (a serial server that did not take one of the
    // far port's settings); at most once per open.
    void LineNotice(const QString& text);
    // A request frame written to the line, as its line characters, for the operation that sent it.
    void FrameSent(const QByteArray& lineCharacters, zeph::device::Operation operation);
    // Writing a request frame failed; its answer will time out.
    void FrameNotSent();
    // A stretch of characters from the line, as it came.
    void CharactersReceived(const QByteArray& characters);
    // The engine's judgement of one attempt, and its retries.
    void AnswerJudged(zeph::link::AnswerVerdict verdict, const zeph::link::Bytes& examined, int attempt);
    void RetryStarted(int attempt, int limit);

    // ---- the operations
    void OperationStarted(zeph::device::Operation operation);
    // The operation's result. The session's state is final before it is sent, and it is sent from the
    // event loop, never from inside the line's hand-over.
    void OperationFinished(const zeph::device::OperationResult& result);
    void JobFinished(const zeph::device::JobResult& result);

private:
    void Wire();
    void ReplaceLine(std::unique_ptr<line::Line> line);
    void LineHungUp();
    // link::FrameSink
    void SendFrame(std::span<const std::uint8_t> frame) override;
    // Every request the session starts keeps the device's turnaround; only a back-to-back read relaxes it.
    void KeepTurnaround(Pace pace = Pace::Default);

    LineFactory m_factory;
    link::Clock& m_clock;
    // The line of the latest open, a child of the session until the next open replaces it.
    line::Line* m_line = nullptr;
    link::TransactionEngine* m_engine;
    device::OperationMachine* m_machine;
    QString m_portName;
    bool m_portIsOpen = false;
    device::Operation m_sending = device::Operation::ReadSettings;
};

} // namespace zeph::session
