// SPDX-License-Identifier: MIT
// The serial port component: opens one port, writes to it, switches DTR and RTS, and delivers received
// characters and modem-line changes as events on the thread that owns it.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

namespace zeph::comport {

enum TParity { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TStopBit { sbONE, sbONE5, snTWO };
enum TReceiveMode { rmRAW, rmTERM };

// Port events, as bits of the event mask that the receive thread hands to HandleStatus.
constexpr quint32 EvRxChar = 0x0001;
constexpr quint32 EvCts = 0x0008;
constexpr quint32 EvDsr = 0x0010;
constexpr quint32 EvRlsd = 0x0020;
constexpr quint32 EvErr = 0x0080;
constexpr quint32 EvRing = 0x0100;
// Not a line event of its own: the other end hung up (a USB adapter pulled out, a pseudo-terminal's
// device end closed). Delivered once; the port stays open but carries nothing any more.
constexpr quint32 EvHangUp = 0x10000;

// Modem-line states, as bits of the modem status sampled when the wait for an event began.
constexpr quint32 MsCtsOn = 0x0010;
constexpr quint32 MsDsrOn = 0x0020;
constexpr quint32 MsRingOn = 0x0040;
constexpr quint32 MsRlsdOn = 0x0080;

class EComError : public std::runtime_error {
public:
    explicit EComError(const QString& message, const QString& reason = {});
    QString Message() const { return m_message; }
    // For an open failure, the reason alone ("No such file or directory"); empty otherwise.
    QString Reason() const { return m_reason; }

private:
    QString m_message;
    QString m_reason;
};

class TCommThread;

class TComPort : public QObject {
    Q_OBJECT

public:
    explicit TComPort(QObject* parent = nullptr);
    ~TComPort() override;

    QString Port = QStringLiteral("COM1");
    int Baud = 9600;
    quint8 DataBits = 8;
    TParity Parity = ptNONE;
    TStopBit StopBits = sbONE;
    int WinQSizeIn = 8192;
    int WinQSizeOut = 8192;
    TReceiveMode ReceiveMode = rmTERM;
    // Our own: look for other programs holding the port (walking every process's descriptors) before the
    // open, so that one holding it without a lock is not disturbed; off, only a failed open looks.
    bool CheckHoldersBeforeOpen = true;

    // The terminator in text form: "#" and the decimal code of each character ("#13#10").
    QString GetTerminator() const;
    void SetTerminator(const QString& text);

    std::function<void(TComPort*)> OnPortOpen;
    std::function<void(TComPort*)> OnPortClose;
    std::function<void(TComPort*)> OnError;
    std::function<void(const QByteArray& Data)> ReceiveCallBack;
    std::function<void(bool Status)> OnCTSChanged;
    std::function<void(bool Status)> OnDSRChanged;
    std::function<void(bool Status)> OnRingChanged;
    std::function<void(bool Status)> OnRLSDChanged;
    // The other end hung up while the port was open; raised once per open.
    std::function<void(TComPort*)> OnHangUp;

    void Open();
    void Close();
    void Write(const QByteArray& data);
    void SetDTR(bool on);
    void SetRTS(bool on);
    bool IsOpen() const { return m_open; }
    // A hint for the receive thread: an answer of this many characters is due by deadlineNs on the
    // monotonic clock, so it can be handed over in one piece.
    void ExpectAnswer(int characters, long long deadlineNs);

    // The receive thread's two handlers; they run on the owning thread.
    void HandleData(int count);
    void HandleStatus(quint32 mask, quint32 status);

private:
    bool m_open = false;
    std::shared_ptr<TCommThread> m_thread;
    QByteArray m_terminator = QByteArrayLiteral("\r\n");
    QByteArray m_accumulator;
};

} // namespace zeph::comport
