// SPDX-License-Identifier: MIT
// The system clock with Qt's timers, and the clock a test moves by hand.
#include "link/Clock.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace zeph::link {

namespace {

class QtClockTimer : public ClockTimer {
public:
    QtClockTimer(QObject* owner, const QString& name)
        : m_timer(new QTimer(owner)) {
        m_timer->setObjectName(name);
        m_timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] {
            if (onTimeout) onTimeout();
        });
    }
    // The owner deletes the Qt timer with itself; one that outlives its owner's timers stops them here.
    ~QtClockTimer() override { delete m_timer.data(); }

    void Start(int intervalMs) override { m_timer->start(intervalMs); }
    void Stop() override { m_timer->stop(); }
    bool IsActive() const override { return m_timer->isActive(); }
    int Interval() const override { return m_timer->interval(); }
    void SetSingleShot(bool singleShot) override { m_timer->setSingleShot(singleShot); }
    QTimer* Timer() const override { return m_timer; }

private:
    QPointer<QTimer> m_timer;
};

class SteadyClock : public Clock {
public:
    qint64 NowUs() const override {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return qint64(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
    }
    std::unique_ptr<ClockTimer> NewTimer(QObject* owner, const QString& name) override {
        return std::make_unique<QtClockTimer>(owner, name);
    }
};

} // namespace

Clock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

class ManualClock::Timer : public ClockTimer {
public:
    Timer(ManualClock& clock, QString name)
        : m_clock(&clock)
        , m_name(std::move(name)) {
        clock.m_timers.push_back(this);
    }
    ~Timer() override {
        if (m_clock) std::erase(m_clock->m_timers, this);
    }

    void Start(int intervalMs) override {
        m_intervalMs = std::max(intervalMs, 0);
        m_dueUs = m_clock->m_nowUs + qint64(m_intervalMs) * 1000;
        m_order = ++m_clock->m_started;
        m_active = true;
    }
    void Stop() override { m_active = false; }
    bool IsActive() const override { return m_active; }
    int Interval() const override { return m_intervalMs; }
    void SetSingleShot(bool singleShot) override { m_singleShot = singleShot; }

    void Fire() {
        // A repeating timer is due again one interval on; a zero interval would never let time pass.
        if (m_singleShot)
            m_active = false;
        else
            m_dueUs += std::max<qint64>(qint64(m_intervalMs) * 1000, 1);
        if (onTimeout) onTimeout();
    }

    ManualClock* m_clock;
    QString m_name;
    int m_intervalMs = 0;
    qint64 m_dueUs = 0;
    quint64 m_order = 0;
    bool m_active = false;
    bool m_singleShot = false;
};

ManualClock::~ManualClock() {
    // Timers that outlive the clock no longer reach it.
    for (Timer* timer : m_timers)
        timer->m_clock = nullptr;
}

std::unique_ptr<ClockTimer> ManualClock::NewTimer(QObject*, const QString& name) {
    return std::make_unique<Timer>(*this, name);
}

ManualClock::Timer* ManualClock::Earliest() const {
    Timer* earliest = nullptr;
    for (Timer* timer : m_timers)
        if (timer->m_active && (!earliest || timer->m_dueUs < earliest->m_dueUs ||
                                (timer->m_dueUs == earliest->m_dueUs && timer->m_order < earliest->m_order)))
            earliest = timer;
    return earliest;
}

void ManualClock::Advance(qint64 ms) {
    AdvanceUs(ms * 1000);
}

void ManualClock::AdvanceUs(qint64 us) {
    const qint64 until = m_nowUs + us;
    while (Timer* next = Earliest()) {
        if (next->m_dueUs > until) break;
        m_nowUs = std::max(m_nowUs, next->m_dueUs);
        next->Fire();
    }
    m_nowUs = until;
}

bool ManualClock::FireNext() {
    Timer* next = Earliest();
    if (!next) return false;
    m_nowUs = std::max(m_nowUs, next->m_dueUs);
    next->Fire();
    return true;
}

QString ManualClock::NextDue() const {
    const Timer* next = Earliest();
    return next ? next->m_name : QString();
}

} // namespace zeph::link
