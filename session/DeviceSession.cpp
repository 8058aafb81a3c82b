// SPDX-License-Identifier: MIT
// The device session: the port's events, frames to the line and characters from it, the operations and
// the decoded answers.
#include "session/DeviceSession.h"

#include "comport/ComPort.h"
#include "device/OperationMachine.h"
#include "link/FrameCodec.h"

namespace zeph::session {

namespace {
// Every request of the operations goes to the device's address with the variant flag off.
constexpr int DeviceAddress = 15;
// Sends a transaction gets before it fails.
constexpr int Attempts = 10;
} // namespace

DeviceSession::DeviceSession(QObject* parent)
    : QObject(parent)
    , ComPort1(new comport::TComPort(this))
    , m_engine(new link::TransactionEngine(*this, this))
    , m_machine(new device::OperationMachine(*m_engine, *this, this)) {
    ComPort1->setObjectName(QStringLiteral("ComPort1"));
    ComPort1->Port = QStringLiteral("COM1");
    ComPort1->Baud = 19200;
    ComPort1->DataBits = 8;
    ComPort1->Parity = comport::ptNONE;
    ComPort1->StopBits = comport::sbONE;
    ComPort1->WinQSizeIn = 8192;
    ComPort1->WinQSizeOut = 8192;
    ComPort1->ReceiveMode = comport::rmRAW;
    ComPort1->SetTerminator(QStringLiteral("#13#10"));
    ComPort1->OnPortOpen = [this](comport::TComPort*) { ComPort1PortOpen(); };
    ComPort1->OnPortClose = [this](comport::TComPort*) { ComPort1PortClose(); };
    ComPort1->ReceiveCallBack = [this](const QByteArray& data) { ComPort1ReceiveCallBack(data); };
    ComPort1->OnHangUp = [this](comport::TComPort*) { ComPort1HangUp(); };

    m_engine->setObjectName(QStringLiteral("TransactionEngine"));
    m_engine->RetryLimit = Attempts;
    m_engine->ExtraTimeout = 0;
    m_machine->setObjectName(QStringLiteral("OperationMachine"));
    m_machine->PeripheralAddress = DeviceAddress;

    connect(m_engine, &link::TransactionEngine::AnswerJudged, this, &DeviceSession::AnswerJudged);
    connect(m_engine, &link::TransactionEngine::RetryStarted, this, &DeviceSession::RetryStarted);
    connect(m_machine, &device::OperationMachine::OperationStarted, this,
            [this](device::Operation operation) {
                m_sending = operation;
                emit OperationStarted(operation);
            });
    connect(m_machine, &device::OperationMachine::OperationFinished, this, &DeviceSession::OperationFinished);
}

DeviceSession::~DeviceSession() {
    // Nobody listens any more: close without calling back.
    ComPort1->OnPortClose = nullptr;
    ComPort1->OnHangUp = nullptr;
    ComPort1->ReceiveCallBack = nullptr;
    ComPort1->Close();
}

// ---- the port

bool DeviceSession::Open(const QString& port, QString* error, QString* reason) {
    ComPort1->Port = port;
    try {
        ComPort1->Open();
    } catch (const comport::EComError& failure) {
        if (error) *error = failure.Message();
        if (reason) *reason = failure.Reason();
        return false;
    }
    return true;
}

void DeviceSession::Close() {
    ComPort1->Close();
}

QString DeviceSession::PortName() const {
    return ComPort1->Port;
}

QString DeviceSession::LineSettings() const {
    static const char parity[] = {'N', 'O', 'E', 'M', 'S'};
    static const char* const stopBits[] = {"1", "1.5", "2"};
    return QStringLiteral("%1 %2%3%4")
        .arg(ComPort1->Baud)
        .arg(ComPort1->DataBits)
        .arg(QLatin1Char(parity[ComPort1->Parity]))
        .arg(QLatin1String(stopBits[ComPort1->StopBits]));
}

int DeviceSession::BackToBackTurnaroundUs() const {
    // A character is a start bit, the data bits, a parity bit when there is one, and the stop bits.
    const int stopBits = ComPort1->StopBits == comport::sbONE ? 1 : 2;
    const int bits = 1 + ComPort1->DataBits + (ComPort1->Parity == comport::ptNONE ? 0 : 1) + stopBits;
    const qint64 halfCharacterTimesUs = 7LL * bits * 1000000;
    const qint64 twice = 2LL * ComPort1->Baud;
    return int((halfCharacterTimesUs + twice - 1) / twice);
}

void DeviceSession::KeepTurnaround(Pace pace) {
    m_engine->MinimumTurnaroundUs = pace == Pace::BackToBack ? BackToBackTurnaroundUs() : DeviceTurnaroundUs;
}

void DeviceSession::ComPort1PortOpen() {
    m_portIsOpen = true;
    m_lost = false;
    emit PortOpened(ComPort1->Port);
    // The device's line driver follows the modem lines: DTR up, RTS down.
    ComPort1->SetDTR(true);
    ComPort1->SetRTS(false);
}

void DeviceSession::ComPort1PortClose() {
    ResetOperationState();
    m_portIsOpen = false;
    emit PortClosed(ComPort1->Port);
}

void DeviceSession::ComPort1HangUp() {
    if (m_lost) return;
    m_lost = true;
    const QString port = ComPort1->Port;
    // A line that hung up carries nothing any more. Closed as the user would close it, the operation
    // under way ends without its no-answer message, and the front end reports the loss instead.
    Close();
    emit PortLost(port);
}

// ---- the line

void DeviceSession::SendFrame(int length) {
    const QByteArray characters = link::EncodeFrame(m_engine->RequestFrame(length));
    // A failing write is not the sender's problem: the missing answer is handled by the time-out.
    try {
        ComPort1->Write(characters);
    } catch (...) {
        emit FrameNotSent();
        return;
    }
    emit FrameSent(characters, m_sending);
}

void DeviceSession::ComPort1ReceiveCallBack(const QByteArray& Data) {
    emit CharactersReceived(Data);
    if (!Data.isEmpty()) m_engine->ReceiveCharacters(Data);
}

bool DeviceSession::AwaitingAnswer() const {
    return m_engine->EngineState() != link::EngineIdle;
}

// ---- operations

void DeviceSession::ReadSettings() {
    KeepTurnaround();
    m_machine->Start(device::Operation::ReadSettings);
}

void DeviceSession::ReadFactoryDefaults() {
    KeepTurnaround();
    m_machine->Start(device::Operation::ReadFactoryDefaults);
}

void DeviceSession::WriteSettings(SettingsSource source) {
    m_settingsSource = std::move(source);
    KeepTurnaround();
    m_machine->Start(device::Operation::WriteSettings);
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
    if (!m_machine->StartWhenIdle(device::Operation::PresetCounters)) return false;
    // The payload is built at the machine's next tick, from the source as it stands then.
    m_presetSource = std::move(source);
    return true;
}

bool DeviceSession::PresetCounters(const counters::PresetSelection& selection) {
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

void DeviceSession::ResetOperationState() {
    m_machine->ResetOperationState();
}

void DeviceSession::SetMessageTexts(const QString& noAnswerText, const QString& wrongDeviceText) {
    m_machine->NoAnswerText = noAnswerText;
    m_machine->WrongDeviceText = wrongDeviceText;
}

int DeviceSession::PeripheralAddress() const {
    return m_machine->PeripheralAddress;
}

// ---- what the machine asks of its host

QString DeviceSession::BuildSettingsPayload() {
    return device::SettingsWritePayload(m_settingsSource ? m_settingsSource() : device::SettingsBlock{});
}

QString DeviceSession::BuildCounterPresetPayload() {
    return counters::CounterPresetPayload(m_presetSource ? m_presetSource() : counters::PresetSelection{});
}

void DeviceSession::ShowSettingsBlock(std::span<const std::uint8_t> payload, int requestCode) {
    emit SettingsDecoded(device::DecodeSettingsAnswer(payload, requestCode));
}

void DeviceSession::ShowCounterStatus(std::span<const std::uint8_t> payload) {
    emit CounterReportDecoded(counters::DecodeCounterStatusReport(payload));
}

void DeviceSession::ReleaseContinuousRefresh() {
    emit ContinuousRefreshReleased();
}

void DeviceSession::ShowMessage(device::MessageKind kind, const QString& text) {
    emit MessageRequested(kind, text);
}

} // namespace zeph::session
