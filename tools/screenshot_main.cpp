// SPDX-License-Identifier: MIT
// Saves a picture of each page of the main window and of the frame monitor: zeph7208-screenshots
// OUTPUT_DIR. A demo window opens its simulated device, reads the settings into the settings page, then
// refreshes the counters page for a few seconds, so both pictures show what a technician sees with a
// device attached. A second window talks to a simulated device that spoils a few answers, and the frame
// monitor shows what the line carried. The history window shows a two-hour counter log with a gap, an
// overflow and a preset in it. A third window, in Hungarian, shows the settings page read from the device.
#include "app/HistoryWindow.h"
#include "app/Language.h"
#include "app/TForm_Main.h"
#include "app/UserDialogs.h"
#include "app/widgets/TSpeedButton.h"
#include "counters/CounterCsv.h"
#include "session/DeviceSession.h"
#include "sim/DemoDevice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>

namespace {
// A picture is taken unattended: any box would wait for a click that never comes, so its text goes
// to the terminal instead.
class PrintingDialogs : public zeph::app::UserDialogs {
public:
    void ShowMessage(zeph::app::MessageKind, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    QString GetSaveFileName(const zeph::app::FileDialogRequest&) override { return {}; }
    QString GetOpenFileName(const zeph::app::FileDialogRequest&) override { return {}; }
};

bool Save(QWidget& window, const QDir& output, const char* file) {
    QApplication::processEvents();
    const QString path = output.filePath(QLatin1String(file));
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void RunEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Opens a demo window's simulated device and reads its settings into the settings page.
bool ReadDemoSettings(zeph::app::TForm_Main& window) {
    window.show();
    const auto control = [&window](const char* name) { return window.findChild<QAbstractButton*>(name); };
    control("Button_Megnyitas")->click();
    if (!window.findChild<zeph::session::DeviceSession*>()->PortIsOpen()) {
        std::fprintf(stderr, "the demo device's port did not open\n");
        return false;
    }
    control("Button_ZT7208AktBeallKiolvasas")->click();
    RunEventLoopFor(1000);
    return true;
}

// Reads the counters once with each fault on the next answer, waiting for every read to end.
bool MonitorPicture(zeph::app::StartOptions options, zeph::app::UserDialogs& dialogs, const QDir& output) {
    using zeph::sim::FaultKind;
    QString error;
    const std::unique_ptr<zeph::sim::SimulatedDevice> device = zeph::sim::StartDemoDevice(&error);
    if (!device) {
        std::fprintf(stderr, "simulated device: %s\n", qPrintable(error));
        return false;
    }
    options.demo = false;
    options.ports = {device->PortPath()};
    zeph::app::TForm_Main window(options);
    window.SetDialogs(&dialogs);
    window.show();
    const auto control = [&window](const char* name) { return window.findChild<QAbstractButton*>(name); };
    control("Button_Megnyitas")->click();
    control("Button_FrameMonitor")->click();
    const auto* session = window.findChild<zeph::session::DeviceSession*>();
    for (const FaultKind fault : {FaultKind::BadCrc, FaultKind::WrongAddress, FaultKind::Noise,
                                  FaultKind::Silence, FaultKind::StatusOnly}) {
        zeph::sim::LineFault once{fault, fault == FaultKind::StatusOnly ? 0x81 : -1, 1};
        device->InjectFault(once);
        control("Button_7208ImpulzusKiolvasas")->click();
        RunEventLoopFor(100);
        for (int waited = 0; !session->IsIdle() && waited < 5000; waited += 50)
            RunEventLoopFor(50);
    }
    RunEventLoopFor(300);
    auto* monitor = window.findChild<QWidget*>("FrameMonitor");
    // The answer with the bad CRC, in full beneath the table.
    monitor->findChild<QTableView*>("TableView_Frames")->selectRow(2);
    return Save(*monitor, output, "frame-monitor.png");
}
// Two hours at a report a second: IN1 and IN2 follow a working day's ups and downs, IN3 overflows near its
// end, IN4 is preset to 0; twenty minutes are missing.
QString WriteHistoryLog(const QDir& folder) {
    const QString path = folder.filePath(QStringLiteral("counters.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(zeph::counters::CounterCsvHeader().toUtf8() + "\n");
    const QDateTime start = QDateTime::currentDateTime().addSecs(-2 * 3600);
    std::optional<zeph::counters::TimedReport> previous;
    zeph::counters::TimedReport row;
    row.report.counters = {120000, 5300000, 4294000000u, 780000};
    for (int s = 0; s < 2 * 3600; ++s) {
        const double phase = s / 900.0;
        row.report.counters[0] += quint32(std::lround(40 + 25 * std::sin(phase) + (s % 7)));
        row.report.counters[1] += quint32(std::lround(90 + 60 * std::sin(phase / 2 + 1) + (s % 5) * 3));
        row.report.counters[2] += 150 + s % 11;
        row.report.counters[3] = s == 4500 ? 0 : row.report.counters[3] + 20 + s % 4;
        if (row.report.counters[2] < 100000) row.report.overflow |= 0x04;
        if (s >= 3000 && s < 4200) continue;
        row.time = start.addSecs(s);
        file.write(zeph::counters::CounterCsvRow(row, previous).toUtf8() + "\n");
        previous = row;
    }
    return path;
}

bool HistoryPicture(zeph::app::TForm_Main& window, const QDir& scratch, const QDir& output) {
    auto* history = window.findChild<zeph::app::HistoryWindow*>(QStringLiteral("HistoryWindow"));
    const QString log = WriteHistoryLog(scratch);
    if (!history || log.isEmpty()) return false;
    history->resize(1100, 720);
    history->show();
    for (int n = 5; n <= 8; ++n)
        history->findChild<QCheckBox*>(QStringLiteral("CheckBox_HistoryInput%1").arg(n))->setChecked(false);
    history->OpenLog(log);
    QElapsedTimer waited;
    waited.start();
    const auto* source = history->findChild<QLabel*>(QStringLiteral("Label_HistorySource"));
    while (!source->text().startsWith(QStringLiteral("Counter log")) && waited.elapsed() < 20000)
        RunEventLoopFor(100);
    const bool saved = Save(*history, output, "history.png");
    history->hide();
    return saved;
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: zeph7208-screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir output(arguments[1]);
    // Neither window may touch the user's INI file or list the machine's own ports.
    QTemporaryDir scratch;
    zeph::app::StartOptions options;
    options.iniPath = scratch.filePath(QStringLiteral("zeph7208-configurator.ini"));
    options.sysfsRoot = scratch.filePath(QStringLiteral("no-sysfs"));
    options.devRoot = scratch.filePath(QStringLiteral("no-dev"));
    PrintingDialogs dialogs;

    options.demo = true;
    zeph::app::TForm_Main demo(options);
    demo.SetDialogs(&dialogs);
    if (!ReadDemoSettings(demo) || !Save(demo, output, "settings-page.png")) return 1;
    const auto control = [&demo](const char* name) { return demo.findChild<QAbstractButton*>(name); };

    demo.findChild<QTabWidget*>("PageControl_ZT7208")->setCurrentIndex(1);
    control("SpeedButton_7208FolymatosKiolvasas")->click();
    RunEventLoopFor(4000);
    if (!Save(demo, output, "counters-page.png")) return 1;
    control("Button_Bezaras")->click();
    if (!HistoryPicture(demo, QDir(scratch.path()), output)) return 1;
    demo.hide();
    if (!MonitorPicture(options, dialogs, output)) return 1;

    if (!zeph::app::InstallTranslations(zeph::app::Language::Hungarian)) return 1;
    options.demo = true;
    zeph::app::TForm_Main hungarian(options);
    hungarian.SetDialogs(&dialogs);
    return ReadDemoSettings(hungarian) && Save(hungarian, output, "settings-page-hu.png") ? 0 : 1;
}
