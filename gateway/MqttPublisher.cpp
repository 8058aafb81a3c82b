// SPDX-License-Identifier: MIT
// The publisher over libmosquitto without its thread: socket notifiers and a timer call its loop functions,
// and its callbacks only queue their news onto the event loop, so nothing of ours runs inside the library.
#include "gateway/MqttPublisher.h"

#include "gateway/GatewayLogging.h"
#include "settingsfile/SafeFile.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <mosquitto.h>

#include <cerrno>
#include <sys/socket.h>

namespace zeph::gateway {

namespace {

void InitialiseLibraryOnce() {
    // Once per process and never cleaned up: other publishers may come later, and the process ends anyway.
    [[maybe_unused]] static const int initialised = mosquitto_lib_init();
}

QString ErrorText(int result) {
    if (result == MOSQ_ERR_ERRNO) return settingsfile::SystemErrorText(errno);
    return QString::fromUtf8(mosquitto_strerror(result));
}

} // namespace

MqttPublisher::MqttPublisher(const Settings& settings, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_housekeeping(new QTimer(this))
    , m_retry(new QTimer(this))
    , m_connectDeadline(new QTimer(this)) {
    InitialiseLibraryOnce();
    m_housekeeping->setObjectName(QStringLiteral("mqttHousekeeping"));
    m_housekeeping->setInterval(1000);
    connect(m_housekeeping, &QTimer::timeout, this, &MqttPublisher::Housekeeping);
    m_retry->setObjectName(QStringLiteral("mqttRetry"));
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &MqttPublisher::Connect);
    m_connectDeadline->setObjectName(QStringLiteral("mqttConnectDeadline"));
    m_connectDeadline->setSingleShot(true);
    m_connectDeadline->setInterval(ConnectTimeoutMs);
    connect(m_connectDeadline, &QTimer::timeout, this,
            [this] { ConnectionFailed(QStringLiteral("no answer to the connection request")); });
}

MqttPublisher::~MqttPublisher() {
    if (m_client && m_connected) {
        // A clean goodbye makes the broker forget the will, so the offline word is said here instead.
        PublishAvailability(m_settings.willPayload);
        mosquitto_disconnect(m_client);
        for (int i = 0; i < 10 && mosquitto_want_write(m_client); ++i)
            if (mosquitto_loop_write(m_client, 1) != MOSQ_ERR_SUCCESS) break;
        qCInfo(lcGateway).noquote() << "disconnected from" << Endpoint() << "with" << m_spool.Depth()
                                    << "messages left in the spool";
    }
    DestroyClient();
}

bool MqttPublisher::Start(QString* error) {
    if (m_started) return true;
    m_started = true;
    QString why;
    const bool spooled = m_settings.spoolFolder.isEmpty()
                             ? (why = QStringLiteral("no spool folder given"), false)
                             : m_spool.Open(m_settings.spoolFolder, m_settings.spoolMaxBytes, &why);
    if (!spooled) {
        qCWarning(lcGateway).noquote() << "messages are kept in memory only:" << why;
        if (error) *error = why;
    }
    Connect();
    return spooled;
}

bool MqttPublisher::Publish(const QString& topic, const QByteArray& payload, bool retained) {
    if (mosquitto_pub_topic_check(topic.toUtf8().constData()) != MOSQ_ERR_SUCCESS) {
        qCWarning(lcGateway).noquote() << "not a topic to publish to:" << topic;
        return false;
    }
    m_spool.Append(topic, payload, retained);
    SendNext();
    return true;
}

void MqttPublisher::Connect() {
    if (!m_started) return;
    ++m_attempt;
    QString reason;
    if (!CreateClient(&reason)) return ConnectionFailed(reason);
    qCDebug(lcGateway).noquote() << "connecting to" << Endpoint();
    const int result = mosquitto_connect_async(m_client, m_settings.host.toUtf8().constData(),
                                               m_settings.port, m_settings.keepAliveSeconds);
    const int fd = mosquitto_socket(m_client);
    if (result != MOSQ_ERR_SUCCESS || fd < 0) return ConnectionFailed(ErrorText(result));
    m_readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &MqttPublisher::ReadReady);
    m_writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &MqttPublisher::WriteReady);
    UpdateWriteNotifier();
    m_connectDeadline->start();
    m_housekeeping->start();
}

bool MqttPublisher::CreateClient(QString* reason) {
    const QByteArray clientId = m_settings.clientId.toUtf8();
    m_client = mosquitto_new(clientId.isEmpty() ? nullptr : clientId.constData(), true, this);
    if (!m_client) {
        *reason = settingsfile::SystemErrorText(errno);
        return false;
    }
    mosquitto_connect_callback_set(m_client, &MqttPublisher::OnConnect);
    mosquitto_disconnect_callback_set(m_client, &MqttPublisher::OnDisconnect);
    mosquitto_publish_callback_set(m_client, &MqttPublisher::OnPublish);
    mosquitto_log_callback_set(m_client, &MqttPublisher::OnLog);
    auto failed = [&](const QString& what, int result) {
        *reason = what + QStringLiteral(": ") + ErrorText(result);
        DestroyClient();
        return false;
    };
    int result = MOSQ_ERR_SUCCESS;
    if (!m_settings.username.isEmpty()) {
        const QByteArray password = m_settings.password.toUtf8();
        result = mosquitto_username_pw_set(m_client, m_settings.username.toUtf8().constData(),
                                           password.isEmpty() ? nullptr : password.constData());
        if (result != MOSQ_ERR_SUCCESS) return failed(QStringLiteral("the user name"), result);
    }
    if (!m_settings.willTopic.isEmpty()) {
        const QByteArray& payload = m_settings.willPayload;
        result = mosquitto_will_set(m_client, m_settings.willTopic.toUtf8().constData(), int(payload.size()),
                                    payload.constData(), 1, m_settings.willRetained);
        if (result != MOSQ_ERR_SUCCESS) return failed(QStringLiteral("the last will"), result);
    }
    if (m_settings.tls) {
        const QByteArray caFile = QFile::encodeName(m_settings.caFile);
        result = caFile.isEmpty()
                     ? mosquitto_int_option(m_client, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                     : mosquitto_tls_set(m_client, caFile.constData(), nullptr, nullptr, nullptr, nullptr);
        if (result != MOSQ_ERR_SUCCESS)
            return failed(QStringLiteral("TLS with ") + m_settings.caFile, result);
    }
    return true;
}

void MqttPublisher::DestroyClient() {
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    if (m_client) mosquitto_destroy(m_client);
    m_client = nullptr;
}

void MqttPublisher::ConnectionFailed(const QString& reason) {
    m_connectDeadline->stop();
    m_housekeeping->stop();
    DestroyClient();
    const bool wasConnected = m_connected;
    m_connected = false;
    // The message on its way goes again on the next connection: QoS 1 allows the broker to see it twice.
    m_inFlightId = 0;
    m_inFlightSequence = 0;
    if (wasConnected) {
        qCWarning(lcGateway).noquote() << "connection to" << Endpoint() << "lost:" << reason;
        m_retryMs = FirstRetryMs;
    } else if (!m_downReported) {
        qCWarning(lcGateway).noquote() << "cannot connect to" << Endpoint() << "-" << reason
                                       << "- retrying, up to every" << LastRetryMs / 1000 << "s";
    } else {
        qCDebug(lcGateway).noquote() << "still no connection to" << Endpoint() << "-" << reason;
    }
    m_retry->start(m_retryMs);
    m_retryMs = qMin(m_retryMs * 2, LastRetryMs);
    if (!m_downReported) {
        m_downReported = true;
        emit Disconnected(reason);
    }
}

void MqttPublisher::QueueFailure(const QString& reason) {
    SilenceNotifiers();
    QMetaObject::invokeMethod(
        this,
        [this, attempt = m_attempt, reason] {
            if (attempt == m_attempt && m_client) ConnectionFailed(reason);
        },
        Qt::QueuedConnection);
}

void MqttPublisher::SilenceNotifiers() {
    // libmosquitto has closed the socket already; a notifier left on must not watch a closed descriptor.
    if (m_readNotifier) m_readNotifier->setEnabled(false);
    if (m_writeNotifier) m_writeNotifier->setEnabled(false);
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int result) {
    auto* publisher = static_cast<MqttPublisher*>(self);
    if (result != 0) return publisher->QueueFailure(QString::fromUtf8(mosquitto_connack_string(result)));
    QMetaObject::invokeMethod(
        publisher, [publisher, attempt = publisher->m_attempt] { publisher->Established(attempt); },
        Qt::QueuedConnection);
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int result) {
    static_cast<MqttPublisher*>(self)->QueueFailure(ErrorText(result));
}

void MqttPublisher::OnPublish(mosquitto*, void* self, int messageId) {
    auto* publisher = static_cast<MqttPublisher*>(self);
    QMetaObject::invokeMethod(
        publisher,
        [publisher, attempt = publisher->m_attempt, messageId] {
            if (attempt == publisher->m_attempt) publisher->Acknowledged(messageId);
        },
        Qt::QueuedConnection);
}

void MqttPublisher::OnLog(mosquitto*, void*, int, const char* text) {
    qCDebug(lcGateway).noquote() << "libmosquitto:" << text;
}

void MqttPublisher::Established(quint64 attempt) {
    if (attempt != m_attempt || !m_client || m_connected) return;
    m_connectDeadline->stop();
    m_connected = true;
    m_downReported = false;
    m_retryMs = FirstRetryMs;
    qCInfo(lcGateway).noquote() << "connected to" << Endpoint() << "with" << m_spool.Depth()
                                << "messages waiting";
    PublishAvailability(m_settings.onlinePayload);
    SendNext();
    emit Connected();
}

void MqttPublisher::Acknowledged(int messageId) {
    if (messageId == 0 || messageId != m_inFlightId) return; // the availability message
    const MqttSpool::Message* front = m_spool.Front();
    // The spool may have dropped the message for room while it was on its way.
    if (front && front->sequence == m_inFlightSequence) m_spool.PopFront();
    m_inFlightId = 0;
    m_inFlightSequence = 0;
    SendNext();
}

void MqttPublisher::SendNext() {
    while (m_client && m_connected && m_inFlightId == 0 && m_spool.Front()) {
        const MqttSpool::Message& message = *m_spool.Front();
        int messageId = 0;
        const int result =
            mosquitto_publish(m_client, &messageId, message.topic.toUtf8().constData(),
                              int(message.payload.size()), message.payload.constData(), 1, message.retained);
        if (result == MOSQ_ERR_SUCCESS) {
            m_inFlightId = messageId;
            m_inFlightSequence = message.sequence;
        } else if (result == MOSQ_ERR_NO_CONN || result == MOSQ_ERR_CONN_LOST || result == MOSQ_ERR_ERRNO) {
            return QueueFailure(ErrorText(result));
        } else {
            // The broker would never take this one (too large, say): it must not hold up those behind it.
            qCWarning(lcGateway).noquote()
                << "message to" << message.topic << "not sent:" << ErrorText(result);
            m_spool.PopFront();
        }
    }
    UpdateWriteNotifier();
}

void MqttPublisher::PublishAvailability(const QByteArray& payload) {
    if (m_settings.willTopic.isEmpty() || !m_client) return;
    const int result =
        mosquitto_publish(m_client, nullptr, m_settings.willTopic.toUtf8().constData(), int(payload.size()),
                          payload.constData(), 1, m_settings.willRetained);
    if (result != MOSQ_ERR_SUCCESS)
        qCWarning(lcGateway).noquote() << "availability not published:" << ErrorText(result);
    UpdateWriteNotifier();
}

void MqttPublisher::ReadReady() {
    if (!m_connected && ConnectingSocketFailed()) return;
    const int result = mosquitto_loop_read(m_client, 1);
    if (result != MOSQ_ERR_SUCCESS) return QueueFailure(ErrorText(result));
    UpdateWriteNotifier();
}

void MqttPublisher::WriteReady() {
    if (!m_connected) {
        if (ConnectingSocketFailed()) return;
        // libmosquitto carries a TLS handshake on only from its read call, also when the handshake waits for
        // room to write.
        int result = mosquitto_loop_read(m_client, 1);
        if (result == MOSQ_ERR_SUCCESS) result = mosquitto_loop_write(m_client, 1);
        if (result != MOSQ_ERR_SUCCESS) return QueueFailure(ErrorText(result));
        // What is still to write before the broker's answer waits for the broker's next words, so the socket
        // being writable says nothing new until then: listening for it would spin.
        if (m_writeNotifier) m_writeNotifier->setEnabled(false);
        return;
    }
    const int result = mosquitto_loop_write(m_client, 1);
    if (result != MOSQ_ERR_SUCCESS) return QueueFailure(ErrorText(result));
    UpdateWriteNotifier();
}

bool MqttPublisher::ConnectingSocketFailed() {
    // Neither of these reaches us through libmosquitto while a TLS handshake is pending: it takes them for
    // the handshake wanting more, and would be called again and again.
    const int fd = mosquitto_socket(m_client);
    int error = 0;
    socklen_t size = sizeof error;
    if (fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error != 0) {
        QueueFailure(settingsfile::SystemErrorText(error));
        return true;
    }
    char byte;
    if (fd >= 0 && ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0) {
        QueueFailure(QStringLiteral("the connection was closed"));
        return true;
    }
    return false;
}

void MqttPublisher::Housekeeping() {
    if (!m_client) return;
    const int result = mosquitto_loop_misc(m_client);
    if (result != MOSQ_ERR_SUCCESS) return QueueFailure(ErrorText(result));
    UpdateWriteNotifier();
}

void MqttPublisher::UpdateWriteNotifier() {
    if (m_client && m_writeNotifier && m_readNotifier && m_readNotifier->isEnabled())
        m_writeNotifier->setEnabled(mosquitto_want_write(m_client));
}

QString MqttPublisher::Endpoint() const {
    return QStringLiteral("%1:%2%3")
        .arg(m_settings.host)
        .arg(m_settings.port)
        .arg(m_settings.tls ? " (TLS)" : "");
}

} // namespace zeph::gateway
