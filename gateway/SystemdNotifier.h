// SPDX-License-Identifier: MIT
// Telling systemd how the service is: READY=1 once it runs, WATCHDOG=1 at half the watchdog's interval
// while the event loop turns, STOPPING=1 at the end; nothing when no NOTIFY_SOCKET was given.
#pragma once

#include <QByteArray>
#include <QObject>

class QTimer;

namespace zeph::gateway {

class SystemdNotifier : public QObject {
    Q_OBJECT
public:
    explicit SystemdNotifier(QObject* parent = nullptr);

    // Says READY=1 and starts the watchdog's beat when WATCHDOG_USEC asks for one (for this process).
    void Ready();
    void Stopping();
    // A free-form status line for systemctl status.
    void Status(const QString& text);
    // Whether a socket was given at all.
    bool IsActive() const { return !m_socket.isEmpty(); }

private:
    bool Send(const QByteArray& state);

    QByteArray m_socket; // NOTIFY_SOCKET: a path, or an abstract name starting with '@'
    QTimer* m_watchdog;
    bool m_failing = false; // a failure is logged once until a message goes through again
};

} // namespace zeph::gateway
