// SPDX-License-Identifier: MIT
// The simulated device's TCP listener and its one client.
#include "sim/TcpTransport.h"

#include "sim/SimLogging.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zeph::sim {

namespace {

// "127.0.0.1:40123" or "[::1]:40123" for a socket's own or its peer's address.
QString NumericAddress(const sockaddr_storage& address, socklen_t length) {
    char host[NI_MAXHOST] = {};
    char port[NI_MAXSERV] = {};
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, port, sizeof port,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return QStringLiteral("?");
    const QString hostText = QString::fromLatin1(host);
    return (hostText.contains(QLatin1Char(':')) ? QLatin1Char('[') + hostText + QLatin1Char(']') : hostText) +
           QLatin1Char(':') + QString::fromLatin1(port);
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

} // namespace

TcpTransport::~TcpTransport() {
    CloseFd(m_clientFd);
    CloseFd(m_listeningFd);
}

bool TcpTransport::Listen(const QString& host, std::uint16_t port, QString* error) {
    const QString wanted = QStringLiteral("%1:%2").arg(host).arg(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int lookup =
        getaddrinfo(host.toLocal8Bit().constData(), QByteArray::number(port).constData(), &hints, &found);
    if (lookup != 0) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(wanted, QString::fromLocal8Bit(gai_strerror(lookup)));
        return false;
    }
    int lastErrno = 0;
    for (const addrinfo* candidate = found; candidate && m_listeningFd < 0; candidate = candidate->ai_next) {
        const int fd = ::socket(candidate->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            lastErrno = errno;
            continue;
        }
        // A device started again on the same port must not wait for the last run's connections to time out.
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd, candidate->ai_addr, candidate->ai_addrlen) == 0 && ::listen(fd, 1) == 0) {
            m_listeningFd = fd;
        } else {
            lastErrno = errno;
            ::close(fd);
        }
    }
    freeaddrinfo(found);
    if (m_listeningFd < 0) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(wanted, QString::fromLocal8Bit(std::strerror(lastErrno)));
        return false;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(m_listeningFd, reinterpret_cast<sockaddr*>(&bound), &length);
    m_address = NumericAddress(bound, length);
    qCDebug(lcSim).noquote() << "listening on" << m_address;
    return true;
}

bool TcpTransport::AcceptWaiting() {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int fd =
        ::accept4(m_listeningFd, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return false;
    if (m_clientFd >= 0) {
        qCDebug(lcSim).noquote() << "turned away" << NumericAddress(peer, length) << "while serving another";
        ::close(fd);
        return false;
    }
    // A paced answer leaves in small slices; each should go out when written, as on a line.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_clientFd = fd;
    qCDebug(lcSim).noquote() << "client" << NumericAddress(peer, length) << "connected";
    return true;
}

void TcpTransport::DropClient() {
    if (m_clientFd < 0) return;
    qCDebug(lcSim) << "client connection closed";
    CloseFd(m_clientFd);
}

ssize_t TcpTransport::Write(const char* data, std::size_t size) {
    return ::send(m_clientFd, data, size, MSG_NOSIGNAL);
}

} // namespace zeph::sim
