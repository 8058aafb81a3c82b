// SPDX-License-Identifier: MIT
// The gateway's metrics as prometheus-cpp keeps and serves them.
#include "gateway/GatewayMetrics.h"

#include <prometheus/counter.h>
#include <prometheus/exposer.h>
#include <prometheus/gauge.h>
#include <prometheus/registry.h>

namespace zeph::gateway {

namespace {

std::string Text(const QString& text) {
    return text.toStdString();
}

std::string InputLabel(int input) {
    return std::to_string(input + 1);
}

} // namespace

GatewayMetrics::GatewayMetrics()
    : m_registry(std::make_shared<prometheus::Registry>())
    , m_pulses(
          &prometheus::BuildCounter()
               .Name("zeph7208_pulses_total")
               .Help("Pulses counted on an input since its total began; follows the counter across wraps.")
               .Register(*m_registry))
    , m_rates(&prometheus::BuildGauge()
                   .Name("zeph7208_pulse_rate")
                   .Help("Pulses per second on an input over the last ten seconds.")
                   .Register(*m_registry))
    , m_flags(&prometheus::BuildGauge()
                   .Name("zeph7208_input_flag")
                   .Help("An input's flag as the device reports it: 1 set, 0 clear.")
                   .Register(*m_registry))
    , m_up(&prometheus::BuildGauge()
                .Name("zeph7208_device_up")
                .Help("1 while the device's line is open and its latest read answered.")
                .Register(*m_registry))
    , m_polls(&prometheus::BuildCounter()
                   .Name("zeph7208_gateway_polls_total")
                   .Help("Counter reads the gateway made of a device.")
                   .Register(*m_registry))
    , m_failures(&prometheus::BuildCounter()
                      .Name("zeph7208_gateway_poll_failures_total")
                      .Help("Counter reads of a device that failed.")
                      .Register(*m_registry)) {
    auto& spool = prometheus::BuildGauge()
                      .Name("zeph7208_gateway_mqtt_spool")
                      .Help("Messages waiting for the MQTT broker, and those dropped for room since start.")
                      .Register(*m_registry);
    m_spoolDepth = &spool.Add({{"kind", "waiting"}});
    m_spoolDropped = &spool.Add({{"kind", "dropped"}});
}

GatewayMetrics::~GatewayMetrics() = default;

bool GatewayMetrics::Listen(const QString& host, quint16 port, QString* error) {
    const QString address = host.contains(u':') ? QStringLiteral("[%1]:%2").arg(host).arg(port)
                                                : QStringLiteral("%1:%2").arg(host).arg(port);
    try {
        m_exposer = std::make_unique<prometheus::Exposer>(Text(address), 1);
    } catch (const std::exception& failure) {
        if (error)
            *error = QStringLiteral("cannot listen on %1: %2")
                         .arg(address, QString::fromLocal8Bit(failure.what()));
        return false;
    }
    m_exposer->RegisterCollectable(m_registry);
    return true;
}

int GatewayMetrics::ListeningPort() const {
    const std::vector<int> ports = m_exposer ? m_exposer->GetListeningPorts() : std::vector<int>();
    return ports.empty() ? 0 : ports.front();
}

void GatewayMetrics::Reading(const QString& device, const DeviceReading& reading) {
    static constexpr std::pair<std::uint8_t device::CounterStatusReport::*, const char*> flags[] = {
        {&device::CounterStatusReport::namurOpen, "namur_open"},
        {&device::CounterStatusReport::namurShort, "namur_short"},
        {&device::CounterStatusReport::timeLimit, "time_limit"},
        {&device::CounterStatusReport::overflow, "overflow"}};
    for (int n = 0; n < device::InputCount; ++n) {
        const std::map<std::string, std::string> labels{{"device", Text(device)}, {"input", InputLabel(n)}};
        double& exported = m_exported[{device, n}];
        const double total = double(reading.totals[std::size_t(n)]);
        if (total > exported) {
            m_pulses->Add(labels).Increment(total - exported);
            exported = total;
        }
        if (const auto rate = reading.rates[std::size_t(n)]) m_rates->Add(labels).Set(*rate);
        for (const auto& [member, name] : flags) {
            auto flagLabels = labels;
            flagLabels.emplace("flag", name);
            m_flags->Add(flagLabels).Set(device::InputFlag(reading.report.*member, n) ? 1 : 0);
        }
    }
}

void GatewayMetrics::Reachability(const QString& device, bool reachable) {
    m_up->Add({{"device", Text(device)}}).Set(reachable ? 1 : 0);
}

void GatewayMetrics::Poll(const QString& device, bool failed) {
    m_polls->Add({{"device", Text(device)}}).Increment();
    auto& failures = m_failures->Add({{"device", Text(device)}});
    if (failed) failures.Increment();
}

void GatewayMetrics::Spool(qint64 depth, quint64 dropped) {
    m_spoolDepth->Set(double(depth));
    m_spoolDropped->Set(double(dropped));
}

} // namespace zeph::gateway
