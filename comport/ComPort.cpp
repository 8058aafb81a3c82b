// SPDX-License-Identifier: MIT
// The serial port component's behaviour that does not depend on the operating system: opening and
// closing order, events, receive modes and the terminator's text form.
#include "comport/ComPort.h"
#include "comport/CommThread.h"
#include "comport/ComPortLogging.h"

#include <QCoreApplication>

namespace zeph::comport {

namespace {

QString IllegalTerminatorText() {
    return QStringLiteral(
        "Illegal terminator string.\rformat : #<asciicode>#<asciicode>#<...>\rexample: #13#10");
}

} // namespace

EComError::EComError(const QString& message, const QString& reason)
    : std::runtime_error(message.toStdString())
    , m_message(message)
    , m_reason(reason) {}

TComPort::TComPort(QObject* parent)
    : QObject(parent) {}

TComPort::~TComPort() {
    // The owner may be half destroyed by now (a parent deletes its children last), so no events.
    OnPortClose = nullptr;
    ReceiveCallBack = nullptr;
    Close();
}

QString TComPort::GetTerminator() const {
    QString text;
    for (const char character : m_terminator)
        text += QLatin1Char('#') + QString::number(quint8(character));
    return text;
}

void TComPort::SetTerminator(const QString& text) {
    m_terminator.clear();
    // The first character is the leading "#", whatever it actually is.
    QString rest = text.mid(1);
    while (!rest.isEmpty()) {
        const qsizetype hash = rest.indexOf(QLatin1Char('#'));
        const QString part = hash < 0 ? rest : rest.left(hash);
        rest = hash < 0 ? QString() : rest.mid(hash + 1);
        bool ok = false;
        const int code = part.toInt(&ok, 10);
        if (!ok) {
            m_terminator = QByteArrayLiteral("\r\n");
            throw EComError(IllegalTerminatorText());
        }
        m_terminator.append(char(code & 0xFF));
    }
    if (m_terminator.isEmpty()) throw EComError(QStringLiteral("Terminator string cannot be empty!"));
}

void TComPort::Open() {
    if (m_open) return;
    auto thread = std::make_shared<TCommThread>(Port, CheckHoldersBeforeOpen);
    if (!thread->IsOpen()) {
        qCDebug(lcComPort).noquote() << "cannot open" << Port << "-" << thread->ErrorText();
        throw EComError(QCoreApplication::translate("Port", "TCOMPORT : cannot open %1").arg(Port) +
                            QLatin1Char('\r') + thread->ErrorText(),
                        thread->ErrorText());
    }

    thread->SetHandlers([this](int count) { HandleData(count); },
                        [this](quint32 mask, quint32 status) { HandleStatus(mask, status); });
    thread->SetParams(Baud, DataBits, Parity, StopBits);
    // Linux sizes its driver queues itself; WinQSizeIn and WinQSizeOut have nothing to set here.
    m_thread = thread;
    // A partial message of an earlier session must not prefix the first message of this one.
    m_accumulator.clear();
    m_open = true;
    qCDebug(lcComPort).noquote() << "opened" << Port << "at" << Baud << "baud";
    thread->Start(this);
    if (OnPortOpen) OnPortOpen(this);
}

void TComPort::Close() {
    if (!m_open) return;
    m_open = false;
    // Held locally: Close may run inside a handler that the thread's own Dispatch called.
    const std::shared_ptr<TCommThread> thread = std::move(m_thread);
    thread->Unhook();
    thread->Stop();
    qCDebug(lcComPort).noquote() << "closed" << Port;
    if (OnPortClose) OnPortClose(this);
}

void TComPort::Write(const QByteArray& data) {
    if (m_open) m_thread->Write(data);
}

void TComPort::ExpectAnswer(int characters, long long deadlineNs) {
    if (m_open) m_thread->Expect(characters, deadlineNs);
}

void TComPort::SetDTR(bool on) {
    if (m_open) m_thread->SetDTR(on);
}

void TComPort::SetRTS(bool on) {
    if (m_open) m_thread->SetRTS(on);
}

void TComPort::HandleData(int count) {
    QByteArray data;
    if (count > 0 && m_thread) {
        data.resize(count);
        // Only what was actually read is delivered, never the unread tail of the buffer.
        data.resize(m_thread->Read(data.data(), count));
    }
    if (!m_open || !ReceiveCallBack) return;

    if (ReceiveMode == rmRAW) {
        ReceiveCallBack(data);
        return;
    }
    // With no terminator nothing could ever end a message; keeping the characters would only grow.
    if (m_terminator.isEmpty()) return;
    m_accumulator.append(data);
    const qsizetype end = m_accumulator.indexOf(m_terminator);
    if (end < 0) return;
    const QByteArray message = m_accumulator.left(end + m_terminator.size());
    m_accumulator.remove(0, message.size());
    ReceiveCallBack(message);
}

void TComPort::HandleStatus(quint32 mask, quint32 status) {
    // The status was sampled before the change, so a clear bit means the line has just come on.
    if ((mask & EvCts) && OnCTSChanged) OnCTSChanged((status & MsCtsOn) == 0);
    if ((mask & EvDsr) && OnDSRChanged) OnDSRChanged((status & MsDsrOn) == 0);
    if ((mask & EvRlsd) && OnRLSDChanged) OnRLSDChanged((status & MsRlsdOn) == 0);
    if ((mask & EvRing) && OnRingChanged) OnRingChanged((status & MsRingOn) == 0);
    if ((mask & EvErr) && OnError) OnError(this);
    if (mask & EvHangUp) {
        qCDebug(lcComPort).noquote() << "hang-up on" << Port;
        if (m_open && OnHangUp) OnHangUp(this);
    }
}

} // namespace zeph::comport
