// SPDX-License-Identifier: MIT
// The simulated device's network end: a listening TCP socket and the one client it serves. Plain POSIX
// sockets, so that the device's service thread polls them beside its wake-up descriptor as it polls a
// pseudo-terminal, and the simulator needs no event loop of its own.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace zeph::sim {

class TcpTransport {
public:
    TcpTransport() = default;
    ~TcpTransport();
    TcpTransport(const TcpTransport&) = delete;
    TcpTransport& operator=(const TcpTransport&) = delete;

    // Listens on host:port, port 0 for a free one the system picks; false with a reason when the address
    // cannot be had.
    bool Listen(const QString& host, std::uint16_t port, QString* error);
    // Where it listens, the port resolved: "127.0.0.1:40123", "[::1]:40123".
    QString Address() const { return m_address; }

    int ListeningFd() const { return m_listeningFd; }
    // The connected client's socket; -1 while nobody is connected.
    int ClientFd() const { return m_clientFd; }

    // Takes a waiting connection as the client when there is none; a second one is turned away (closed at
    // once) so that it cannot disturb the first. True when a new client was taken.
    bool AcceptWaiting();
    // Closes the client's connection: it left, or the device hangs up on it.
    void DropClient();
    // As ::write on the client's socket, without SIGPIPE when the client has gone.
    ssize_t Write(const char* data, std::size_t size);

private:
    int m_listeningFd = -1;
    int m_clientFd = -1;
    QString m_address;
};

} // namespace zeph::sim
