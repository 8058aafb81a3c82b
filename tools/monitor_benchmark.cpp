// SPDX-License-Identifier: MIT
// How the frame monitor copes with a full history: zeph7208-monitor-benchmark [ROWS]. Adds ROWS rows
// (100,000 by default) one at a time to the monitor window on screen, as a long continuous refresh
// would, then as many again past the history limit, and prints the time per row, the time of a repaint
// and a scroll at the full history, and the memory the rows take. It prints figures; it judges nothing.
#include "app/FrameMonitor.h"
#include "app/FrameMonitorModel.h"
#include "app/UserDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTableView>

#include <cstdio>

namespace {

class NoDialogs : public zeph::app::UserDialogs {
public:
    void ShowMessage(zeph::app::MessageKind, const QString&) override {}
    QString GetSaveFileName(const zeph::app::FileDialogRequest&) override { return {}; }
    QString GetOpenFileName(const zeph::app::FileDialogRequest&) override { return {}; }
};

// Resident memory in MiB, from the kernel's own count.
double ResidentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * 4096.0 / (1024.0 * 1024.0);
}

// A request and its answer for the counters, as the line carries them: 16 and 154 characters.
zeph::app::MonitorRow Row(int i, qint64 timeMs) {
    zeph::app::MonitorRow row;
    row.timeMs = timeMs;
    if (i % 2 == 0) {
        row.direction = zeph::app::RowDirection::Sent;
        row.characters = QByteArray::fromHex("4FC1028008880184048004800280038B");
        row.verdict = QStringLiteral("read counters");
    } else {
        row.direction = zeph::app::RowDirection::Received;
        row.tone = zeph::app::RowTone::Good;
        row.characters = QByteArray(154, char(0x80));
        row.characters[0] = char(0x4F);
        row.verdict = QStringLiteral("accepted");
    }
    return row;
}

// Adds rows one by one, letting the window handle its events every few rows as the event loop would
// between the line's signals; returns the microseconds per row.
double AddRows(zeph::app::FrameMonitorModel& model, int rows, int& next) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rows; ++i, ++next) {
        model.Append(Row(next, next * 60));
        if (i % 20 == 19) QApplication::processEvents();
    }
    model.Flush();
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1000.0 / rows;
}

// At the line's pace every row is a batch of its own: the time to show one row, view layout included.
double AddRowsSingly(zeph::app::FrameMonitorModel& model, int rows, int& next) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rows; ++i, ++next) {
        model.Append(Row(next, next * 60));
        model.Flush();
        QApplication::processEvents();
    }
    return double(timer.nsecsElapsed()) / 1000.0 / rows;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const int rows =
        argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : zeph::app::FrameMonitorModel::HistoryLimit;
    if (rows <= 0) {
        std::fprintf(stderr, "usage: zeph7208-monitor-benchmark [ROWS]\n");
        return 2;
    }
    NoDialogs dialogs;
    zeph::app::FrameMonitorModel model;
    zeph::app::FrameMonitor monitor(model, [&dialogs]() -> zeph::app::UserDialogs& { return dialogs; });
    monitor.ShowAndRaise();
    QApplication::processEvents();
    const double memoryBefore = ResidentMiB();

    int next = 0;
    const double firstPerRow = AddRows(model, rows, next);
    const double memoryAfter = ResidentMiB();
    std::printf("platform %s, %d rows added in a burst: %.1f us a row, %.2f s in all\n",
                qPrintable(QApplication::platformName()), rows, firstPerRow, firstPerRow * rows / 1e6);
    std::printf("table holds %d rows; memory %.1f MiB more (%.0f bytes a row)\n", model.rowCount(),
                memoryAfter - memoryBefore, (memoryAfter - memoryBefore) * 1024 * 1024 / model.rowCount());

    const double pastLimitPerRow = AddRows(model, rows, next);
    std::printf("%d rows more: %.1f us a row; table holds %d rows\n", rows, pastLimitPerRow,
                model.rowCount());

    const double singlePerRow = AddRowsSingly(model, 500, next);
    std::printf("with %d rows in the table, one row per batch (the line's pace): %.0f us a row\n",
                model.rowCount(), singlePerRow);
    // The monitor records while it is closed, too.
    monitor.hide();
    const double hiddenPerRow = AddRowsSingly(model, 500, next);
    std::printf("the same with the monitor window closed: %.0f us a row\n", hiddenPerRow);
    monitor.ShowAndRaise();
    QApplication::processEvents();

    auto* view = monitor.findChild<QTableView*>(QStringLiteral("TableView_Frames"));
    QElapsedTimer timer;
    constexpr int Repaints = 50;
    timer.start();
    for (int i = 0; i < Repaints; ++i)
        view->viewport()->repaint();
    std::printf("repaint of the visible rows: %.2f ms\n", double(timer.nsecsElapsed()) / 1e6 / Repaints);
    timer.restart();
    QScrollBar* bar = view->verticalScrollBar();
    for (int i = 0; i < Repaints; ++i) {
        bar->setValue(bar->maximum() * (i % 10) / 9);
        view->viewport()->repaint();
    }
    std::printf("scroll to another part of the history and repaint: %.2f ms\n",
                double(timer.nsecsElapsed()) / 1e6 / Repaints);
    return 0;
}
