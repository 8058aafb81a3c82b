// SPDX-License-Identifier: MIT
// What the main window adds to see what happens on the line: the frame monitor window with its place
// remembered, the status bar, the counter log and the pulse rates beside the counters.
#include "app/TForm_Main.h"

#include "app/FrameMonitor.h"
#include "app/FrameMonitorModel.h"
#include "app/FrameRecorder.h"
#include "app/SessionStatusBar.h"
#include "app/widgets/TSpeedButton.h"
#include "session/DeviceSession.h"
#include "settingsfile/AppIniFile.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace zeph::app {

namespace {
const QString FrameMonitorKey = QStringLiteral("FrameMonitor");

// One box for a log that could not be started or went on failing: the file and the system's reason.
QString CounterLogFailureText(const QString& path, const QString& error) {
    return TForm_Main::tr("The counter log cannot be written.") + QStringLiteral("\n\r") + path +
           QStringLiteral(": ") + error;
}
} // namespace

void TForm_Main::BuildMonitor() {
    m_frameRows = new FrameMonitorModel(this);
    m_frameRows->setObjectName(QStringLiteral("FrameMonitorModel"));
    new FrameRecorder(*m_session, *m_frameRows, this);
    m_frameMonitor = new FrameMonitor(
        *m_frameRows, [this]() -> UserDialogs& { return *m_dialogs; }, this);
    m_statusBar = new SessionStatusBar(*m_session, this);
    setStatusBar(m_statusBar);

    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F12), this);
    shortcut->setObjectName(QStringLiteral("Shortcut_FrameMonitor"));
    // F12 works from the monitor too, where it brings the window back to the front.
    shortcut->setContext(Qt::ApplicationShortcut);
    connect(shortcut, &QShortcut::activated, this, &TForm_Main::ShowFrameMonitor);
    connect(Button_FrameMonitor, &QPushButton::clicked, this, &TForm_Main::ShowFrameMonitor);

    connect(SpeedButton_7208FolymatosKiolvasas, &QPushButton::toggled, m_statusBar,
            &SessionStatusBar::SetContinuousRefresh);
    SpeedButton_RecordCounters->setToolTip(tr("Writes every counter report shown into a CSV file"));
    connect(SpeedButton_RecordCounters, &TSpeedButton::clicked, this,
            &TForm_Main::SpeedButton_RecordCountersClick);
    // However it is released (by hand, by closing the port, by a failed write), the file is closed.
    connect(SpeedButton_RecordCounters, &QPushButton::toggled, this, [this](bool down) {
        if (down) return;
        m_counterLog.Stop();
        m_statusBar->SetCounterLogText({});
        SpeedButton_RecordCounters->setToolTip(tr("Writes every counter report shown into a CSV file"));
    });
    // Rates never span two openings: the device at the other end may not be the same one.
    connect(m_session, &session::DeviceSession::PortOpened, this, [this] { m_rates.Clear(); });
}

void TForm_Main::ShowFrameMonitor() {
    if (!m_frameMonitorPlaced) {
        m_frameMonitorPlaced = true;
        // A place no longer on any screen is not used, nor a size larger than the screen.
        m_frameMonitor->setGeometry(
            FirstPlace(settingsfile::ReadWindowPlace(m_iniPath, FrameMonitorKey), m_frameMonitor->size()));
    }
    m_frameMonitor->ShowAndRaise();
}

void TForm_Main::CloseFrameMonitor() {
    // A monitor never opened in this run leaves the remembered place as it was.
    if (m_frameMonitorPlaced)
        settingsfile::WriteWindowPlace(m_iniPath, FrameMonitorKey, m_frameMonitor->geometry());
    m_frameMonitor->close();
}

void TForm_Main::SpeedButton_RecordCountersClick() {
    if (!SpeedButton_RecordCounters->Down()) return; // the toggled handler has closed the file
    const QString path = AskForFile(*m_dialogs, FileDialogKind::Save,
                                    {tr("Record counters"), tr("CSV files (*.csv)"), QStringLiteral("csv")},
                                    &m_windowMemory.counterLogFolder);
    if (path.isEmpty()) {
        SpeedButton_RecordCounters->SetDown(false);
        return;
    }
    QString error;
    if (!m_counterLog.Start(path, &error)) {
        SpeedButton_RecordCounters->SetDown(false);
        ShowMessage(MessageKind::Error, CounterLogFailureText(path, error));
        return;
    }
    SpeedButton_RecordCounters->setToolTip(tr("Recording to %1").arg(path));
    m_statusBar->SetCounterLogText(tr("Recording counters to %1").arg(QFileInfo(path).fileName()));
}

void TForm_Main::TakeCounterReport(const device::CounterStatusReport& report) {
    const counters::TimedReport timed{m_reportClock.Now(), report};
    const counters::InputRates rates = m_rates.Add(timed);
    for (int k = 0; k < 8; ++k)
        Label_CounterRate[k]->setText(counters::RateText(rates[k]));
    NameReadings();

    if (!m_counterLog.IsRecording()) return;
    QString error;
    if (!m_counterLog.Write(timed, &error)) {
        // Released before the box: the timers keep running while it is open.
        SpeedButton_RecordCounters->SetDown(false);
        ShowMessage(MessageKind::Error, CounterLogFailureText(m_counterLog.Path(), error));
        return;
    }
    const int rows = m_counterLog.Rows();
    const QString file = QFileInfo(m_counterLog.Path()).fileName();
    m_statusBar->SetCounterLogText(rows == 1 ? tr("Recording counters to %1: 1 row").arg(file)
                                             : tr("Recording counters to %1: %2 rows").arg(file).arg(rows));
}

} // namespace zeph::app
