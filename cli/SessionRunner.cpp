// SPDX-License-Identifier: MIT
// Waiting for the session's results in a local event loop.
#include "cli/SessionRunner.h"

#include "session/DeviceSession.h"
#include "session/TerminationSignals.h"

#include <QEventLoop>

namespace zeph::cli {

using device::Operation;
using device::OperationOutcome;

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

SessionRunner::Result SessionRunner::From(const device::OperationResult& result) {
    Result taken;
    taken.outcome = result.outcome;
    taken.status = result.status;
    if (const device::SettingsAnswer* settings = result.Settings()) taken.settings = *settings;
    if (const device::CounterStatusReport* report = result.Report())
        taken.report = counters::TimedReport{m_reportClock.Now(), *report};
    return taken;
}

SessionRunner::Result SessionRunner::Run(Operation operation, const std::function<bool()>& start) {
    Result result;
    if (Stopped()) return result;
    // Connections made for this one run go with this object.
    QObject scope;
    QEventLoop loop;
    using session::DeviceSession;
    if (operation == Operation::FirstInitialization) {
        connect(&m_session, &DeviceSession::JobFinished, &scope, [&](const device::JobResult& job) {
            // The step that decided the job: the first that did not succeed, else the last.
            auto decided =
                std::find_if(job.steps.begin(), job.steps.end(),
                             [](const device::OperationResult& step) { return !step.Succeeded(); });
            if (decided != job.steps.end())
                result = From(*decided);
            else if (!job.steps.empty())
                result = From(job.steps.back());
            result.outcome = job.outcome;
            loop.quit();
        });
    } else {
        connect(&m_session, &DeviceSession::OperationFinished, &scope,
                [&](const device::OperationResult& finished) {
                    if (finished.operation != operation) return;
                    result = From(finished);
                    loop.quit();
                });
    }
    if (!start()) return result;
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
    if (Stopped()) result.outcome = OperationOutcome::Abandoned;
    return result;
}

SessionRunner::Result SessionRunner::Watch(session::CounterPoller::Pace pace, int count,
                                           const std::function<bool(const Result&)>& report) {
    Result last;
    if (Stopped()) return last;
    session::CounterPoller poller(m_session);
    poller.SetPace(pace);
    QEventLoop loop;
    int reports = 0;
    connect(&poller, &session::CounterPoller::ReadFinished, &loop, [&](const device::OperationResult& read) {
        last = From(read);
        // A failed read ends the watch with its outcome; a read abandoned by the end of the run says nothing.
        if (!read.Succeeded() || !report(last) || (count > 0 && ++reports >= count)) {
            poller.Stop();
            loop.quit();
        }
    });
    poller.Start();
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
    poller.Stop();
    if (Stopped()) last.outcome = OperationOutcome::Abandoned;
    return last;
}

} // namespace zeph::cli
