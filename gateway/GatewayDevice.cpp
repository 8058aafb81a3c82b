// SPDX-License-Identifier: MIT
// Polling one device for the gateway, and finding it again after its line went away.
#include "gateway/GatewayDevice.h"

#include "gateway/GatewayLogging.h"
#include "session/CounterPoller.h"
#include "session/DeviceSession.h"
#include "session/SettingsText.h"

#include <QTimer>

namespace zeph::gateway {

GatewayDevice::GatewayDevice(DeviceConfig config, QObject* parent)
    : QObject(parent)
    , m_config(std::move(config))
    , m_session(new session::DeviceSession(this))
    , m_poller(new session::CounterPoller(*m_session, this))
    , m_retry(new QTimer(this)) {
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &GatewayDevice::Open);
    // Back to back keeps the line's least gap after the device's last character; any other interval the
    // device's own turnaround, which the session keeps for every request.
    m_poller->SetPace(m_config.intervalS == 0
                          ? session::CounterPoller::Pace::BackToBack()
                          : session::CounterPoller::Pace::Every(qint64(m_config.intervalS * 1000)));
    connect(m_poller, &session::CounterPoller::ReadFinished, this, &GatewayDevice::ReadEnded);
    connect(m_session, &session::DeviceSession::PortLost, this,
            [this] { LineGone(QStringLiteral("the line went away")); });
}

GatewayDevice::~GatewayDevice() = default;

void GatewayDevice::Start() {
    m_running = true;
    Open();
}

void GatewayDevice::Stop() {
    m_running = false;
    m_retry->stop();
    m_poller->Stop();
    m_session->Close();
    SetReachable(false);
}

void GatewayDevice::Open() {
    if (!m_running) return;
    line::LineError error;
    if (!m_session->Open(m_config.port, &error)) {
        LineGone(error.text);
        return;
    }
    qCInfo(lcGateway).noquote() << m_config.name << "polling" << m_config.port;
    m_retryMs = FirstRetryMs;
    m_poller->Start();
}

void GatewayDevice::LineGone(const QString& why) {
    m_poller->Stop();
    m_session->Close();
    SetReachable(false, why);
    if (!m_running) return;
    m_retry->start(m_retryMs);
    m_retryMs = std::min(m_retryMs * 2, LastRetryMs);
}

void GatewayDevice::ReadEnded(const device::OperationResult& result) {
    ++m_polls;
    if (!result.Succeeded() || !result.Report()) {
        if (result.outcome == device::OperationOutcome::Abandoned) return; // the line closed under it
        ++m_failures;
        const QString why = session::FailureText(result.outcome, result.status);
        emit ReadFailed(why);
        SetReachable(false, why);
        return;
    }
    const device::CounterStatusReport& report = *result.Report();
    std::array<std::optional<quint32>, device::InputCount> before;
    for (int n = 0; n < device::InputCount; ++n)
        before[std::size_t(n)] = m_totals.LastReading(n);
    const auto steps = m_totals.Take(report);

    DeviceReading reading;
    reading.time = QDateTime::currentDateTimeUtc();
    reading.report = report;
    for (int n = 0; n < device::InputCount; ++n) {
        reading.totals[std::size_t(n)] = m_totals.Total(n);
        if (steps[std::size_t(n)] == counters::TotalStep::Dropped) {
            qCWarning(lcGateway).noquote()
                << m_config.name << "input" << n + 1 << "counter fell from" << *before[std::size_t(n)] << "to"
                << report.counters[std::size_t(n)] << "; its total goes on from there";
        }
    }
    // Rates from the totals over the last ten seconds, so a wrap or a drop never makes one negative.
    const qint64 now = reading.time.toMSecsSinceEpoch();
    m_history.emplace_back(now, reading.totals);
    while (m_history.size() > 2 && now - m_history.front().first > RateSpanMs)
        m_history.pop_front();
    const auto& [oldestMs, oldest] = m_history.front();
    if (now > oldestMs)
        for (int n = 0; n < device::InputCount; ++n)
            reading.rates[std::size_t(n)] = double(reading.totals[std::size_t(n)] - oldest[std::size_t(n)]) *
                                            1000.0 / double(now - oldestMs);
    SetReachable(true);
    emit ReadingTaken(reading);
    if (std::any_of(steps.begin(), steps.end(), [](counters::TotalStep step) {
            return step == counters::TotalStep::Wrapped || step == counters::TotalStep::Dropped;
        }))
        emit TotalsJumped();
}

void GatewayDevice::SetReachable(bool reachable, const QString& why) {
    if (reachable == m_reachable) return;
    m_reachable = reachable;
    if (!m_running)
        qCInfo(lcGateway).noquote() << m_config.name << "stopped";
    else if (reachable)
        qCInfo(lcGateway).noquote() << m_config.name << "answers";
    else
        qCWarning(lcGateway).noquote() << m_config.name << "cannot be read:" << why;
    emit ReachabilityChanged(reachable);
}

} // namespace zeph::gateway
