// SPDX-License-Identifier: MIT
// A TCP connection on the system's own sockets: made within a time limit, then read and written without
// blocking. The network line needs no more, and a program that only ever opens a serial port then loads
// no network library at start.
#pragma once

#include <QByteArray>
#include <QString>

namespace zeph::network {

class TcpSocket {
public:
    enum class ConnectResult {
        Connected,
        TimedOut, // no answer within the time limit (a name lookup included)
        Failed,   // the reason is in Error()
    };
    enum class ReadResult {
        Data,    // bytes were added
        Nothing, // nothing waiting
        Closed,  // the far end closed, or the connection broke (the reason is in Error())
    };

    TcpSocket() = default;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;
    ~TcpSocket() { Close(); }

    // Connects to a host name, an IPv4 or an IPv6 address, trying each address the name has until one
    // answers, all within timeoutMs. The connection sends small writes at once (no Nagle delay) and probes
    // an idle far end.
    ConnectResult Connect(const QString& host, quint16 port, int timeoutMs);
    void Close();
    bool IsConnected() const { return m_fd >= 0 && !m_broken; }
    int Descriptor() const { return m_fd; }

    // Takes every byte that is waiting.
    ReadResult ReadAvailable(QByteArray& into);
    // Waits at most ms for something to read (or for the end of the connection).
    bool WaitReadable(int ms) const;
    // Hands the bytes to the system; what it cannot take now waits for SendWaiting. False (the reason in
    // Error()) when the connection is broken.
    bool Send(const QByteArray& bytes);
    bool SendWaiting();
    bool HasWaiting() const { return !m_waiting.isEmpty(); }
    // Waits at most ms until everything waiting is sent.
    bool Flush(int ms);

    QString Error() const { return m_error; }

private:
    bool Broken(const QString& reason);

    int m_fd = -1;
    bool m_broken = false;
    QByteArray m_waiting;
    QString m_error;
};

} // namespace zeph::network
