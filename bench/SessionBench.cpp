// SPDX-License-Identifier: MIT
// The session's figures: call-to-answer of the three operations and back-to-back counter reads.
#include "bench/SessionBench.h"

#include "bench/EventLoop.h"
#include "bench/Figures.h"
#include "bench/SessionWatch.h"
#include "session/CounterPoller.h"
#include "session/DeviceSession.h"

#include <QLocale>
#include <QTimer>

namespace zeph::bench {

namespace {

// Milliseconds from `start` to the end of `operation`, `repeats` times.
QList<double> CallToAnswer(SessionWatch& watch, device::Operation operation,
                           const std::function<void()>& start, int repeats) {
    QList<double> times;
    for (int i = 0; i < repeats; ++i) {
        RunFor(30); // the device's line quiet again
        const int before = watch.Finished(operation);
        const double begin = watch.Now();
        start();
        if (!RunUntil([&] { return watch.Finished(operation) > before; }, 5000)) continue;
        times.append(watch.LastFinishedAt() - begin);
    }
    return times;
}

} // namespace

void RunSessionBench(const QString& port, int repeats, int seconds) {
    PrintHeading(QStringLiteral("Device session, no window"));
    session::DeviceSession session;
    SessionWatch watch(session);
    watch.NoteThreadsBeforeOpen();
    line::LineError error;
    if (!session.Open(port, &error)) {
        PrintFigure(QStringLiteral("open"), error.text);
        return;
    }
    device::SettingsPageState page;
    QObject::connect(&session, &session::DeviceSession::OperationFinished, &watch,
                     [&page](const device::OperationResult& result) {
                         if (const device::SettingsAnswer* answer = result.Settings()) page = answer->page;
                     });

    using device::Operation;
    PrintFigure(QStringLiteral("read settings, call to answer"),
                Series(Summarise(CallToAnswer(
                    watch, Operation::ReadSettings, [&] { session.ReadSettings(); }, repeats))));
    const device::SettingsBlock block = device::EncodeSettingsBlock(page, QLocale());
    PrintFigure(QStringLiteral("write settings, call to answer"),
                Series(Summarise(CallToAnswer(
                    watch, Operation::WriteSettings, [&] { session.WriteSettings(block); }, repeats))));
    PrintFigure(QStringLiteral("read counters, call to answer"),
                Series(Summarise(CallToAnswer(
                    watch, Operation::ReadCounters, [&] { session.RefreshCounters(); }, repeats))));

    // Each read starts as soon as the previous one has ended.
    session::CounterPoller poller(session);
    poller.SetPace(session::CounterPoller::Pace::BackToBack());
    poller.Start();
    const RefreshFigures figures = watch.Measure(seconds * 1000);
    poller.Stop();
    RunFor(300);
    PrintRefresh(QStringLiteral("back-to-back reads"), figures);
    session.Close();
}

} // namespace zeph::bench
