// SPDX-License-Identifier: MIT
// A slow network between a client and a server on this machine: every byte goes on its own, each way,
// a fixed time after it came, as over a long link that splits everything into single bytes.
#pragma once

#include "common/ServerThread.h"

#include <QTimer>

namespace zeph::testing {

class DelayRelay {
public:
    DelayRelay(quint16 targetPort, int delayMs)
        : m_delayMs(delayMs)
        , m_server([this, targetPort](QTcpSocket* client) { Relay(client, targetPort); }) {}
    quint16 Port() const { return m_server.Port(); }

private:
    void Relay(QTcpSocket* client, quint16 targetPort) {
        auto* server = new QTcpSocket(client);
        server->connectToHost(QHostAddress::LocalHost, targetPort);
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

    int m_delayMs;
    ServerThread m_server; // last: it serves from its thread as soon as it stands
};

} // namespace zeph::testing
