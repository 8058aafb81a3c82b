// SPDX-License-Identifier: MIT
// One device the gateway polls: its own session and counter poller at the device's interval, the totals
// that follow its counters, the rates over the last ten seconds, and its reachability. A line that goes
// away (an adapter pulled out, a server gone) is opened again by itself, with back-off, by the port text
// it was given, so a /dev/serial/by-id/ name finds the adapter plugged back in.
#pragma once

#include "counters/CounterTotals.h"
#include "device/OperationResult.h"
#include "gateway/GatewayConfig.h"

#include <QDateTime>
#include <QObject>

#include <array>
#include <deque>
#include <optional>

class QTimer;

namespace zeph::session {
class CounterPoller;
class DeviceSession;
} // namespace zeph::session

namespace zeph::gateway {

struct DeviceReading {
    QDateTime time;
    device::CounterStatusReport report;
    std::array<quint64, device::InputCount> totals{};
    std::array<std::optional<double>, device::InputCount> rates{}; // pulses per second
};

class GatewayDevice : public QObject {
    Q_OBJECT
public:
    // Back-off between attempts to open the line again: doubles from the first to the last.
    static constexpr int FirstRetryMs = 1000;
    static constexpr int LastRetryMs = 60000;
    static constexpr qint64 RateSpanMs = 10000;

    explicit GatewayDevice(DeviceConfig config, QObject* parent = nullptr);
    ~GatewayDevice() override;

    const DeviceConfig& Config() const { return m_config; }
    // The totals kept from an earlier run (CounterTotals::ToJson); false when they are not such.
    bool RestoreTotals(const QJsonObject& json) { return m_totals.Restore(json); }
    QJsonObject TotalsJson() const { return m_totals.ToJson(); }
    bool IsReachable() const { return m_reachable; }
    int Polls() const { return m_polls; }
    int Failures() const { return m_failures; }

    void Start();
    void Stop();

signals:
    void ReadingTaken(const zeph::gateway::DeviceReading& reading);
    // A read that brought no report: why, in the window's words.
    void ReadFailed(const QString& why);
    // Reachable: the line open and the latest read answered.
    void ReachabilityChanged(bool reachable);
    // A total that no longer equals its counter (a wrap, a drop): the kept totals should be written now,
    // for a restart from older ones would take the counter for the total.
    void TotalsJumped();

private:
    void Open();
    void LineGone(const QString& why);
    void ReadEnded(const device::OperationResult& result);
    void SetReachable(bool reachable, const QString& why = {});

    DeviceConfig m_config;
    session::DeviceSession* m_session;
    session::CounterPoller* m_poller;
    QTimer* m_retry;
    int m_retryMs = FirstRetryMs;
    counters::CounterTotals m_totals;
    std::deque<std::pair<qint64, std::array<quint64, device::InputCount>>>
        m_history; // ms since epoch, totals
    bool m_reachable = false;
    bool m_running = false;
    int m_polls = 0;
    int m_failures = 0;
};

} // namespace zeph::gateway
