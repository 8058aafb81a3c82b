// SPDX-License-Identifier: MIT
// Time for the transaction engine and the operation machine: the system's steady clock with Qt's timers,
// or a clock that a test or a fuzz harness moves by hand, so that a time-out, a retry or a late answer
// can be shown without sleeping and without depending on how busy the machine is.
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

class QObject;
class QTimer;

namespace zeph::link {

// A timer of a clock. It repeats unless made single-shot; its callback runs on the owner's thread.
class ClockTimer {
public:
    virtual ~ClockTimer() = default;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    virtual int Interval() const = 0;
    virtual void SetSingleShot(bool singleShot) = 0;
    // The Qt timer behind it on the system clock (its object name is the timer's name), else nullptr.
    virtual QTimer* Timer() const { return nullptr; }

    std::function<void()> onTimeout;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 NowUs() const = 0;
    // A stopped timer; name is what logs and tests know it by.
    virtual std::unique_ptr<ClockTimer> NewTimer(QObject* owner, const QString& name) = 0;
};

// The steady clock in microseconds and precise Qt timers, children of their owner under their names.
Clock& SystemClock();

// A clock that stands still until Advance moves it, firing every timer that falls due on the way, the
// earliest first (timers due at the same time in the order they were started).
class ManualClock : public Clock {
public:
    ManualClock() = default;
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;
    ~ManualClock() override;

    qint64 NowUs() const override { return m_nowUs; }
    std::unique_ptr<ClockTimer> NewTimer(QObject* owner, const QString& name) override;

    void Advance(qint64 ms);
    void AdvanceUs(qint64 us);
    // Moves on to the next timer that falls due and fires it; false when no timer runs.
    bool FireNext();
    // The name of the timer that falls due next, or empty.
    QString NextDue() const;

private:
    class Timer;
    Timer* Earliest() const;

    qint64 m_nowUs = 0;
    quint64 m_started = 0; // counts starts, so that timers due together fire in the order started
    std::vector<Timer*> m_timers;
};

} // namespace zeph::link
