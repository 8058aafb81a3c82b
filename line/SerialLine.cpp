// SPDX-License-Identifier: MIT
// The serial line: the serial port component configured for the device, its events as the line's.
#include "line/SerialLine.h"

#include "comport/ComPort.h"

namespace zeph::line {

SerialLine::SerialLine(const QString& path, bool checkHolders, QObject* parent)
    : Line(parent)
    , m_port(new comport::TComPort(this)) {
    m_port->setObjectName(QStringLiteral("ComPort1"));
    m_port->CheckHoldersBeforeOpen = checkHolders;
    m_port->Port = path;
    m_port->Baud = 19200;
    m_port->DataBits = 8;
    m_port->Parity = comport::ptNONE;
    m_port->StopBits = comport::sbONE;
    m_port->WinQSizeIn = 8192;
    m_port->WinQSizeOut = 8192;
    m_port->ReceiveMode = comport::rmRAW;
    m_port->ReceiveCallBack = [this](const QByteArray& characters) {
        if (!characters.isEmpty()) emit Received(characters);
    };
    m_port->OnHangUp = [this](comport::TComPort*) { emit HungUp(); };
}

SerialLine::~SerialLine() {
    // Nobody listens any more: close without calling back.
    m_port->ReceiveCallBack = nullptr;
    m_port->OnHangUp = nullptr;
    m_port->Close();
}

bool SerialLine::Open() {
    ClearError();
    try {
        m_port->Open();
    } catch (const comport::EComError& failure) {
        return Fail(LineError::Kind::CannotOpen, failure.Reason());
    }
    // The device's line driver follows the modem lines: DTR up, RTS down.
    m_port->SetDTR(true);
    m_port->SetRTS(false);
    return true;
}

void SerialLine::Close() {
    m_port->Close();
}

bool SerialLine::IsOpen() const {
    return m_port->IsOpen();
}

bool SerialLine::Write(const QByteArray& characters) {
    if (!m_port->IsOpen()) return Fail(LineError::Kind::WriteFailed, QStringLiteral("the port is closed"));
    try {
        m_port->Write(characters);
    } catch (const std::exception& failure) {
        return Fail(LineError::Kind::WriteFailed, QString::fromLocal8Bit(failure.what()));
    }
    return true;
}

QString SerialLine::Name() const {
    return m_port->Port;
}

QString SerialLine::Settings() const {
    static const char parity[] = {'N', 'O', 'E', 'M', 'S'};
    static const char* const stopBits[] = {"1", "1.5", "2"};
    return QStringLiteral("%1 %2%3%4")
        .arg(m_port->Baud)
        .arg(m_port->DataBits)
        .arg(QLatin1Char(parity[m_port->Parity]))
        .arg(QLatin1String(stopBits[m_port->StopBits]));
}

void SerialLine::ExpectAnswer(int characters, qint64 deadlineUs) {
    // The session's clock and the receive thread's are both the monotonic clock.
    m_port->ExpectAnswer(characters, deadlineUs * 1000);
}

int SerialLine::CharacterTimeNs() const {
    // A start bit, the data bits, a parity bit when there is one, and the stop bits.
    const int bits = 1 + m_port->DataBits + (m_port->Parity == comport::ptNONE ? 0 : 1) +
                     (m_port->StopBits == comport::sbONE ? 1 : 2);
    return int((qint64(bits) * 1000000000 + m_port->Baud / 2) / m_port->Baud);
}

} // namespace zeph::line
