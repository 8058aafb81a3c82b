// SPDX-License-Identifier: MIT
// A slow network between a client and a server on this machine: every byte goes on its own, each way,
// a fixed time after it came, as over a long link that splits everything into single bytes. It runs in a
// thread of its own, as a network does, so that a client that waits without its event loop is still
// served.
#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace zeph::testing {

class DelayRelay {
public:
    DelayRelay(quint16 targetPort, int delayMs)
        : m_targetPort(targetPort)
        , m_delayMs(delayMs) {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                auto* server = new QTcpServer(&m_context);
                server->listen(QHostAddress::LocalHost, 0);
                m_port = server->serverPort();
                QObject::connect(server, &QTcpServer::newConnection, &m_context,
                                 [this, server] { Accept(server); });
            },
            Qt::BlockingQueuedConnection);
    }
    ~DelayRelay() {
        QMetaObject::invokeMethod(
            &m_context, [this] { qDeleteAll(m_context.children()); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    quint16 Port() const { return m_port; }

private:
    void Accept(QTcpServer* listening) {
        QTcpSocket* client = listening->nextPendingConnection();
        client->setParent(&m_context);
        auto* server = new QTcpSocket(client);
        server->connectToHost(QHostAddress::LocalHost, m_targetPort);
        for (QTcpSocket* socket : {client, server})
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        Forward(client, server);
        Forward(server, client);
        QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        QObject::connect(server, &QTcpSocket::disconnected, client,
                         [client] { client->disconnectFromHost(); });
    }
    void Forward(QTcpSocket* from, QTcpSocket* to) {
        QObject::connect(from, &QTcpSocket::readyRead, to, [this, from, to] {
            for (const char byte : from->readAll())
                QTimer::singleShot(m_delayMs, Qt::PreciseTimer, to, [to, byte] {
                    to->write(&byte, 1);
                    to->flush();
                });
        });
    }

    QThread m_thread;
    QObject m_context;
    quint16 m_targetPort;
    int m_delayMs;
    quint16 m_port = 0;
};

} // namespace zeph::testing
