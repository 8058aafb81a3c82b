// SPDX-License-Identifier: MIT
// A TCP server on 127.0.0.1 in a thread of its own, as a server on the network would be, so that a client
// that waits without its event loop (a line's open) is still served. Each connection is handed to the
// given function in that thread; the sockets die with the server.
#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <functional>

namespace zeph::testing {

class ServerThread {
public:
    explicit ServerThread(std::function<void(QTcpSocket*)> serve)
        : m_serve(std::move(serve)) {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                auto* server = new QTcpServer(&m_context);
                server->listen(QHostAddress::LocalHost, 0);
                m_port = server->serverPort();
                QObject::connect(server, &QTcpServer::newConnection, &m_context, [this, server] {
                    QTcpSocket* client = server->nextPendingConnection();
                    client->setParent(&m_context);
                    m_serve(client);
                });
            },
            Qt::BlockingQueuedConnection);
    }
    ~ServerThread() {
        QMetaObject::invokeMethod(
            &m_context, [this] { qDeleteAll(m_context.children()); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    quint16 Port() const { return m_port; }

private:
    std::function<void(QTcpSocket*)> m_serve;
    QThread m_thread;
    QObject m_context;
    quint16 m_port = 0;
};

} // namespace zeph::testing
