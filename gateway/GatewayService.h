// SPDX-License-Identifier: MIT
// zeph7208d's work: every configured device polled, its totals kept in the state folder across restarts,
// its readings published to the MQTT broker and served to Prometheus, and systemd told how it goes.
#pragma once

#include "gateway/GatewayConfig.h"
#include "gateway/MqttTopics.h"

#include <QHash>
#include <QObject>

#include <array>

#include <memory>
#include <vector>

class QTimer;

namespace zeph::gateway {

class GatewayDevice;
class GatewayMetrics;
class MqttPublisher;
class SystemdNotifier;
struct DeviceReading;

class GatewayService : public QObject {
    Q_OBJECT
public:
    // How often the totals are written to the state folder while devices run: a device's own counter
    // keeps the pulses of the time between, so a power cut loses none of them.
    static constexpr int SaveEveryMs = 10000;
    static constexpr char StateFileName[] = "totals.json";
    static constexpr qint64 RateEveryMs = 1000;

    explicit GatewayService(GatewayConfig config, QObject* parent = nullptr);
    ~GatewayService() override;

    // Reads the kept totals, starts the broker's publisher, the endpoint and every device; false with
    // the reason when something it needs cannot be had (the state folder, the endpoint's address, the
    // broker's password file).
    bool Start(QString* error);
    // Writes the totals and says goodbye; the devices' lines close.
    void Stop();

    // For tests and the benchmark: the endpoint's port, the devices.
    int MetricsPort() const;
    const std::vector<GatewayDevice*>& Devices() const { return m_devices; }

private:
    void Publish(GatewayDevice* device, const DeviceReading& reading);
    void Announce(GatewayDevice* device);
    bool SaveTotals(QString* error = nullptr);
    QString StatePath() const;

    GatewayConfig m_config;
    Topics m_topics;
    std::vector<GatewayDevice*> m_devices;
    std::unique_ptr<MqttPublisher> m_mqtt;
    std::unique_ptr<GatewayMetrics> m_metrics;
    SystemdNotifier* m_systemd;
    QTimer* m_saveTimer;
    // What went to the broker last, per device: a value is sent again only when it changed.
    struct Sent {
        bool any = false;
        std::array<quint64, device::InputCount> totals{};
        std::array<QByteArray, device::InputCount> flags;
        qint64 rateMs = 0;
    };
    QHash<QString, Sent> m_sent;
};

} // namespace zeph::gateway
