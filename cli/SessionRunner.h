// SPDX-License-Identifier: MIT
// The device session driven without a window: one operation at a time, started and waited for, with
// what it brought back. A termination signal or a lost port ends any wait early.
#pragma once

#include "counters/CounterCsv.h"
#include "device/OperationCatalogue.h"
#include "device/SettingsBlock.h"

#include <QObject>
#include <QStringList>

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
        // The status byte of the answer that decided the outcome; -1 when no answer was accepted.
        int status = -1;
        std::optional<device::SettingsAnswer> settings;
        std::optional<counters::TimedReport> report;
        // The error texts the operations asked to show, as the configurator words them.
        QStringList messages;
    };

    SessionRunner(session::DeviceSession& session, session::TerminationSignals& termination,
                  QObject* parent = nullptr);

    // Starts the operation through start, which says whether it started, and waits for its end; for
    // the first initialization, for the end of its job (first initialization, settings, counters): the
    // first outcome that is not a success then decides.
    Result Run(device::Operation operation, const std::function<bool()>& start);

    // Waits; false when stopped meanwhile.
    bool Pause(int milliseconds);

    // Why waiting stopped early: the termination signal's number (0: none), or the port went away.
    int StopSignal() const { return m_stopSignal; }
    bool PortLost() const { return m_portLost; }
    bool Stopped() const { return m_stopSignal != 0 || m_portLost; }

private:
    void Stop();

    session::DeviceSession& m_session;
    QEventLoop* m_loop = nullptr;
    int m_stopSignal = 0;
    bool m_portLost = false;
};

} // namespace zeph::cli
