// SPDX-License-Identifier: MIT
// Writes a week's counter log (five reports a second: about three million rows, 750 MB) with a missing
// hour, an overflow and a preset in it, opens it as the window does, draws it, zooms into an hour, and
// measures the live plot's cost per report with a day of readings kept.
#include "bench/HistoryBench.h"

#include "app/HistoryPlot.h"
#include "app/HistoryWindow.h"
#include "bench/Figures.h"
#include "bench/ProcessStats.h"
#include "counters/CounterCsv.h"
#include "history/LogHistory.h"
#include "session/DeviceSession.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace zeph::bench {

namespace {
constexpr qint64 WeekRows = 7LL * 86400 * 5;

// The log as the counter log writes it, written straight as bytes: QString per row would take longer
// than the reading measured here.
bool WriteWeekLog(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(counters::CounterCsvHeader().toLatin1() + "\n");
    const qint64 start = QDateTime(QDate(2026, 11, 30), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    // Ten-digit counters, as a device that has counted for a while shows; input 8 wraps early on.
    std::array<quint32, 8> counters{1000000000u, 1100000000u, 1200000000u, 1300000000u,
                                    1400000000u, 1500000000u, 1600000000u, 0xFFFF0000u};
    std::array<quint32, 8> previous = counters;
    const std::array<int, 8> perRow{1, 2, 5, 10, 20, 50, 100, 200};
    QByteArray block;
    block.reserve(8 << 20);
    char line[512];
    std::uint8_t overflow = 0;
    for (qint64 i = 0; i < WeekRows; ++i) {
        // A missing hour on the third day: no rows.
        if (i >= 2 * 86400 * 5 && i < 2 * 86400 * 5 + 3600 * 5) continue;
        for (std::size_t k = 0; k < 8; ++k)
            counters[k] += quint32(perRow[k] + int(i % 3) - 1);
        if (counters[7] < previous[7]) overflow |= 0x80;
        if (i == 4 * 86400 * 5) counters[2] = 1000; // a preset on the fifth day
        const qint64 ms = start + i * 200;
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
        const QDate date = time.date();
        const QTime clock = time.time();
        int n = std::snprintf(line, sizeof line, "%04d-%02d-%02dT%02d:%02d:%02d.%03d+00:00", date.year(),
                              date.month(), date.day(), clock.hour(), clock.minute(), clock.second(),
                              clock.msec());
        for (std::size_t k = 0; k < 8; ++k) {
            const double rate = counters[k] >= previous[k] ? (counters[k] - previous[k]) * 5.0 : -1;
            n += rate >= 0 ? std::snprintf(line + n, sizeof line - std::size_t(n), ",%u,%d,%.3f", counters[k],
                                           1000 / perRow[k], rate)
                           : std::snprintf(line + n, sizeof line - std::size_t(n), ",%u,%d,", counters[k],
                                           1000 / perRow[k]);
        }
        n += std::snprintf(line + n, sizeof line - std::size_t(n), ",0,0,0,%u,255,0,0,0\n", overflow);
        block.append(line, n);
        previous = counters;
        if (block.size() > (8 << 20) - 512) {
            if (file.write(block) != block.size()) return false;
            block.clear();
        }
    }
    return file.write(block) == block.size();
}

double DrawMs(const history::HistoryView& view, QImage& image) {
    QElapsedTimer timer;
    timer.start();
    for (auto quantity : {app::HistoryPlot::Quantity::Rate, app::HistoryPlot::Quantity::Counter}) {
        app::HistoryPlot plot(quantity);
        plot.resize(image.size());
        plot.SetView(&view, {true, true, true, true, true, true, true, true});
        plot.render(&image);
    }
    return double(timer.nsecsElapsed()) / 1e6;
}
} // namespace

void RunHistoryBench() {
    PrintHeading(QStringLiteral("History: a week's counter log at the default pace, and the live plot"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("week.csv"));
    QElapsedTimer timer;
    timer.start();
    if (!WriteWeekLog(path)) {
        std::fprintf(stderr, "zeph7208-bench: cannot write %s\n", qPrintable(path));
        return;
    }
    // The file's pages leave the page cache (this file's only), so the open reads it from the disk as it
    // would a log copied from a plant's machine.
    {
        QFile written(path);
        if (written.open(QIODevice::ReadOnly)) {
            ::fdatasync(written.handle());
            ::posix_fadvise(written.handle(), 0, 0, POSIX_FADV_DONTNEED);
        }
    }
    PrintFigure(QStringLiteral("log written (rows, MB, s)"), QStringLiteral("%1, %2, %3")
                                                                 .arg(WeekRows - 3600 * 5)
                                                                 .arg(QFileInfo(path).size() / 1e6, 0, 'f', 0)
                                                                 .arg(timer.elapsed() / 1000.0, 0, 'f', 1));

    const double residentBefore = ResidentMiB();
    const ProcessSnapshot cpuBefore = ProcessSnapshot::Take();
    timer.restart();
    history::LogHistory::Opened opened = history::LogHistory::Open(path);
    const double openMs = double(timer.nsecsElapsed()) / 1e6;
    if (!opened.log) {
        std::fprintf(stderr, "zeph7208-bench: the log did not open: %s\n", qPrintable(opened.error));
        return;
    }
    const history::LogHistory& log = *opened.log;
    QImage image(1000, 300, QImage::Format_ARGB32_Premultiplied);
    timer.restart();
    const history::HistoryView all = log.Query(
        log.FirstMs(), log.LastMs() + 1, 1000 - app::HistoryPlot::LeftMargin - app::HistoryPlot::RightMargin);
    const double queryMs = double(timer.nsecsElapsed()) / 1e6;
    const double drawMs = DrawMs(all, image);
    const double firstDraw = (openMs + queryMs + drawMs) / 1000.0;
    PrintFigure(QStringLiteral("open (two passes over the file, the first from the disk), s"),
                QString::number(openMs / 1000, 'f', 2));
    PrintFigure(QStringLiteral("first draw of all (query, both plots), ms"),
                QStringLiteral("%1 + %2").arg(queryMs, 0, 'f', 1).arg(drawMs, 0, 'f', 1));
    PrintFigure(QStringLiteral("gaps found, median interval"),
                QStringLiteral("%1, %2 ms").arg(log.Gaps().size()).arg(log.MedianIntervalMs()));
    PrintFigure(QStringLiteral("CPU of the open, s"),
                QString::number(ProcessSnapshot::Take().Since(cpuBefore).TotalCpuMs() / 1000, 'f', 2));
    NoteGoal(QStringLiteral("week's log: open and first draw"), firstDraw, 10, QStringLiteral("s"));
    const double grown = ResidentMiB() - residentBefore;
    PrintFigure(QStringLiteral("resident memory added by the open log, MiB"), QString::number(grown, 'f', 1));
    NoteGoal(QStringLiteral("week's log: peak resident memory"), PeakResidentMiB(), 256,
             QStringLiteral("MiB"));

    const qint64 middle = (log.FirstMs() + log.LastMs()) / 2;
    for (const auto& [name, spanMs] : {std::pair{"a zoom to one hour (re-read), ms", 3600000LL},
                                       std::pair{"a zoom to six hours (re-read), ms", 6 * 3600000LL},
                                       std::pair{"a zoom to two days (overview), ms", 48 * 3600000LL}}) {
        timer.restart();
        const history::HistoryView view = log.Query(middle, middle + spanMs, 922);
        PrintFigure(QLatin1String(name),
                    QString::number(double(timer.nsecsElapsed()) / 1e6 + DrawMs(view, image), 'f', 1));
    }
    opened.log.reset();

    // The live plot: a day of readings at the default pace kept, the window shown following the last five
    // minutes. Each report costs its store; the plots are drawn once a second, that is once every fifth
    // report.
    session::DeviceSession session;
    app::HistoryWindow window(session, []() -> app::UserDialogs& { std::abort(); });
    history::LiveHistory& live = window.Live();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    history::Row row;
    for (qint64 i = 86400 * 5; i > 0; --i) {
        row.timeMs = now - i * 200;
        for (auto& counter : row.counters)
            counter += 7;
        live.Append(row);
    }
    constexpr int Reports = 20000;
    timer.restart();
    for (int i = 0; i < Reports; ++i) {
        row.timeMs += 1;
        live.Append(row);
    }
    const double appendMs = double(timer.nsecsElapsed()) / 1e6 / Reports;
    window.resize(1000, 720);
    window.show();
    QWidget* plots = window.findChild<QWidget*>(QStringLiteral("Widget_HistoryPlots"));
    constexpr int Redraws = 30;
    timer.restart();
    for (int i = 0; i < Redraws; ++i) {
        window.Redraw();
        plots->grab();
    }
    const double redrawMs = double(timer.nsecsElapsed()) / 1e6 / Redraws;
    const double perReportMs = appendMs + redrawMs / 5;
    window.findChild<QPushButton*>(QStringLiteral("Button_HistoryLastDay"))->click();
    timer.restart();
    for (int i = 0; i < Redraws; ++i) {
        window.Redraw();
        plots->grab();
    }
    const double dayRedrawMs = double(timer.nsecsElapsed()) / 1e6 / Redraws;
    PrintFigure(QStringLiteral("live: store a report / redraw five minutes / redraw a day, ms"),
                QStringLiteral("%1 / %2 / %3")
                    .arg(appendMs, 0, 'f', 4)
                    .arg(redrawMs, 0, 'f', 2)
                    .arg(dayRedrawMs, 0, 'f', 1));
    PrintFigure(QStringLiteral("live: share of a core following the last day"),
                QString::number((appendMs + dayRedrawMs / 5) / 200 * 100, 'f', 2) + QStringLiteral(" %"));
    NoteGoal(QStringLiteral("live plot: share of a core at five reports a second"), perReportMs / 200 * 100,
             0.5, QStringLiteral("%"));
}

} // namespace zeph::bench
