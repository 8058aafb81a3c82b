// SPDX-License-Identifier: MIT
// The session's signals timed, and the cost of a stretch.
#include "bench/SessionWatch.h"

#include "bench/EventLoop.h"
#include "bench/Figures.h"
#include "session/DeviceSession.h"

#include <algorithm>

namespace zeph::bench {

SessionWatch::SessionWatch(session::DeviceSession& session)
    : m_session(session) {
    m_clock.start();
    connect(&session, &session::DeviceSession::OperationStarted, this, [this](device::Operation operation) {
        if (operation == device::Operation::ReadCounters) m_readStarts.append(Now());
    });
    connect(&session, &session::DeviceSession::OperationFinished, this,
            [this](const device::OperationResult& result) {
                if (result.Report()) ++m_reports;
                ++m_finished[int(result.operation)];
                m_lastFinishedAt = Now();
            });
}

QSet<int> SessionWatch::ReceiveThreads() const {
    return ProcessSnapshot::Take().ThreadIds() - m_threadsBeforeOpen;
}

namespace {
qint64 simulatorPid = 0;
} // namespace

void SessionWatch::SetSimulatorPid(qint64 pid) {
    simulatorPid = pid;
}

RefreshFigures SessionWatch::Measure(int ms) {
    const QSet<int> receive = ReceiveThreads();
    const int reportsBefore = m_reports;
    const qsizetype startsBefore = m_readStarts.size();
    const ProcessSnapshot before = ProcessSnapshot::Take();
    const ProcessSnapshot simulatorBefore = ProcessSnapshot::Take(simulatorPid);
    const double begin = Now();
    RunFor(ms);
    const ProcessSnapshot spent = ProcessSnapshot::Take().Since(before);
    const ProcessSnapshot simulatorSpent = ProcessSnapshot::Take(simulatorPid).Since(simulatorBefore);
    RefreshFigures figures;
    figures.seconds = (Now() - begin) / 1000.0;
    figures.reports = m_reports - reportsBefore;
    for (qsizetype i = std::max<qsizetype>(startsBefore, 1); i < m_readStarts.size(); ++i)
        figures.cyclesMs.append(m_readStarts[i] - m_readStarts[i - 1]);
    figures.uiCpuMs = spent.MainCpuMs();
    figures.receiveCpuMs = spent.CpuMsOf(receive);
    figures.totalCpuMs = spent.TotalCpuMs();
    figures.wakeUps = spent.TotalWakeUps();
    if (simulatorPid > 0) figures.simulatorCpuMs = simulatorSpent.TotalCpuMs();
    return figures;
}

void PrintRefresh(const QString& what, const RefreshFigures& f) {
    const double perReport = f.reports > 0 ? 1.0 / f.reports : 0;
    PrintFigure(what + QStringLiteral(": reports per second"),
                QString::number(f.reports / f.seconds, 'f', 2));
    PrintFigure(what + QStringLiteral(": cycle"), Series(Summarise(f.cyclesMs)));
    PrintFigure(what + QStringLiteral(": CPU, % of a core"),
                QString::number(f.totalCpuMs / (10 * f.seconds), 'f', 2) + QStringLiteral(" %"));
    PrintFigure(what + QStringLiteral(": CPU per report, UI thread"), Ms(f.uiCpuMs * perReport, 2));
    PrintFigure(what + QStringLiteral(": CPU per report, receive thread"), Ms(f.receiveCpuMs * perReport, 2));
    PrintFigure(what + QStringLiteral(": CPU per report, other threads"),
                Ms(std::max(0.0, f.totalCpuMs - f.uiCpuMs - f.receiveCpuMs) * perReport, 2));
    PrintFigure(what + QStringLiteral(": CPU per report, all threads"), Ms(f.totalCpuMs * perReport, 2));
    PrintFigure(what + QStringLiteral(": wake-ups per report"),
                QString::number(double(f.wakeUps) * perReport, 'f', 1));
    if (f.simulatorCpuMs > 0)
        PrintFigure(what + QStringLiteral(": simulator, CPU per answer"),
                    Ms(f.simulatorCpuMs * perReport, 2));
}

void PrintIdle(const QString& what, const RefreshFigures& f) {
    PrintFigure(what + QStringLiteral(": wake-ups per second"),
                QString::number(double(f.wakeUps) / f.seconds, 'f', 1));
    PrintFigure(what + QStringLiteral(": CPU, % of a core"),
                QString::number(f.totalCpuMs / (10 * f.seconds), 'f', 3) + QStringLiteral(" %"));
}

} // namespace zeph::bench
