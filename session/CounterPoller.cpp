// SPDX-License-Identifier: MIT
// The counter poller: the next read's time, and the read.
#include "session/CounterPoller.h"

#include "session/DeviceSession.h"

#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

namespace zeph::session {

CounterPoller::CounterPoller(DeviceSession& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_timer(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("Timer_FolyamatosKiolvasas"));
    m_timer->setInterval(DefaultPaceMs);
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_clock.start();
    connect(m_timer, &QTimer::timeout, this, &CounterPoller::ReadNow);
    // The default pace counts from the latest read of the counters, whoever started it.
    connect(&session, &DeviceSession::OperationStarted, this, [this](device::Operation operation) {
        if (operation == device::Operation::ReadCounters) m_lastStartMs = m_clock.elapsed();
    });
    // Any operation's end may be the moment the next read is due; the read's own result goes out first.
    connect(&session, &DeviceSession::OperationFinished, this, [this](const device::OperationResult& result) {
        if (std::exchange(m_reading, false) && result.operation == device::Operation::ReadCounters)
            emit ReadFinished(result);
        Schedule();
    });
}

void CounterPoller::SetPace(Pace pace) {
    m_pace = pace;
    Schedule();
}

void CounterPoller::Start() {
    if (m_running) return;
    m_running = true;
    m_nextStartMs = m_clock.elapsed();
    Schedule();
}

void CounterPoller::Stop() {
    m_running = false;
    m_timer->stop();
}

void CounterPoller::Schedule() {
    if (!m_running) {
        m_timer->stop();
        return;
    }
    // An operation under way reschedules when it ends.
    if (!m_session.IsIdle()) return;
    const qint64 now = m_clock.elapsed();
    qint64 wait = 0;
    switch (m_pace.kind) {
    case Pace::Kind::Default:
        wait = m_lastStartMs < 0 ? 0 : DefaultPaceMs - (now - m_lastStartMs);
        break;
    case Pace::Kind::BackToBack:
        break;
    case Pace::Kind::Every:
        wait = m_nextStartMs - now;
        break;
    }
    m_timer->start(int(std::clamp<qint64>(wait, 0, std::numeric_limits<int>::max())));
}

void CounterPoller::ReadNow() {
    if (!m_running) return;
    const DeviceSession::Pace pace = m_pace.kind == Pace::Kind::BackToBack ? DeviceSession::Pace::BackToBack
                                                                           : DeviceSession::Pace::Default;
    if (!m_session.RefreshCounters(pace)) return; // busy: its end reschedules
    const qint64 now = m_clock.elapsed();
    m_nextStartMs = std::max(m_nextStartMs + m_pace.periodMs, now);
    m_reading = true;
}

} // namespace zeph::session
