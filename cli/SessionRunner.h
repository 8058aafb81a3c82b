// SPDX-License-Identifier: MIT
// The device session driven without a window: one operation at a time, started and waited for, with
// what it brought back, or the counters polled until enough reports came. A termination signal or a lost
// port ends any wait early.
#pragma once

#include "counters/CounterCsv.h"
#include "counters/ReportClock.h"
#include "device/OperationResult.h"
#include "session/CounterPoller.h"

#include <QObject>

#include <functional>
#include <optional>

class QEventLoop;

namespace zeph::session {
class DeviceSession;
class TerminationSignals;
} // namespace zeph::session

namespace zeph::cli {

class SessionRunner : public QObject {
    Q_OBJECT
public:
    struct Result {
        // Abandoned when the wait was stopped.
        device::OperationOutcome outcome = device::OperationOutcome::Abandoned;
        // The status byte of the answer that decided the outcome, when one was accepted.
        std::optional<std::uint8_t> status;
        std::optional<device::SettingsAnswer> settings;
        std::optional<counters::TimedReport> report;
    };

    SessionRunner(session::DeviceSession& session, session::TerminationSignals& termination,
                  QObject* parent = nullptr);

    // Starts the operation through start, which says whether it started, and waits for its result; for
    // the first initialization, for the result of its job (first initialization, settings, counters): the
    // first outcome that is not a success then decides.
    Result Run(device::Operation operation, const std::function<bool()>& start);

    // Reads the counters at the pace given until count reports came (0: until stopped), handing each to
    // report, which says whether to go on. Returns the result that ended it: the failed read, or the last
    // good one.
    Result Watch(session::CounterPoller::Pace pace, int count,
                 const std::function<bool(const Result&)>& report);

    // Why waiting stopped early: the termination signal's number (0: none), or the port went away.
    int StopSignal() const { return m_stopSignal; }
    bool PortLost() const { return m_portLost; }
    bool Stopped() const { return m_stopSignal != 0 || m_portLost; }

private:
    void Stop();
    Result From(const device::OperationResult& result);

    session::DeviceSession& m_session;
    QEventLoop* m_loop = nullptr;
    counters::ReportClock m_reportClock;
    int m_stopSignal = 0;
    bool m_portLost = false;
};

} // namespace zeph::cli
