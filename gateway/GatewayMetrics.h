// SPDX-License-Identifier: MIT
// The gateway's Prometheus endpoint: per device and input the pulses as a _total counter, the rate and
// the flags as gauges, each device's reachability, and the gateway's own health (polls, failures, the
// MQTT spool). prometheus-cpp serves it from its own threads; its metrics take updates from ours.
#pragma once

#include "gateway/GatewayDevice.h"

#include <QString>

#include <map>
#include <memory>

namespace prometheus {
class Counter;
class Exposer;
class Gauge;
class Registry;
template <typename T> class Family;
} // namespace prometheus

namespace zeph::gateway {

class GatewayMetrics {
public:
    GatewayMetrics();
    ~GatewayMetrics();

    // Serves /metrics on host:port; false with the reason when the address cannot be taken.
    bool Listen(const QString& host, quint16 port, QString* error);
    // The port it serves on (the one the system chose for port 0).
    int ListeningPort() const;

    void Reading(const QString& device, const DeviceReading& reading);
    void Reachability(const QString& device, bool reachable);
    void Poll(const QString& device, bool failed);
    void Spool(qint64 depth, quint64 dropped);

private:
    std::shared_ptr<prometheus::Registry> m_registry;
    std::unique_ptr<prometheus::Exposer> m_exposer;
    prometheus::Family<prometheus::Counter>* m_pulses;
    prometheus::Family<prometheus::Gauge>* m_rates;
    prometheus::Family<prometheus::Gauge>* m_flags;
    prometheus::Family<prometheus::Gauge>* m_up;
    prometheus::Family<prometheus::Counter>* m_polls;
    prometheus::Family<prometheus::Counter>* m_failures;
    prometheus::Gauge* m_spoolDepth;
    prometheus::Gauge* m_spoolDropped;
    // What each pulse counter has been raised to, so that it follows the total by increments.
    std::map<std::pair<QString, int>, double> m_exported;
};

} // namespace zeph::gateway
