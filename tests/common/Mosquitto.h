// SPDX-License-Identifier: MIT
// Debian's mosquitto broker, started by a test on 127.0.0.1: a plain listener and, when asked, a TLS one
// with a certificate for 127.0.0.1 made here. Never the system's service: a configuration of its own, run
// as the current user, stopped by its process id and started again on the same ports.
#pragma once

#include "common/FreePort.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace zeph::testing {

class Mosquitto {
public:
    explicit Mosquitto(bool tls = false)
        : m_port(FreeLoopbackPort())
        , m_tlsPort(tls ? FreeLoopbackPort() : 0) {}
    ~Mosquitto() { Stop(); }

    // Starts the broker and waits until its listeners take connections; false with the reason. Sessions
    // are kept across Stop() and Start(), as a broker set up for devices keeps them, so that a test's
    // subscriber misses nothing while the broker is away.
    bool Start(QString* error) {
        const QString config = m_folder.filePath("mosquitto.conf"), key = m_folder.filePath("key.pem");
        if (m_tlsPort && !QFile::exists(CaFile()) &&
            QProcess::execute("openssl", QString("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                                                 "-nodes -days 2 -subj /CN=127.0.0.1 -addext "
                                                 "subjectAltName=IP:127.0.0.1 -keyout %1 -out %2")
                                             .arg(key, CaFile())
                                             .split(' ')) != 0)
            return Fail(error, "openssl could not make the certificate");
        QString text = QString("user %1\nallow_anonymous true\npersistence true\npersistence_location %2/\n"
                               "log_dest stderr\nlog_type error\nlistener %3 127.0.0.1\n")
                           .arg(QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name), m_folder.path())
                           .arg(m_port);
        if (m_tlsPort)
            text +=
                QString("listener %1 127.0.0.1\ncertfile %2\nkeyfile %3\n").arg(m_tlsPort).arg(CaFile(), key);
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) != text.size())
            return Fail(error, file.errorString());
        file.close();
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start("/usr/sbin/mosquitto", {"-c", config});
        if (!m_process.waitForStarted(5000)) return Fail(error, "mosquitto: " + m_process.errorString());
        const auto accepts = [](quint16 port) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(1000);
        };
        for (int i = 0; i < 100; ++i) {
            if (accepts(m_port) && (!m_tlsPort || accepts(m_tlsPort))) return true;
            if (m_process.state() != QProcess::Running) return Fail(error, "mosquitto ended at start");
            QThread::msleep(50);
        }
        return Fail(error, "mosquitto does not take connections");
    }

    // Ends the broker by its process id and waits for it.
    void Stop() {
        if (m_process.state() == QProcess::NotRunning) return;
        ::kill(pid_t(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(5000)) {
            ::kill(pid_t(m_process.processId()), SIGKILL);
            m_process.waitForFinished(2000);
        }
    }

    quint16 Port() const { return m_port; }
    quint16 TlsPort() const { return m_tlsPort; }
    // The TLS listener's certificate, signed by itself: the one certificate a client needs to trust.
    QString CaFile() const { return m_folder.filePath("cert.pem"); }

private:
    static bool Fail(QString* error, const QString& why) {
        if (error) *error = why;
        return false;
    }

    QTemporaryDir m_folder;
    quint16 m_port;
    quint16 m_tlsPort;
    QProcess m_process;
};

// mosquitto_sub on the topics at QoS 1 in a session the broker keeps, so that nothing is missed while it or
// the broker is away; line-buffered, or the line saying it has subscribed waits in stdio's buffer.
class Subscriber {
public:
    Subscriber(quint16 port, const QStringList& topics) {
        const QString number = QString::number(port);
        QStringList arguments{"-oL", "mosquitto_sub",  "-p", number, "-q",     "1", "-c",
                              "-i",  "zeph-" + number, "-d", "-F",   "> %t %p"};
        for (const QString& topic : topics)
            arguments << "-t" << topic;
        m_process.start("stdbuf", arguments);
    }
    ~Subscriber() {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool WaitUntilSubscribed() {
        QDeadlineTimer deadline(5000);
        while (!Output().contains("SUBACK") && !deadline.hasExpired())
            m_process.waitForReadyRead(100);
        return Output().contains("SUBACK");
    }
    // Each message as "TOPIC PAYLOAD".
    QStringList Messages() {
        QStringList lines = QString::fromUtf8(Output()).split('\n').filter(QRegularExpression("^> "));
        return lines.replaceInStrings("> ", "");
    }

private:
    const QByteArray& Output() { return m_output += m_process.readAllStandardOutput(); }
    QProcess m_process;
    QByteArray m_output;
};

} // namespace zeph::testing
