// SPDX-License-Identifier: MIT
// The main window's start-up and shut-down, the enabling rule, the wiring of its rooms to the device
// session and to each other, and what an operation's result shows; the frame and its layout live in
// TForm_MainLayout.cpp, the keyboard and screen readers in TForm_MainAccess.cpp.
#include "app/TForm_Main.h"

#include "app/CommandLine.h"
#include "app/CommissioningWindow.h"
#include "app/CountersPage.h"
#include "app/HistoryWindow.h"
#include "app/MonitorControl.h"
#include "app/PortGroup.h"
#include "app/QtUserDialogs.h"
#include "app/RightPanel.h"
#include "app/SessionStatusBar.h"
#include "app/SettingsPage.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TSpeedButton.h"
#include "device/DevicePayloads.h"
#include "session/DeviceSession.h"
#include "session/SettingsText.h"
#include "sim/DemoDevice.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace zeph::app {

namespace {
const QColor SignalRed(255, 0, 0);
} // namespace

TForm_Main::TForm_Main(const StartOptions& options, QWidget* parent)
    : QMainWindow(parent)
    , m_options(options)
    , m_ownDialogs(std::make_unique<QtUserDialogs>(this))
    , m_dialogs(m_ownDialogs.get()) {
    setObjectName(QStringLiteral("Form_Main"));
    m_session = new session::DeviceSession(this);
    m_session->setObjectName(QStringLiteral("DeviceSession"));
    m_services = {m_session, [this](MessageKind kind, const QString& text) { ShowMessage(kind, text); },
                  [this]() -> UserDialogs& { return *m_dialogs; }, &m_windowMemory,
                  [this] { return m_iniPath; }};
    BuildWindow();
    ConnectRooms();
    m_monitor = new MonitorControl(m_services, m_panel->Button_FrameMonitor, this);
    m_statusBar = new SessionStatusBar(*m_session, this);
    setStatusBar(m_statusBar);
    connect(m_countersPage->SpeedButton_7208FolymatosKiolvasas, &QPushButton::toggled, m_statusBar,
            &SessionStatusBar::SetContinuousRefresh);
    connect(m_countersPage, &CountersPage::CounterLogText, m_statusBar, &SessionStatusBar::SetCounterLogText);
    // The commissioning window opens whatever the port state: the batch opens its own ports, and a device
    // on the port this window holds open fails at its open with the port's reason.
    m_commissioning = new CommissioningWindow(
        m_services.dialogs, [this] { return comport::ScanPorts(m_panel->Ports->ProbeOptions()).Paths(); },
        this);
    connect(m_panel->Button_Commissioning, &QPushButton::clicked, m_commissioning,
            &CommissioningWindow::ShowAndRaise);
    // The history window keeps the continuous refresh's readings while closed, and shows a recorded
    // counter log without a device.
    m_history = new HistoryWindow(*m_session, m_services.dialogs, this);
    connect(m_countersPage->Button_History, &QPushButton::clicked, m_history, &HistoryWindow::ShowAndRaise);
    if (m_options.demo) StartDemoDevice();
    m_panel->Ports->StartUpkeep();
    FormCreate();
    PlaceWindow();
    // From the event loop, so that a refusal's box comes over the shown window.
    if (!m_options.settingsFile.isEmpty())
        QTimer::singleShot(0, this, [this] { m_panel->OpenSettingsFile(m_options.settingsFile); });
}

TForm_Main::~TForm_Main() {
    // The session outlives this destructor (it is a child): nothing of it may reach a half-gone window.
    disconnect(m_session, nullptr, this, nullptr);
    m_session->Close();
}

void TForm_Main::SetDialogs(UserDialogs* dialogs) {
    m_dialogs = dialogs ? dialogs : m_ownDialogs.get();
}

void TForm_Main::ConnectRooms() {
    using session::DeviceSession;
    connect(m_session, &DeviceSession::PortOpened, this, &TForm_Main::ComPort1PortOpen);
    connect(m_session, &DeviceSession::PortClosed, this, &TForm_Main::ComPort1PortClose);
    connect(m_session, &DeviceSession::OperationFinished, this, &TForm_Main::OperationFinished);
    // The continuous refresh reads only while the counters page is shown.
    connect(PageControl_ZT7208, &QTabWidget::currentChanged, m_countersPage,
            [this] { m_countersPage->SetShown(PageControl_ZT7208->currentWidget() == m_countersPage); });
    connect(m_panel->Ports, &PortGroup::ReadingsStale, m_countersPage, &CountersPage::MarkReadingsStale);
}

void TForm_Main::FormCreate() {
    // The version is a date, written day-month-year with leading zeros.
    const int day = 8, month = 12, year = 2014;
    VersionText = QStringLiteral("%1-%2-%3")
                      .arg(day, 2, 10, QLatin1Char('0'))
                      .arg(month, 2, 10, QLatin1Char('0'))
                      .arg(year, 4, 10, QLatin1Char('0'));
    setWindowTitle(tr("ZEPH7208 configurator   v%1   Velmar Kft.").arg(VersionText));
    SetUpKeyboardAndNames();
    ReadIniFile();
    m_panel->Ports->ShowStartPorts(m_demoDevice ? m_demoDevice->PortPath() : QString());
    // The session was made with the device's address 15 and 10 attempts a request.
    m_session->ResetOperationState();
}

void TForm_Main::FormClose() {
    m_waitingMessages.clear(); // nobody is left to read them
    if (m_panel->Ports->Button_Bezaras->isEnabled()) m_session->Close();
    WriteIniFile();
    RememberWindow();
    m_monitor->CloseFrameMonitor();
    m_commissioning->FinishBeforeQuit(); // a batch under way is stopped and leaves its records
    m_commissioning->close();
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept(); // closing is never refused
}

void TForm_Main::ReadIniFile() {
    if (m_iniPath.isEmpty()) m_iniPath = IniPathOf(m_options);
    m_iniValues = settingsfile::ReadAppIni(m_iniPath);
    m_windowMemory = ReadWindowMemory(m_iniPath);
    m_panel->Ports->TakeRemembered(m_iniValues, m_demoDevice != nullptr);
}

void TForm_Main::WriteIniFile() {
    std::optional<QString> selected;
    settingsfile::AppIniValues values = m_iniValues;
    m_panel->Ports->PutRemembered(values, selected, m_demoDevice ? m_demoDevice->PortPath() : QString());
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    settingsfile::WriteAppIni(m_iniPath, date, selected, values);
}

void TForm_Main::ShowMessage(MessageKind kind, const QString& text) {
    // The timers tick on under a box, and a message they bring would otherwise open a box over the box.
    m_waitingMessages.append({kind, text});
    if (m_messageShown) return;
    m_messageShown = true;
    while (!m_waitingMessages.isEmpty()) {
        const auto [waitingKind, waitingText] = m_waitingMessages.takeFirst();
        m_dialogs->ShowMessage(waitingKind, waitingText);
    }
    m_messageShown = false;
}

void TForm_Main::StartDemoDevice() {
    QString error;
    m_demoDevice = sim::StartDemoDevice(&error);
    if (!m_demoDevice) {
        ShowMessage(MessageKind::Error,
                    tr("The simulated device could not be started.") + QStringLiteral("\n\r") + error);
        return;
    }
    m_options.ports.append(m_demoDevice->PortPath());
}

void TForm_Main::UpdateControlEnabling() {
    const bool open = m_session->PortIsOpen();
    PortGroup& ports = *m_panel->Ports;
    ports.Button_Megnyitas->setEnabled(!open);
    ports.Button_Bezaras->setEnabled(open);
    ports.Button_PortokLekerdezese->setEnabled(!open);
    ports.UpdateNetworkPortButtons();
    CountersPage& counters = *m_countersPage;
    counters.Button_7208ImpulzusKiolvasas->setEnabled(open);
    // Released first, so no refresh is left pending behind a disabled toggle.
    if (!open) counters.SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    counters.SpeedButton_7208FolymatosKiolvasas->setEnabled(open);
    if (!open) counters.SpeedButton_RecordCounters->SetDown(false); // closes the counter log
    counters.SpeedButton_RecordCounters->setEnabled(open);
    counters.Button_GyariElsoInic->setEnabled(open);
    m_settingsPage->Button_GyariElsoInicB->setEnabled(open);
    counters.Button_7208HibabitTorles->setEnabled(open);
    counters.Button_7208ImpulzusertekBeiras->setEnabled(open);
    m_panel->Button_ZT7208GyariBeall->setEnabled(open);
    m_panel->Button_ZT7208AktBeallKiolvasas->setEnabled(open);
    m_panel->Button_ZT7208Letoltes->setEnabled(open);
}

void TForm_Main::ComPort1PortOpen() {
    m_panel->Ports->ShowPortOpen(true);
    UpdateControlEnabling();
}

void TForm_Main::ComPort1PortClose() {
    m_panel->Ports->ShowPortOpen(false);
    UpdateControlEnabling();
}

void TForm_Main::OperationFinished(const device::OperationResult& result) {
    if (const device::SettingsAnswer* settings = result.Settings()) {
        m_settingsPage->Show(settings->page);
        // A factory-defaults read carries no data source: the labels keep what they show.
        if (settings->dataSource) ShowDataSource(*settings->dataSource);
    }
    if (const device::CounterStatusReport* report = result.Report()) {
        // The pages show the report first; then its rates and the counter log, and the readings are
        // current.
        m_countersPage->ShowCounterStatus(*report);
        m_settingsPage->Button_GyariElsoInicB->setVisible(
            device::NeedsFirstInitialization(report->currentErrors));
        ShowDataSource(report->dataSource);
        m_countersPage->TakeCounterReport(*report);
        m_countersPage->MarkReadingsStale({});
    }
    // Released before the box, so the refresh does not go on while it is open.
    if (result.StopsContinuousRefresh()) m_countersPage->ReleaseContinuousRefresh();
    const auto [kind, text] = ResultMessage(result);
    if (text.isEmpty()) return;
    // The result comes from inside the operation machine's step. Qt fires no timer again while its own
    // handler runs, so a box opened there would hold the machine (and the continuous refresh) until it
    // closed; shown from the event loop instead, the box lets every timer go on.
    QMetaObject::invokeMethod(
        this, [this, kind = kind, text = text] { ShowMessage(kind, text); }, Qt::QueuedConnection);
}

std::pair<MessageKind, QString> TForm_Main::ResultMessage(const device::OperationResult& result) const {
    using device::OperationOutcome;
    switch (result.outcome) {
    case OperationOutcome::NoAnswer:
    case OperationOutcome::ParameterError:
    case OperationOutcome::EepromError:
        return {MessageKind::Error,
                QCoreApplication::translate("Device", session::FailureTextSource(result.outcome))};
    case OperationOutcome::NotThisDevice:
        return {MessageKind::Error,
                QCoreApplication::translate("Device", session::FailureTextSource(result.outcome))
                    .arg(session::DeviceSession::DeviceAddress)};
    case OperationOutcome::Succeeded:
        if (result.operation == device::Operation::WriteSettings)
            return {MessageKind::Information, QCoreApplication::translate("Device", "Ready.")};
        break;
    case OperationOutcome::IgnoredStatus:
    case OperationOutcome::Abandoned:
        break;
    }
    return {MessageKind::Error, QString()};
}

// Where the device took its settings from, or in red that they failed; a code that says nothing leaves
// the labels as they are.
void TForm_Main::ShowDataSource(unsigned code) {
    const device::DataSource source = device::DataSourceOf(code);
    const QString prefix = QCoreApplication::translate("Device", "Data source at startup: ");
    QString text;
    bool failed = false;
    switch (source.kind) {
    case device::DataSource::Kind::Ram:
        text = prefix + QStringLiteral("RAM%1").arg(source.copy);
        break;
    case device::DataSource::Kind::Eeprom:
        text = prefix + QStringLiteral("EEPROM%1").arg(source.copy);
        break;
    case device::DataSource::Kind::SettingsFailed:
        text = QCoreApplication::translate("Device", "The settings failed.");
        failed = true;
        break;
    case device::DataSource::Kind::EepromError:
        text = QCoreApplication::translate("Device", "EEPROM error.");
        failed = true;
        break;
    case device::DataSource::Kind::Unknown:
        return;
    }
    for (TColorLabel* label :
         {m_settingsPage->Label_7208ParameterAdatforras, m_countersPage->Label_7208Adatforras}) {
        label->setText(text);
        label->SetColor(failed ? SignalRed : ButtonFace());
    }
}

} // namespace zeph::app
