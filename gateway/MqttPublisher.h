// SPDX-License-Identifier: MIT
// Publishes the gateway's messages to an MQTT broker at QoS 1, one at a time and in order, keeping them in
// a spool on disk until the broker has acknowledged each; libmosquitto driven from Qt's event loop.
#pragma once

#include "gateway/MqttSpool.h"

#include <QByteArray>
#include <QObject>
#include <QString>

struct mosquitto;
class QSocketNotifier;
class QTimer;

namespace zeph::gateway {

class MqttPublisher : public QObject {
    Q_OBJECT
public:
    struct Settings {
        QString host = QStringLiteral("localhost");
        quint16 port = 1883;
        bool tls = false;
        QString caFile; // with tls: the certificates to trust; empty trusts the system's
        QString username;
        QString password;
        QString clientId; // empty: the broker makes one up
        int keepAliveSeconds = 60;
        // The availability topic: the broker publishes willPayload there when the connection dies without
        // a goodbye, we publish onlinePayload there on every connect and willPayload on a clean stop.
        // Empty: no last will and no availability messages.
        QString willTopic;
        QByteArray willPayload = QByteArrayLiteral("offline");
        QByteArray onlinePayload = QByteArrayLiteral("online");
        bool willRetained = true;
        QString spoolFolder;
        qint64 spoolMaxBytes = MqttSpool::DefaultMaxBytes;
    };

    static constexpr int FirstRetryMs = 1000;
    static constexpr int LastRetryMs = 60000;
    // How long a connection attempt may take until its CONNACK before it counts as failed.
    static constexpr int ConnectTimeoutMs = 10000;

    explicit MqttPublisher(const Settings& settings, QObject* parent = nullptr);
    // Publishes willPayload and says goodbye when connected; what is not acknowledged stays in the spool.
    ~MqttPublisher() override;
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Opens the spool and starts connecting; from then on the publisher keeps reconnecting by itself. A
    // spool that cannot be opened is said in error and the messages are kept in memory only (false).
    bool Start(QString* error = nullptr);
    // Queues a message at QoS 1 behind those waiting; it goes out once the broker has the ones before.
    // Call it after Start(), which reads back the spool.
    // False (and logged) for a topic no broker takes, such as one with wildcards.
    bool Publish(const QString& topic, const QByteArray& payload, bool retained);

    bool IsConnected() const { return m_connected; }
    // Messages not yet acknowledged by the broker, the one on its way included.
    qsizetype SpoolDepth() const { return m_spool.Depth(); }
    // Messages dropped for room in the spool since Start().
    quint64 Dropped() const { return m_spool.Dropped(); }
    // Writes to the spool that failed since Start().
    quint64 SpoolWriteFailures() const { return m_spool.WriteFailures(); }

signals:
    void Connected();
    // Once when the connection is lost or the first attempt fails, not again on every retry.
    void Disconnected(const QString& reason);

private:
    static void OnConnect(mosquitto*, void* self, int result);
    static void OnDisconnect(mosquitto*, void* self, int result);
    static void OnPublish(mosquitto*, void* self, int messageId);
    static void OnLog(mosquitto*, void* self, int level, const char* text);

    void Connect();
    // Configures a new client with the will, credentials and TLS; false with the reason.
    bool CreateClient(QString* reason);
    void DestroyClient();
    // Ends the attempt or the connection: tears the client down and retries after the back-off.
    void ConnectionFailed(const QString& reason);
    // From inside libmosquitto: the connection is gone; it is torn down once the library has returned.
    void QueueFailure(const QString& reason);
    void SilenceNotifiers();
    void Established(quint64 attempt);
    void Acknowledged(int messageId);
    void SendNext();
    void PublishAvailability(const QByteArray& payload);
    // Before the broker's answer: a refused connection or a closed one, said once (true).
    bool ConnectingSocketFailed();
    void ReadReady();
    void WriteReady();
    void Housekeeping();
    // The write notifier follows libmosquitto's wish to write, after every call that may queue a packet.
    void UpdateWriteNotifier();
    QString Endpoint() const;

    Settings m_settings;
    MqttSpool m_spool;
    mosquitto* m_client = nullptr;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer* m_housekeeping = nullptr; // mosquitto_loop_misc: keepalive pings and time-outs
    QTimer* m_retry = nullptr;
    QTimer* m_connectDeadline = nullptr;
    int m_retryMs = FirstRetryMs;
    bool m_started = false;
    bool m_connected = false;
    bool m_downReported = false; // Disconnected() said for this spell without a connection
    // Counts the connection attempts, so that news queued by an earlier client is not taken for this one's.
    quint64 m_attempt = 0;
    // The message on its way: its spool sequence and libmosquitto's message id; 0 when none.
    quint64 m_inFlightSequence = 0;
    int m_inFlightId = 0;
};

} // namespace zeph::gateway
