// SPDX-License-Identifier: MIT
// The notification protocol of systemd: one datagram a state on a local socket.
#include "gateway/SystemdNotifier.h"

#include "gateway/GatewayLogging.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace zeph::gateway {

SystemdNotifier::SystemdNotifier(QObject* parent)
    : QObject(parent)
    , m_socket(qgetenv("NOTIFY_SOCKET"))
    , m_watchdog(new QTimer(this)) {
    connect(m_watchdog, &QTimer::timeout, this, [this] { Send("WATCHDOG=1"); });
}

void SystemdNotifier::Ready() {
    Send("READY=1");
    bool ok = false;
    const qint64 intervalUs = qEnvironmentVariable("WATCHDOG_USEC").toLongLong(&ok);
    const QByteArray pid = qgetenv("WATCHDOG_PID");
    if (!ok || intervalUs <= 0 || (!pid.isEmpty() && pid.toLongLong() != QCoreApplication::applicationPid()))
        return;
    // Half the interval, so that one late beat is not yet a missed one.
    m_watchdog->start(int(std::max<qint64>(intervalUs / 2000, 1)));
    Send("WATCHDOG=1");
}

void SystemdNotifier::Stopping() {
    m_watchdog->stop();
    Send("STOPPING=1");
}

void SystemdNotifier::Status(const QString& text) {
    Send("STATUS=" + text.toUtf8());
}

bool SystemdNotifier::Send(const QByteArray& state) {
    if (m_socket.isEmpty()) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::size_t(m_socket.size()) >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, m_socket.constData(), std::size_t(m_socket.size()));
    if (address.sun_path[0] == '@') address.sun_path[0] = '\0'; // an abstract socket
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + std::size_t(m_socket.size()));
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // Never waits: a listener that does not read must not stop the service (its watchdog tells).
    const bool sent = ::sendto(fd, state.constData(), std::size_t(state.size()), MSG_NOSIGNAL | MSG_DONTWAIT,
                               reinterpret_cast<const sockaddr*>(&address), length) == state.size();
    ::close(fd);
    if (!sent && !std::exchange(m_failing, true)) qCWarning(lcGateway) << "systemd was not told" << state;
    if (sent) m_failing = false;
    return sent;
}

} // namespace zeph::gateway
