// SPDX-License-Identifier: MIT
// Tests of what the main window shows of the line, against the simulated device: the frame monitor
// window (button, F12, its place, pause, clear, save), the status bar, the counter log and the rates.
#include "app/TForm_Main.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TSpeedButton.h"
#include "common/WriteFault.h"
#include "counters/CounterCsv.h"
#include "sim/DeviceModel.h"
#include "WindowFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QTabWidget>
#include <QTest>

#include <memory>

using namespace zeph;
using app::TSpeedButton;
using test::SimulatedBench;

namespace {

sim::LineOptions Unpaced() {
    sim::LineOptions line;
    line.pacing = false;
    return line;
}

// The lines of a file; an unreadable one has none.
QStringList Lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class TestMonitorWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<SimulatedBench> bench;

    QString Text(const char* label) const { return bench->W<QLabel>(label)->text(); }
    QAbstractItemModel* Rows() const { return bench->W<QTableView>("TableView_Frames")->model(); }
    QString Cell(int row, int column) const { return Rows()->index(row, column).data().toString(); }
    TSpeedButton* Toggle(const char* name) const { return bench->W<TSpeedButton>(name); }
    void ReadCountersOnce() {
        const int answers = bench->device->AnswersSent();
        bench->Button("Button_7208ImpulzusKiolvasas")->click();
        QTRY_VERIFY_WITH_TIMEOUT(bench->device->AnswersSent() > answers && bench->Idle(), 5000);
    }
    // Starts the counter log into path by the toggle and the save dialog.
    void Record(const QString& path) {
        bench->dialogs.saveAnswers << path;
        Toggle("SpeedButton_RecordCounters")->click();
    }

private slots:
    void init() {
        bench = std::make_unique<SimulatedBench>(Unpaced());
        bench->W<QTabWidget>("PageControl_ZT7208")->setCurrentWidget(bench->W("TabSheet_Impulzusok"));
    }
    void cleanup() { bench.reset(); }

    void monitorOpensByButtonAndF12AndKeepsItsPlace() {
        QWidget* monitor = bench->W("FrameMonitor");
        QVERIFY(monitor->isHidden());
        bench->Button("Button_FrameMonitor")->click();
        QVERIFY(monitor->isVisible());
        QCOMPARE(monitor->windowTitle(), QString("Frame monitor"));
        QVERIFY(monitor->isWindow());
        monitor->hide();
        bench->form->show();
        bench->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(bench->form.get()));
        QTest::keyClick(bench->form.get(), Qt::Key_F12);
        QTRY_VERIFY(monitor->isVisible());

        const QRect place(130, 140, 700, 300);
        monitor->setGeometry(place);
        const app::StartOptions options = test::IsolatedOptions(bench->dir, {bench->device->PortPath()});
        bench->form->close();
        app::TForm_Main again(options);
        again.findChild<QPushButton*>("Button_FrameMonitor")->click();
        QCOMPARE(again.findChild<QWidget*>("FrameMonitor")->geometry(), place);
    }

    // The table follows the line; a pause holds rows back, Clear empties it, Save writes what it shows.
    void monitorRowsPauseClearAndSave() {
        QVERIFY(bench->Open());
        // Recorded while the monitor was closed, and shown as it opens.
        bench->Button("Button_FrameMonitor")->click();
        QCOMPARE(Rows()->rowCount(), 1);
        QTRY_VERIFY(Text("Label_MonitorRows").startsWith("1 row; the latest")); // the port opened
        ReadCountersOnce();
        QTRY_COMPARE_WITH_TIMEOUT(Rows()->rowCount(), 3, 2000); // port opened, TX, RX
        QCOMPARE(Cell(1, 1), QString("TX"));
        QCOMPARE(Cell(2, 4), QString("accepted"));

        auto* pause = bench->Button("Button_MonitorPause");
        pause->click();
        ReadCountersOnce();
        QCOMPARE(Rows()->rowCount(), 3);
        QTRY_VERIFY(Text("Label_MonitorRows").endsWith("paused, 2 new rows held back"));
        pause->click();
        QCOMPARE(Rows()->rowCount(), 5);

        const QString csv = bench->dir.filePath("rows.csv");
        bench->dialogs.saveAnswers << csv;
        bench->Button("Button_MonitorSave")->click();
        QCOMPARE(bench->dialogs.saveRequests.last().filter, QString("Text files (*.txt);;CSV files (*.csv)"));
        const QStringList lines = Lines(csv);
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QString("time_ms,direction,characters,bytes,verdict"));
        QVERIFY(lines[4].contains(
            ",TX,4F C1 02 80 08 88 01 84 04 80 04 80 02 80 03 8B,1F 02 88 41 04 04 02 B3,"));
        const QString text = bench->dir.filePath("rows.txt");
        bench->dialogs.saveAnswers << text;
        bench->Button("Button_MonitorSave")->click();
        QVERIFY(Lines(text).value(0).startsWith("time [ms]  dir  verdict"));

        bench->Button("Button_MonitorClear")->click();
        QCOMPARE(Rows()->rowCount(), 0);
    }

    // Every report the page shows becomes a row of the log, a preset's answer too, with the pulse
    // rates beside the counters; a file that cannot be written is refused, a cancelled dialog records
    // nothing, and releasing the toggle closes the file.
    void counterLogRowsAndRates() {
        bench->Model([](sim::DeviceModel& m) { m.SetPulseRate(0, 200); });
        QVERIFY(bench->Open());
        TSpeedButton* record = Toggle("SpeedButton_RecordCounters");
        record->click(); // the dialog is cancelled
        QVERIFY(!record->Down());
        Record(bench->dir.filePath("no/such/folder/log.csv"));
        QVERIFY(!record->Down());
        QVERIFY(bench->dialogs.Texts().last().startsWith("The counter log cannot be written.\n\r"));

        const QString path = bench->dir.filePath("counters.csv");
        Record(path);
        QVERIFY(record->Down());
        QCOMPARE(bench->dialogs.saveRequests.last().filter, QString("CSV files (*.csv)"));
        ReadCountersOnce();
        QTest::qWait(300);
        ReadCountersOnce();
        bench->W<app::TLabeledEdit>("LabeledEdit_7208Ertek2")->setText("1000");
        bench->W<TSpeedButton>("SpeedButton_7208ErtekBeiras2")->click();
        bench->Button("Button_7208ImpulzusertekBeiras")->click();
        QTRY_VERIFY_WITH_TIMEOUT(Lines(path).size() == 4 && bench->Idle(), 5000);

        const QStringList lines = Lines(path);
        QCOMPARE(lines[0], counters::CounterCsvHeader());
        const QStringList second = lines[2].split(',');
        QVERIFY2(second[3].toDouble() > 50, qPrintable(lines[2])); // rate_1
        QCOMPARE(lines[3].split(',')[4], QString("1000"));         // counter_2 after the preset
        QVERIFY(Text("Label_CounterRate1").endsWith(" /s"));
        QVERIFY(Text("Label_CounterRate1").section(' ', 0, 0).toDouble() > 50);
        QVERIFY(bench->W("Label_CounterRate1")->accessibleName().endsWith(" pulses per second"));
        QCOMPARE(Text("Label_StatusCounterLog"), QString("Recording counters to counters.csv: 3 rows"));

        record->click();
        ReadCountersOnce();
        QCOMPARE(Lines(path).size(), 4);
        QVERIFY(Text("Label_StatusCounterLog").isEmpty());
    }

    // A disk that fills up while recording: the part of a line it took is taken back out, the recording
    // stops, and one box names the file and the reason.
    void counterLogOnAFullDisk() {
        QVERIFY(bench->Open());
        const QString path = bench->dir.filePath("counters.csv");
        Record(path);
        ReadCountersOnce();
        const qint64 whole = QFileInfo(path).size();
        QCOMPARE(Lines(path).size(), 2);
        {
            const test::WriteFault full(10);
            ReadCountersOnce();
            QTRY_VERIFY(!bench->dialogs.messages.isEmpty());
        }
        QCOMPARE(bench->dialogs.Texts(),
                 QStringList{"The counter log cannot be written.\n\r" + path + ": No space left on device"});
        QCOMPARE(QFileInfo(path).size(), whole);
        QVERIFY(!Toggle("SpeedButton_RecordCounters")->Down());
        QVERIFY(Text("Label_StatusCounterLog").isEmpty());
        ReadCountersOnce();
        QCOMPARE(bench->dialogs.messages.size(), 1);
        QCOMPARE(QFileInfo(path).size(), whole);
    }

    // A failed read releases the continuous refresh but not the recording; the status bar tells the
    // refresh's figures; closing the port ends the recording.
    void failedReadKeepsTheRecording() {
        QCOMPARE(Text("Label_StatusPort"), QString("Port closed"));
        QVERIFY(bench->Open());
        QCOMPARE(Text("Label_StatusPort"), "Port " + bench->device->PortPath() + ", 19200 8N1");
        const QString path = bench->dir.filePath("counters.csv");
        Record(path);
        TSpeedButton* continuous = Toggle("SpeedButton_7208FolymatosKiolvasas");
        continuous->click();
        QTRY_VERIFY_WITH_TIMEOUT(Lines(path).size() >= 4, 5000);
        QVERIFY(QRegularExpression("^Continuous refresh: \\d+ reports, [\\d.]+ /s, \\d+ retries, 0 failures$")
                    .match(Text("Label_StatusRefresh"))
                    .hasMatch());
        QVERIFY(QRegularExpression("^read counters: done in \\d+ ms at \\d\\d:\\d\\d:\\d\\d$")
                    .match(Text("Label_StatusOperation"))
                    .hasMatch());

        bench->device->InjectFault({sim::FaultKind::Silence});
        QTRY_VERIFY_WITH_TIMEOUT(!continuous->Down(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(bench->dialogs.Texts(), QStringList{"The ZEPH7208 have not responded."},
                                  5000);
        const int rows = Lines(path).size();
        QVERIFY(Toggle("SpeedButton_RecordCounters")->Down());
        QVERIFY(Text("Label_StatusOperation").startsWith("read counters: no answer in "));
        // Nine retries of the failed read, and any a busy machine cost the reads before it.
        const QRegularExpressionMatch stopped =
            QRegularExpression("^Continuous refresh stopped: (\\d+) reports, (\\d+) retries, 1 failure$")
                .match(Text("Label_StatusRefresh"));
        QVERIFY2(stopped.hasMatch(), qPrintable(Text("Label_StatusRefresh")));
        QCOMPARE(stopped.captured(1).toInt(), rows - 1);
        QVERIFY(stopped.captured(2).toInt() >= 9);

        bench->device->ClearFaults();
        ReadCountersOnce();
        QCOMPARE(Lines(path).size(), rows + 1);
        bench->Button("Button_Bezaras")->click();
        QVERIFY(!Toggle("SpeedButton_RecordCounters")->Down());
        QCOMPARE(Text("Label_StatusPort"), QString("Port closed"));
    }
};

QTEST_MAIN(TestMonitorWindow)
#include "tst_monitor_window.moc"
