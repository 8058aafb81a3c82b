// SPDX-License-Identifier: MIT
// The device session: the line's events, frames to the line and characters from it, the operations and
// their results.
#include "session/DeviceSession.h"

#include "device/OperationMachine.h"
#include "session/LineFactory.h"
#include "session/SessionLogging.h"

#include <algorithm>

namespace zeph::session {

DeviceSession::DeviceSession(QObject* parent)
    : DeviceSession([](const QString& port) { return CreateLine(port); }, link::SystemClock(), parent) {}

DeviceSession::DeviceSession(LineFactory factory, link::Clock& clock, QObject* parent)
    : QObject(parent)
    , m_factory(std::move(factory))
    , m_clock(clock)
    , m_engine(new link::TransactionEngine(*this, clock, this))
    , m_machine(new device::OperationMachine(*m_engine, clock, this)) {
    m_engine->setObjectName(QStringLiteral("TransactionEngine"));
    m_engine->SetRetryLimit(Attempts);
    m_machine->setObjectName(QStringLiteral("OperationMachine"));
    m_machine->SetPeripheralAddress(DeviceAddress);
    Wire();
}

void DeviceSession::Wire() {
    connect(m_engine, &link::TransactionEngine::AnswerJudged, this,
            [this](link::AnswerVerdict verdict, const link::Bytes& examined, int attempt) {
                if (verdict == link::AnswerVerdict::TimedOut && m_line) m_line->AnswerTimedOut();
                emit AnswerJudged(verdict, examined, attempt);
            });
    connect(m_engine, &link::TransactionEngine::RetryStarted, this, &DeviceSession::RetryStarted);
    connect(m_machine, &device::OperationMachine::OperationStarted, this,
            [this](device::Operation operation) {
                m_sending = operation;
                emit OperationStarted(operation);
            });
    connect(m_machine, &device::OperationMachine::OperationFinished, this, &DeviceSession::OperationFinished);
    connect(m_machine, &device::OperationMachine::JobFinished, this, &DeviceSession::JobFinished);
}

DeviceSession::~DeviceSession() {
    // Nobody listens any more: close without telling anyone.
    if (m_line) {
        m_line->disconnect(this);
        m_line->Close();
    }
}

void DeviceSession::ReplaceLine(std::unique_ptr<line::Line> line) {
    delete m_line;
    m_line = line.release();
    if (m_line) m_line->setParent(this);
}

// ---- the line

bool DeviceSession::Open(const QString& port, line::LineError* error) {
    if (m_portIsOpen) return true;
    ReplaceLine(m_factory(port));
    if (!m_line->Open()) {
        if (error) *error = m_line->Error();
        qCDebug(lcSession).noquote() << "cannot open" << port << "-" << m_line->Error().text;
        return false;
    }
    connect(m_line, &line::Line::Received, this, [this](const QByteArray& characters) {
        emit CharactersReceived(characters);
        m_engine->ReceiveCharacters(characters);
    });
    connect(m_line, &line::Line::HungUp, this, &DeviceSession::LineHungUp);
    connect(m_line, &line::Line::Notice, this, &DeviceSession::LineNotice);
    // Over a network, gaps between characters mean nothing: a resend waits for a line quiet for as long as
    // the network may hold characters back.
    const int allowanceMs = m_line->AllowanceMs();
    m_engine->SetLineAllowanceMs(allowanceMs);
    m_engine->SetQuietLineMs(std::max(link::TransactionEngine::DefaultQuietLineMs, allowanceMs));
    m_portName = port;
    m_portIsOpen = true;
    emit PortOpened(port);
    return true;
}

void DeviceSession::Close() {
    if (!m_portIsOpen) return;
    m_line->disconnect(this);
    m_line->Close();
    ResetOperationState();
    m_portIsOpen = false;
    emit PortClosed(m_portName);
}

void DeviceSession::LineHungUp() {
    // A line that hung up carries nothing any more. Closed as the user would close it, the operation
    // under way ends as abandoned, and the front end reports the loss instead of a missing answer.
    const QString port = m_portName;
    Close();
    emit PortLost(port);
}

QString DeviceSession::LineSettings() const {
    return m_line ? m_line->Settings() : QStringLiteral("19200 8N1");
}

int DeviceSession::BackToBackTurnaroundUs() const {
    // 19200 8N1 until a line is open: ten bits of 52 083 ns.
    const qint64 characterNs = m_line ? m_line->CharacterTimeNs() : 520833;
    return int((7 * characterNs + 1999) / 2000);
}

void DeviceSession::SendFrame(std::span<const std::uint8_t> frame) {
    const QByteArray characters = link::EncodeFrame(frame);
    if (!m_line) {
        emit FrameNotSent();
        return;
    }
    // Told before the request goes, so that no character of the answer comes before the line knows of it.
    const int answerCharacters = 2 * (m_engine->Request().expectedLength + 4);
    m_line->ExpectAnswer(answerCharacters, m_clock.NowUs() + qint64(m_engine->TimeoutMs()) * 1000);
    // A failing write is not the sender's problem: the missing answer is handled by the time-out.
    if (!m_line->Write(characters)) {
        emit FrameNotSent();
        return;
    }
    emit FrameSent(characters, m_sending);
}

// ---- operations

void DeviceSession::KeepTurnaround(Pace pace) {
    m_engine->SetMinimumTurnaroundUs(pace == Pace::BackToBack ? BackToBackTurnaroundUs()
                                                              : DeviceTurnaroundUs);
}

void DeviceSession::ReadSettings() {
    KeepTurnaround();
    m_machine->Start(device::Operation::ReadSettings);
}

void DeviceSession::ReadFactoryDefaults() {
    KeepTurnaround();
    m_machine->Start(device::Operation::ReadFactoryDefaults);
}

void DeviceSession::WriteSettings(SettingsSource source) {
    KeepTurnaround();
    m_machine->Start(device::Operation::WriteSettings,
                     [source = std::move(source)] { return device::RequestData(source()); });
}

void DeviceSession::WriteSettings(const device::SettingsBlock& block) {
    WriteSettings([block] { return block; });
}

bool DeviceSession::RefreshCounters(Pace pace) {
    if (!IsIdle()) return false;
    KeepTurnaround(pace);
    return m_machine->StartWhenIdle(device::Operation::ReadCounters);
}

bool DeviceSession::ClearErrors() {
    if (!IsIdle()) return false;
    KeepTurnaround();
    return m_machine->StartWhenIdle(device::Operation::ClearErrors);
}

bool DeviceSession::PresetCounters(PresetSource source) {
    if (!IsIdle()) return false;
    KeepTurnaround();
    return m_machine->StartWhenIdle(device::Operation::PresetCounters,
                                    [source = std::move(source)] { return device::RequestData(source()); });
}

bool DeviceSession::PresetCounters(const device::PresetSelection& selection) {
    return PresetCounters([selection] { return selection; });
}

bool DeviceSession::FirstInitialization() {
    if (!IsIdle()) return false;
    KeepTurnaround();
    return m_machine->StartWhenIdle(device::Operation::FirstInitialization);
}

bool DeviceSession::IsIdle() const {
    return m_machine->IsIdle();
}

bool DeviceSession::IsQuiet() const {
    return m_machine->IsQuiet();
}

void DeviceSession::ResetOperationState() {
    m_machine->ResetOperationState();
}

} // namespace zeph::session
