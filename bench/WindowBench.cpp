// SPDX-License-Identifier: MIT
// Drives the main window as a user would, by its controls' names, and prints what each thing costs.
#include "bench/WindowBench.h"

#include "app/FrameMonitorModel.h"
#include "app/StartOptions.h"
#include "app/TForm_Main.h"
#include "app/UserDialogs.h"
#include "bench/EventLoop.h"
#include "bench/Figures.h"
#include "bench/ProcessStats.h"
#include "bench/SessionWatch.h"
#include "session/DeviceSession.h"

#include <QAbstractButton>
#include <QEvent>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

namespace zeph::bench {

namespace {

// Answers the window's boxes and file dialogs, noting when each box was asked for.
class BenchDialogs : public app::UserDialogs {
public:
    explicit BenchDialogs(const SessionWatch* watch, QString saveAs)
        : m_watch(watch)
        , m_saveAs(std::move(saveAs)) {}
    void ShowMessage(app::MessageKind, const QString& text) override {
        lastText = text;
        lastAt = m_watch ? m_watch->Now() : 0;
        ++shown;
    }
    QString GetSaveFileName(const app::FileDialogRequest&) override { return m_saveAs; }
    QString GetOpenFileName(const app::FileDialogRequest&) override { return {}; }
    void SetWatch(const SessionWatch* watch) { m_watch = watch; }

    QString lastText;
    double lastAt = 0;
    int shown = 0;

private:
    const SessionWatch* m_watch;
    QString m_saveAs;
};

// Notes the first paint of the window.
class PaintSpy : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(watched, event);
    }
};

template <typename T = QAbstractButton> T* Find(const QObject* form, const char* name) {
    T* found = form->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control named %s", name);
    return found;
}

// A request and its answer for the counters, as the line carries them, for the monitor's history.
app::MonitorRow HistoryRow(int i) {
    app::MonitorRow row;
    row.timeMs = i * 60;
    if (i % 2 == 0) {
        row.direction = app::RowDirection::Sent;
        row.characters = QByteArray::fromHex("4FC1028008880184048004800280038B");
        row.verdict = QStringLiteral("read counters");
    } else {
        row.direction = app::RowDirection::Received;
        row.tone = app::RowTone::Good;
        row.characters = QByteArray(154, char(0x80));
        row.characters[0] = char(0x4F);
        row.verdict = QStringLiteral("accepted");
    }
    return row;
}

struct Window {
    app::TForm_Main* form;
    SessionWatch& watch;
    BenchDialogs& dialogs;

    // Milliseconds from each click on `button` until `shown` holds, `repeats` times.
    QList<double> ClickToShown(const char* button, const std::function<bool()>& shown,
                               const std::function<void()>& before, int repeats) {
        QList<double> times;
        for (int i = 0; i < repeats; ++i) {
            RunFor(30);
            before();
            const double begin = watch.Now();
            Find(form, button)->click();
            if (!RunUntil(shown, 5000)) continue;
            times.append((dialogs.shown && dialogs.lastAt > begin ? dialogs.lastAt : watch.LastFinishedAt()) -
                         begin);
        }
        return times;
    }

    RefreshFigures ContinuousRefresh(int seconds) {
        auto* toggle = Find(form, "SpeedButton_7208FolymatosKiolvasas");
        toggle->click();
        RunFor(500);
        const RefreshFigures figures = watch.Measure(seconds * 1000);
        toggle->click();
        RunFor(500);
        return figures;
    }
};

} // namespace

void RunWindowBench(const WindowBenchOptions& options) {
    PrintHeading(
        QStringLiteral("Window, headless (QT_QPA_PLATFORM=%1)").arg(qEnvironmentVariable("QT_QPA_PLATFORM")));
    QTemporaryDir dir;
    app::StartOptions start;
    start.ports = {options.port};
    start.iniPath = dir.filePath(QStringLiteral("zeph7208-configurator.ini"));
    start.sysfsRoot = dir.filePath(QStringLiteral("no-sysfs"));
    start.devRoot = dir.filePath(QStringLiteral("no-dev"));
    BenchDialogs dialogs(nullptr, dir.filePath(QStringLiteral("counters.csv")));

    PaintSpy paints;
    auto form = std::make_unique<app::TForm_Main>(start);
    form->SetDialogs(&dialogs);
    form->installEventFilter(&paints);
    form->show();
    RunUntil([&] { return paints.painted; }, 5000);
    PrintFigure(QStringLiteral("start-up to the first drawn window"),
                paints.painted ? Ms(double(options.sinceStart.nsecsElapsed()) / 1e6)
                               : QStringLiteral("not drawn"));

    auto* session = form->findChild<session::DeviceSession*>(QStringLiteral("DeviceSession"));
    SessionWatch watch(*session);
    dialogs.SetWatch(&watch);
    Window window{form.get(), watch, dialogs};
    RunFor(1000); // start-up work settles

    PrintIdle(QStringLiteral("idle, port closed"), watch.Measure(5000));
    watch.NoteThreadsBeforeOpen();
    Find(form.get(), "Button_Megnyitas")->click();
    if (!session->PortIsOpen()) {
        PrintFigure(QStringLiteral("open"), dialogs.lastText);
        return;
    }
    RunFor(1000);
    PrintIdle(QStringLiteral("idle, port open"), watch.Measure(5000));

    using device::Operation;
    int finishedBefore = 0;
    const auto noteFinished = [&](Operation operation) {
        return [&, operation] {
            finishedBefore = watch.Finished(operation);
            dialogs.shown = 0;
        };
    };
    const auto finished = [&](Operation operation) {
        return [&, operation] { return watch.Finished(operation) > finishedBefore; };
    };
    PrintFigure(QStringLiteral("read settings, click to shown"),
                Series(Summarise(
                    window.ClickToShown("Button_ZT7208AktBeallKiolvasas", finished(Operation::ReadSettings),
                                        noteFinished(Operation::ReadSettings), options.repeats))));
    PrintFigure(QStringLiteral("write settings, click to \"Ready.\""),
                Series(Summarise(window.ClickToShown(
                    "Button_ZT7208Letoltes", [&] { return dialogs.shown > 0; },
                    noteFinished(Operation::WriteSettings), options.repeats))));
    PrintFigure(QStringLiteral("write settings, the box said"), dialogs.lastText);
    dialogs.shown = 0;
    auto* pages = Find<QTabWidget>(form.get(), "PageControl_ZT7208");
    pages->setCurrentWidget(Find<QWidget>(form.get(), "TabSheet_Impulzusok"));
    PrintFigure(QStringLiteral("refresh counters, click to shown"),
                Series(Summarise(
                    window.ClickToShown("Button_7208ImpulzusKiolvasas", finished(Operation::ReadCounters),
                                        noteFinished(Operation::ReadCounters), options.repeats))));

    const RefreshFigures paced = window.ContinuousRefresh(options.seconds);
    PrintRefresh(QStringLiteral("continuous refresh"), paced);
    if (paced.reports > 0) {
        const double perReport = 1.0 / paced.reports;
        NoteGoal(QStringLiteral("window, default pace: wake-ups per report"),
                 double(paced.wakeUps) * perReport, 10, QString());
        NoteGoal(QStringLiteral("window, default pace: receive thread per report"),
                 paced.receiveCpuMs * perReport, 0.3, QStringLiteral(" ms"));
        NoteGoal(QStringLiteral("window, default pace: all threads per report"), paced.totalCpuMs * perReport,
                 1.5, QStringLiteral(" ms"));
        NoteGoal(QStringLiteral("simulator, CPU per answer"), paced.simulatorCpuMs * perReport, 1.0,
                 QStringLiteral(" ms"));
    }
    if (auto* fast = form->findChild<QAbstractButton*>(QStringLiteral("CheckBox_Gyors"))) {
        fast->setChecked(true);
        PrintRefresh(QStringLiteral("continuous refresh, Fast"), window.ContinuousRefresh(options.seconds));
        fast->setChecked(false);
    } else {
        PrintFigure(QStringLiteral("continuous refresh, Fast"), QStringLiteral("no such control"));
    }
    PrintFigure(QStringLiteral("peak resident memory"),
                QString::number(PeakResidentMiB(), 'f', 1) + QStringLiteral(" MiB"));

    // The frame monitor open with a full history and the counter log recording.
    Find(form.get(), "Button_FrameMonitor")->click();
    auto* rows = Find<app::FrameMonitorModel>(form.get(), "FrameMonitorModel");
    for (int i = 0; i < 100000; ++i) {
        rows->Append(HistoryRow(i));
        if (i % 1000 == 999) RunFor(1);
    }
    RunFor(1000);
    PrintRefresh(QStringLiteral("refresh + monitor (100,000 rows)"),
                 window.ContinuousRefresh(options.seconds));
    Find(form.get(), "SpeedButton_RecordCounters")->click();
    PrintRefresh(QStringLiteral("refresh + monitor (100,000 rows) + log"),
                 window.ContinuousRefresh(options.seconds));
    PrintFigure(QStringLiteral("peak resident memory, monitor full"),
                QString::number(PeakResidentMiB(), 'f', 1) + QStringLiteral(" MiB"));
    Find(form.get(), "SpeedButton_RecordCounters")->click();

    // What the monitor and the log add is the difference of two figures that each vary by about as much
    // as the difference itself from one stretch to the next, so it comes from stretches taken in turns
    // with and without them while the refresh runs on.
    auto* monitor = Find<QWidget>(form.get(), "FrameMonitor");
    const auto percent = [](const RefreshFigures& f) { return f.totalCpuMs / (10 * f.seconds); };
    QList<double> without, with, added;
    const int stretchMs = std::max(3, options.seconds / 2) * 1000;
    Find(form.get(), "SpeedButton_7208FolymatosKiolvasas")->click();
    RunFor(500);
    for (int pair = 0; pair < 4; ++pair) {
        monitor->close();
        RunFor(300);
        without.append(percent(watch.Measure(stretchMs)));
        Find(form.get(), "Button_FrameMonitor")->click();
        Find(form.get(), "SpeedButton_RecordCounters")->click();
        RunFor(300);
        with.append(percent(watch.Measure(stretchMs)));
        Find(form.get(), "SpeedButton_RecordCounters")->click();
        added.append(with.last() - without.last());
    }
    Find(form.get(), "SpeedButton_7208FolymatosKiolvasas")->click();
    const auto median = [](const QList<double>& values) {
        return QString::number(Summarise(values).median, 'f', 2) + QStringLiteral(" %");
    };
    PrintFigure(QStringLiteral("refresh, monitor closed and no log (taken in turns)"), median(without));
    PrintFigure(QStringLiteral("refresh, monitor (100,000 rows) + log (taken in turns)"), median(with));
    PrintFigure(QStringLiteral("monitor + log add, median of 4 pairs"), median(added));
    Find(form.get(), "Button_Bezaras")->click();
    RunFor(200);
}

namespace {

struct LineFigures {
    QString opened; // empty when the port opened; else what the window said
    Summary readSettingsMs;
    RefreshFigures fast;
};

LineFigures MeasureLine(const QString& port, int repeats, int seconds) {
    QTemporaryDir dir;
    app::StartOptions start;
    start.ports = {port};
    start.iniPath = dir.filePath(QStringLiteral("zeph7208-configurator.ini"));
    start.sysfsRoot = dir.filePath(QStringLiteral("no-sysfs"));
    start.devRoot = dir.filePath(QStringLiteral("no-dev"));
    BenchDialogs dialogs(nullptr, QString());
    auto form = std::make_unique<app::TForm_Main>(start);
    form->SetDialogs(&dialogs);
    form->show();
    auto* session = form->findChild<session::DeviceSession*>(QStringLiteral("DeviceSession"));
    SessionWatch watch(*session);
    dialogs.SetWatch(&watch);
    Window window{form.get(), watch, dialogs};
    RunFor(500);
    watch.NoteThreadsBeforeOpen();
    Find(form.get(), "Button_Megnyitas")->click();
    LineFigures figures;
    if (!session->PortIsOpen()) {
        figures.opened = dialogs.lastText.isEmpty() ? QStringLiteral("not opened") : dialogs.lastText;
        return figures;
    }
    RunFor(500);
    int finishedBefore = 0;
    figures.readSettingsMs = Summarise(window.ClickToShown(
        "Button_ZT7208AktBeallKiolvasas",
        [&] { return watch.Finished(device::Operation::ReadSettings) > finishedBefore; },
        [&] {
            finishedBefore = watch.Finished(device::Operation::ReadSettings);
            dialogs.shown = 0;
        },
        repeats));
    auto* pages = Find<QTabWidget>(form.get(), "PageControl_ZT7208");
    pages->setCurrentWidget(Find<QWidget>(form.get(), "TabSheet_Impulzusok"));
    Find(form.get(), "CheckBox_Gyors")->setChecked(true);
    figures.fast = window.ContinuousRefresh(seconds);
    Find(form.get(), "Button_Bezaras")->click();
    RunFor(200);
    return figures;
}

} // namespace

void RunLineComparison(const QString& directPort, const QString& networkPort, const QString& networkName,
                       int repeats, int seconds) {
    PrintHeading(QStringLiteral("The window on the pseudo-terminal and through %1 (%2)")
                     .arg(networkName, networkPort));
    const LineFigures direct = MeasureLine(directPort, repeats, seconds);
    const LineFigures network = MeasureLine(networkPort, repeats, seconds);
    for (const LineFigures* figures : {&direct, &network})
        if (!figures->opened.isEmpty()) {
            PrintFigure(QStringLiteral("open"), figures->opened);
            return;
        }
    const auto pair = [](const QString& a, const QString& b) { return a + QStringLiteral(" / ") + b; };
    const auto perReport = [](const RefreshFigures& f, double ms) {
        return f.reports > 0 ? ms / f.reports : 0.0;
    };
    PrintFigure(QStringLiteral("read settings, click to shown (median): direct / network"),
                pair(Ms(direct.readSettingsMs.median), Ms(network.readSettingsMs.median)));
    const double directRate = direct.fast.reports / std::max(direct.fast.seconds, 1e-9);
    const double networkRate = network.fast.reports / std::max(network.fast.seconds, 1e-9);
    PrintFigure(QStringLiteral("Fast: reports per second: direct / network"),
                pair(QString::number(directRate, 'f', 2), QString::number(networkRate, 'f', 2)));
    PrintFigure(QStringLiteral("Fast: CPU per report, all threads: direct / network"),
                pair(Ms(perReport(direct.fast, direct.fast.totalCpuMs), 2),
                     Ms(perReport(network.fast, network.fast.totalCpuMs), 2)));
    PrintFigure(QStringLiteral("Fast: wake-ups per report: direct / network"),
                pair(QString::number(perReport(direct.fast, double(direct.fast.wakeUps)), 'f', 1),
                     QString::number(perReport(network.fast, double(network.fast.wakeUps)), 'f', 1)));
    if (directRate > 0)
        NoteGoal(QStringLiteral("Fast through %1, share of the direct pace").arg(networkName),
                 networkRate / directRate, 0.95, QString(), GoalKind::AtLeast);
}

} // namespace zeph::bench
