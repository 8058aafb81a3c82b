// SPDX-License-Identifier: MIT
// The one place that decides when the counters are read next: at the device's own pace (a read no sooner
// than 200 ms after the previous one began), back to back, or every N milliseconds from start to start.
// It only chooses when; the session keeps the device's turnaround for every request, whoever starts it.
#pragma once

#include "device/OperationResult.h"

#include <QElapsedTimer>
#include <QObject>

class QTimer;

namespace zeph::session {

class DeviceSession;

class CounterPoller : public QObject {
    Q_OBJECT
public:
    // The pace the original's timers gave, and the load a device was built for.
    static constexpr int DefaultPaceMs = 200;

    struct Pace {
        enum class Kind { Default, BackToBack, Every };
        Kind kind = Kind::Default;
        qint64 periodMs = DefaultPaceMs; // for Every
        static Pace DeviceDefault() { return {}; }
        static Pace BackToBack() { return {Kind::BackToBack, 0}; }
        // Start to start; a slow answer is not caught up with a burst.
        static Pace Every(qint64 ms) { return {Kind::Every, ms}; }
    };

    explicit CounterPoller(DeviceSession& session, QObject* parent = nullptr);

    void SetPace(Pace pace);
    Pace CurrentPace() const { return m_pace; }
    // Reads until stopped. While another operation is under way a read waits for it to end.
    void Start();
    void Stop();
    bool IsRunning() const { return m_running; }

    // Timer_FolyamatosKiolvasas: runs only while a read is due.
    QTimer* Timer() const { return m_timer; }

signals:
    // The result of each read the poller started.
    void ReadFinished(const zeph::device::OperationResult& result);

private:
    void Schedule();
    void ReadNow();

    DeviceSession& m_session;
    QTimer* m_timer;
    Pace m_pace;
    bool m_running = false;
    bool m_reading = false;
    QElapsedTimer m_clock;
    qint64 m_lastStartMs = -1; // when the latest read of the counters began, whoever started it
    qint64 m_nextStartMs = 0;  // for Every: when the next read is due
};

} // namespace zeph::session
