// SPDX-License-Identifier: MIT
// The session's figures: call-to-answer of the three operations and back-to-back counter reads.
#include "bench/SessionBench.h"

#include "bench/EventLoop.h"
#include "bench/Figures.h"
#include "bench/SessionWatch.h"
#include "session/CounterPoller.h"
#include "session/DeviceSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTimer>

#include <algorithm>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // This virtual machine's figures drift by a third from one stretch to the next: the goal is held
    // against the median of three more, shorter ones.
    QList<double> perReport;
    for (int stretch = 0; stretch < 3; ++stretch) {
        const RefreshFigures more = watch.Measure(std::max(2, seconds / 3) * 1000);
        if (more.reports > 0) perReport.append(more.totalCpuMs / more.reports);
    }
    poller.Stop();
    RunFor(300);
    PrintRefresh(QStringLiteral("back-to-back reads"), figures);
    if (!perReport.isEmpty()) {
        const Summary stretches = Summarise(perReport);
        PrintFigure(QStringLiteral("back-to-back reads: all threads per report, 3 more stretches"),
                    QStringLiteral("median %1, from %2 to %3")
                        .arg(Ms(stretches.median, 2),
                             Ms(*std::min_element(perReport.begin(), perReport.end()), 2),
                             Ms(*std::max_element(perReport.begin(), perReport.end()), 2)));
        NoteGoal(QStringLiteral("session, back to back: all threads per report (median)"), stretches.median,
                 0.5, QStringLiteral(" ms"));
    }
    session.Close();
}

void RunCommandLineBench(const QString& port, int repeats, int exchangeCharacters, int baud) {
    PrintHeading(QStringLiteral("Command-line tool"));
    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../cli/zeph7208"));
    const QByteArray programPath = QFile::encodeName(program);
    const QByteArray portPath = QFile::encodeName(port);
    char read[] = "read";
    char portOption[] = "--port";
    char* const arguments[] = {const_cast<char*>(programPath.constData()), read, portOption,
                               const_cast<char*>(portPath.constData()), nullptr};
    // Spawned and waited for directly, as a shell would: a QProcess adds its own pipes and polling.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    QList<double> times;
    for (int i = 0; i < repeats; ++i) {
        RunFor(30); // the device's line quiet again
        QElapsedTimer clock;
        clock.start();
        pid_t pid = 0;
        if (posix_spawn(&pid, arguments[0], &actions, nullptr, arguments, environ) != 0) continue;
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) continue;
        times.append(double(clock.nsecsElapsed()) / 1e6);
    }
    posix_spawn_file_actions_destroy(&actions);
    const double line = LineMs(exchangeCharacters, baud);
    PrintFigure(QStringLiteral("zeph7208 read, start to exit"), Series(Summarise(times)));
    if (times.isEmpty()) return;
    const double ratio = Summarise(times).median / line;
    PrintFigure(QStringLiteral("zeph7208 read, median / the exchange's line time (%1)").arg(Ms(line)),
                QString::number(ratio, 'f', 2));
    NoteGoal(QStringLiteral("zeph7208 read against the line time"), ratio, 1.15, QStringLiteral(" ×"));
}

} // namespace zeph::bench
