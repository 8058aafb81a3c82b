// SPDX-License-Identifier: MIT
// The TCP connection on Linux: a name looked up in a thread of its own (a resolver that never answers
// costs no more than the time limit), a non-blocking connect waited for with poll, and reads and writes
// that never wait.
#include "network/TcpSocket.h"

#include <QCoreApplication>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zeph::network {

namespace {

using Clock = std::chrono::steady_clock;

// The addresses of a host, and how the lookup went (getaddrinfo's status).
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int status = 0;
    addrinfo* addresses = nullptr;
    ~Lookup() {
        if (addresses) ::freeaddrinfo(addresses);
    }
};

// An address written out is taken at once; a name goes to the resolver in a thread that may outlive the
// wait (it owns its share of the result). Nothing when the time ran out.
std::shared_ptr<Lookup> Resolve(const QString& host, quint16 port, Clock::time_point deadline) {
    auto lookup = std::make_shared<Lookup>();
    const QByteArray name = host.toUtf8();
    const QByteArray service = QByteArray::number(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_NUMERICHOST;
    lookup->status = ::getaddrinfo(name.constData(), service.constData(), &hints, &lookup->addresses);
    if (lookup->status != EAI_NONAME) return lookup;
    lookup->addresses = nullptr;
    hints.ai_flags = AI_NUMERICSERV;
    auto pending = std::make_shared<Lookup>();
    std::thread([pending, name, service, hints] {
        addrinfo* found = nullptr;
        const int status = ::getaddrinfo(name.constData(), service.constData(), &hints, &found);
        const std::lock_guard lock(pending->mutex);
        pending->status = status;
        pending->addresses = found;
        pending->finished = true;
        pending->done.notify_all();
    }).detach();
    std::unique_lock lock(pending->mutex);
    if (!pending->done.wait_until(lock, deadline, [&] { return pending->finished; })) return nullptr;
    return pending;
}

int MsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// poll() for one descriptor, begun again when a signal cut it short.
int PollFor(int fd, short events, int ms) {
    pollfd watched{fd, events, 0};
    int ready;
    while ((ready = ::poll(&watched, 1, ms)) < 0 && errno == EINTR) {
    }
    return ready;
}

QString SystemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A request must not wait for more to send: Nagle's algorithm would hold it up to 40 ms and more. A dead
// server or cable is noticed while the line is idle: probes after 10 s of silence, every 5 s, three of
// them unanswered end the connection.
void SetOptions(int fd) {
    const int on = 1, idle = 10, interval = 5, count = 3;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

} // namespace

TcpSocket::ConnectResult TcpSocket::Connect(const QString& host, quint16 port, int timeoutMs) {
    Close();
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::shared_ptr<Lookup> lookup = Resolve(host, port, deadline);
    if (!lookup) return ConnectResult::TimedOut;
    if (lookup->status != 0) {
        m_error = lookup->status == EAI_NONAME ? QCoreApplication::translate("NetworkLine", "Host not found")
                                               : QString::fromLocal8Bit(::gai_strerror(lookup->status));
        return ConnectResult::Failed;
    }
    for (const addrinfo* address = lookup->addresses; address; address = address->ai_next) {
        const int fd = ::socket(address->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            m_error = SystemText(errno);
            continue;
        }
        int error = ::connect(fd, address->ai_addr, address->ai_addrlen) == 0 ? 0 : errno;
        if (error == EINPROGRESS) {
            const int ready = PollFor(fd, POLLOUT, MsUntil(deadline));
            if (ready == 0) {
                ::close(fd);
                return ConnectResult::TimedOut;
            }
            socklen_t length = sizeof error;
            if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
        }
        if (error == 0) {
            SetOptions(fd);
            m_fd = fd;
            m_broken = false;
            m_error.clear();
            return ConnectResult::Connected;
        }
        ::close(fd);
        m_error = SystemText(error);
        if (Clock::now() >= deadline) return ConnectResult::TimedOut;
    }
    return ConnectResult::Failed;
}

void TcpSocket::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_broken = false;
    m_waiting.clear();
}

bool TcpSocket::Broken(const QString& reason) {
    m_broken = true;
    m_error = reason;
    return false;
}

TcpSocket::ReadResult TcpSocket::ReadAvailable(QByteArray& into) {
    if (!IsConnected()) return ReadResult::Closed;
    const qsizetype before = into.size();
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            into.append(buffer, got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        // What came before the end is still the caller's.
        Broken(got == 0 ? QCoreApplication::translate("NetworkLine", "The remote host closed the connection")
                        : SystemText(errno));
        return ReadResult::Closed;
    }
    return into.size() > before ? ReadResult::Data : ReadResult::Nothing;
}

bool TcpSocket::WaitReadable(int ms) const {
    if (m_fd < 0) return false;
    return PollFor(m_fd, POLLIN, ms) > 0;
}

bool TcpSocket::Send(const QByteArray& bytes) {
    if (!IsConnected()) return false;
    m_waiting += bytes;
    return SendWaiting();
}

bool TcpSocket::SendWaiting() {
    while (!m_waiting.isEmpty()) {
        const ssize_t sent = ::send(m_fd, m_waiting.constData(), size_t(m_waiting.size()), MSG_NOSIGNAL);
        if (sent > 0) {
            m_waiting.remove(0, sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        return Broken(SystemText(errno));
    }
    return true;
}

bool TcpSocket::Flush(int ms) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (IsConnected() && HasWaiting()) {
        if (PollFor(m_fd, POLLOUT, MsUntil(deadline)) == 0) return false;
        if (!SendWaiting()) return false;
    }
    return IsConnected();
}

} // namespace zeph::network
