// SPDX-License-Identifier: MIT
// Debian's ser2net, started by a test on 127.0.0.1 in front of a pseudo-terminal: a raw TCP port and an
// RFC 2217 port, the far port at a speed of the test's choosing. Never the system's service: a
// configuration of its own, no detaching, no UUCP lock, stopped by its process id.
#pragma once

#include "common/FreePort.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

namespace zeph::testing {

class Ser2net {
public:
    // Serves `device` (a pseudo-terminal's path) at `speed` ("19200n81", "9600n81").
    Ser2net(const QString& device, const QString& speed)
        : m_device(device)
        , m_speed(speed)
        , m_rawPort(FreeLoopbackPort())
        , m_telnetPort(FreeLoopbackPort()) {}
    ~Ser2net() { Stop(); }

    // Starts the server and waits until both ports take connections; false with the reason.
    bool Start(QString* error) {
        const QString config = m_folder.filePath(QStringLiteral("ser2net.yaml"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) return Fail(error, file.errorString());
        const QString connector = QStringLiteral("serialdev,%1,%2,local").arg(m_device, m_speed);
        file.write(QStringLiteral("connection: &raw\n"
                                  "  accepter: tcp,127.0.0.1,%1\n"
                                  "  connector: %3\n"
                                  "  options:\n"
                                  "    kickolduser: true\n"
                                  "connection: &rfc2217\n"
                                  "  accepter: telnet(rfc2217),tcp,127.0.0.1,%2\n"
                                  "  connector: %3\n"
                                  "  options:\n"
                                  "    kickolduser: true\n")
                       .arg(m_rawPort)
                       .arg(m_telnetPort)
                       .arg(connector)
                       .toUtf8());
        file.close();
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("ser2net"),
                        {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-P"),
                         m_folder.filePath(QStringLiteral("ser2net.pid")), QStringLiteral("-c"), config});
        if (!m_process.waitForStarted(5000))
            return Fail(error, QStringLiteral("ser2net: ") + m_process.errorString());
        for (int i = 0; i < 100; ++i) {
            if (Listens(m_rawPort) && Listens(m_telnetPort)) return true;
            if (m_process.state() != QProcess::Running)
                return Fail(error, QStringLiteral("ser2net ended at start"));
            QThread::msleep(50);
        }
        return Fail(error, QStringLiteral("ser2net does not take connections"));
    }

    // Ends the server by its process id and waits for it.
    void Stop() {
        if (m_process.state() == QProcess::NotRunning) return;
        ::kill(pid_t(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(5000)) {
            ::kill(pid_t(m_process.processId()), SIGKILL);
            m_process.waitForFinished(2000);
        }
    }

    QString RawPortText() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_rawPort); }
    QString TelnetPortText() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_telnetPort); }
    quint16 RawPort() const { return m_rawPort; }
    quint16 TelnetPort() const { return m_telnetPort; }

private:
    static bool Fail(QString* error, const QString& why) {
        if (error) *error = why;
        return false;
    }
    // Whether something listens on the port, from the kernel's table: a probing connection would make
    // the server open the far port and tear it down again under the test's own connection.
    static bool Listens(quint16 port) {
        QFile table(QStringLiteral("/proc/net/tcp"));
        if (!table.open(QIODevice::ReadOnly)) return false;
        const QByteArray local =
            QByteArray(":") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
        for (const QByteArray& line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 3 && fields[1].endsWith(local) && fields[3] == "0A") return true;
        }
        return false;
    }

    QTemporaryDir m_folder;
    QString m_device;
    QString m_speed;
    quint16 m_rawPort;
    quint16 m_telnetPort;
    QProcess m_process;
};

} // namespace zeph::testing
