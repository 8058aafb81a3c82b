// SPDX-License-Identifier: MIT
// Waiting for the session's operations in a local event loop.
#include "cli/SessionRunner.h"

#include "session/DeviceSession.h"
#include "session/TerminationSignals.h"

#include <QEventLoop>
#include <QTimer>

namespace zeph::cli {

using device::Operation;
using device::OperationOutcome;

namespace {

// Outcomes after which the first-initialization job goes no further.
bool EndsTheJob(OperationOutcome outcome) {
    return outcome != OperationOutcome::Succeeded && outcome != OperationOutcome::IgnoredStatus;
}

} // namespace

SessionRunner::SessionRunner(session::DeviceSession& session, session::TerminationSignals& termination,
                             QObject* parent)
    : QObject(parent)
    , m_session(session) {
    connect(&termination, &session::TerminationSignals::Received, this, [this](int signal) {
        if (m_stopSignal == 0) m_stopSignal = signal;
        Stop();
    });
    connect(&session, &session::DeviceSession::PortLost, this, [this] {
        m_portLost = true;
        Stop();
    });
}

void SessionRunner::Stop() {
    if (m_loop) m_loop->quit();
}

SessionRunner::Result SessionRunner::Run(Operation operation, const std::function<bool()>& start) {
    Result result;
    if (Stopped()) return result;
    // Connections made for this one run go with this object.
    QObject scope;
    QEventLoop loop;
    const bool job = operation == Operation::FirstInitialization;
    std::optional<OperationOutcome> decided;
    using session::DeviceSession;
    connect(&m_session, &DeviceSession::SettingsDecoded, &scope,
            [&](const device::SettingsAnswer& answer) { result.settings = answer; });
    connect(&m_session, &DeviceSession::CounterReportDecoded, &scope,
            [&](const counters::CounterStatusReport& report) {
                result.report = counters::TimedReport{QDateTime::currentDateTime(), report};
            });
    connect(&m_session, &DeviceSession::MessageRequested, &scope,
            [&](device::MessageKind kind, const QString& text) {
                if (kind == device::MessageKind::Error) result.messages << text;
            });
    connect(&m_session, &DeviceSession::OperationFinished, &scope,
            [&](Operation finished, OperationOutcome outcome) {
                if (outcome == OperationOutcome::Abandoned) return;
                if (!decided && outcome != OperationOutcome::Succeeded) {
                    decided = outcome;
                    if (outcome != OperationOutcome::NoAnswer)
                        result.status = m_session.Engine().ResponseData(1);
                } else if (!decided) {
                    result.status = m_session.Engine().ResponseData(1);
                }
                if (!job || EndsTheJob(outcome) || finished == Operation::ReadCounters) {
                    result.outcome = decided.value_or(OperationOutcome::Succeeded);
                    loop.quit();
                }
            });
    if (!start()) return result;
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
    if (Stopped()) result.outcome = OperationOutcome::Abandoned;
    return result;
}

bool SessionRunner::Pause(int milliseconds) {
    if (Stopped()) return false;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
    return !Stopped();
}

} // namespace zeph::cli
