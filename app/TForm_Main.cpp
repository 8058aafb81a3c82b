// SPDX-License-Identifier: MIT
// The main window's construction, start-up and shut-down, the enabling rule, the wiring to the device
// session and the handlers that belong to the window itself; the page layouts live in TForm_Main*Page.cpp.
#include "app/TForm_Main.h"

#include "app/CommissioningWindow.h"
#include "app/Language.h"
#include "app/QtUserDialogs.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TShape.h"
#include "app/widgets/TSpeedButton.h"
#include "device/DevicePayloads.h"
#include "session/CounterPoller.h"
#include "session/DeviceSession.h"
#include "session/SettingsText.h"
#include "sim/DemoDevice.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace zeph::app {

TForm_Main::TForm_Main(const StartOptions& options, QWidget* parent)
    : QMainWindow(parent)
    , m_options(options)
    , m_ownDialogs(std::make_unique<QtUserDialogs>(this))
    , m_dialogs(m_ownDialogs.get()) {
    setObjectName(QStringLiteral("Form_Main"));
    m_session = new session::DeviceSession(this);
    m_session->setObjectName(QStringLiteral("DeviceSession"));
    BuildWindow();
    BuildTimers();
    ConnectHandlers();
    ConnectSession();
    BuildMonitor();
    BuildCommissioning();
    BuildHistory();
    if (m_options.demo) StartDemoDevice();
    ConnectPortUpkeep();
    FormCreate();
    PlaceWindow();
    // From the event loop, so that a refusal's box comes over the shown window.
    if (!m_options.settingsFile.isEmpty())
        QTimer::singleShot(0, this, [this] { OpenSettingsFile(m_options.settingsFile); });
}

TForm_Main::~TForm_Main() {
    // The session outlives this destructor (it is a child): nothing of it may reach a half-gone window.
    disconnect(m_session, nullptr, this, nullptr);
    m_session->Close();
}

void TForm_Main::SetDialogs(UserDialogs* dialogs) {
    m_dialogs = dialogs ? dialogs : m_ownDialogs.get();
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
    const comport::PortScan ports = comport::ScanPorts(ProbeOptions());
    ChooseStartPort(ports);
    ShowPorts(ports);
    // The session was made with the device's address 15 and 10 attempts a request.
    ResetOperationState();
}

void TForm_Main::FormClose() {
    m_waitingMessages.clear(); // nobody is left to read them
    if (Button_Bezaras->isEnabled()) Button_BezarasClick();
    WriteIniFile();
    RememberWindow();
    CloseFrameMonitor();
    m_commissioning->FinishBeforeQuit(); // a batch under way is stopped and leaves its records
    m_commissioning->close();
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept(); // closing is never refused
}

void TForm_Main::ResetOperationState() {
    m_session->ResetOperationState();
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
    Button_Megnyitas->setEnabled(!open);
    Button_Bezaras->setEnabled(open);
    Button_PortokLekerdezese->setEnabled(!open);
    UpdateNetworkPortButtons();
    Button_7208ImpulzusKiolvasas->setEnabled(open);
    // Released first, so no refresh is left pending behind a disabled toggle.
    if (!open) SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    SpeedButton_7208FolymatosKiolvasas->setEnabled(open);
    if (!open) SpeedButton_RecordCounters->SetDown(false); // closes the counter log
    SpeedButton_RecordCounters->setEnabled(open);
    Button_GyariElsoInic->setEnabled(open);
    Button_GyariElsoInicB->setEnabled(open);
    Button_7208HibabitTorles->setEnabled(open);
    Button_7208ImpulzusertekBeiras->setEnabled(open);
    Button_ZT7208GyariBeall->setEnabled(open);
    Button_ZT7208AktBeallKiolvasas->setEnabled(open);
    Button_ZT7208Letoltes->setEnabled(open);
}

// ---- timers and connections

void TForm_Main::BuildTimers() {
    auto makeTimer = [this](const QString& name, int interval, bool running) {
        auto* timer = new QTimer(this);
        timer->setObjectName(name);
        timer->setInterval(interval);
        if (running) timer->start();
        return timer;
    };
    Timer_TX = makeTimer(QStringLiteral("Timer_TX"), 500, false);
    Timer_RX = makeTimer(QStringLiteral("Timer_RX"), 500, false);
    // The continuous refresh's timer (Timer_FolyamatosKiolvasas) is the poller's, started only when a
    // read is due.
    m_poller = new session::CounterPoller(*m_session, this);
    m_poller->setObjectName(QStringLiteral("CounterPoller"));
    for (int k = 0; k < 8; ++k)
        Timer_ZT7208Imp[k] = makeTimer(QStringLiteral("Timer_ZT7208Imp%1").arg(k + 1), 500, false);
}

void TForm_Main::ConnectHandlers() {
    connect(Button_PortokLekerdezese, &QPushButton::clicked, this,
            &TForm_Main::Button_PortokLekerdezeseClick);
    connect(Button_Megnyitas, &QPushButton::clicked, this, &TForm_Main::Button_MegnyitasClick);
    connect(Button_Bezaras, &QPushButton::clicked, this, &TForm_Main::Button_BezarasClick);
    connect(Button_AddNetworkPort, &QPushButton::clicked, this, &TForm_Main::Button_AddNetworkPortClick);
    connect(Button_RemoveNetworkPort, &QPushButton::clicked, this,
            &TForm_Main::Button_RemoveNetworkPortClick);
    connect(Timer_TX, &QTimer::timeout, this, &TForm_Main::Timer_TXTimer);
    connect(Timer_RX, &QTimer::timeout, this, &TForm_Main::Timer_RXTimer);
    connect(Button_FileMegnyitas, &QPushButton::clicked, this, &TForm_Main::Button_FileMegnyitasClick);
    connect(Button_FileMentes, &QPushButton::clicked, this, &TForm_Main::Button_FileMentesClick);
    connect(Button_ZT7208GyariBeall, &QPushButton::clicked, this, &TForm_Main::Button_ZT7208GyariBeallClick);
    connect(Button_ZT7208AktBeallKiolvasas, &QPushButton::clicked, this,
            &TForm_Main::Button_ZT7208AktBeallKiolvasasClick);
    connect(Button_ZT7208Letoltes, &QPushButton::clicked, this, &TForm_Main::Button_ZT7208LetoltesClick);
    connect(Button_GyariElsoInic, &QPushButton::clicked, this, &TForm_Main::Button_GyariElsoInicClick);
    connect(Button_GyariElsoInicB, &QPushButton::clicked, this, &TForm_Main::Button_GyariElsoInicClick);
    connect(Button_7208ImpulzusKiolvasas, &QPushButton::clicked, this,
            &TForm_Main::Button_7208ImpulzusKiolvasasClick);
    connect(SpeedButton_7208FolymatosKiolvasas, &QPushButton::toggled, this,
            &TForm_Main::ScheduleContinuousRefresh);
    connect(CheckBox_Gyors, &QCheckBox::toggled, this, &TForm_Main::ScheduleContinuousRefresh);
    connect(PageControl_ZT7208, &QTabWidget::currentChanged, this, &TForm_Main::ScheduleContinuousRefresh);
    connect(Button_7208HibabitTorles, &QPushButton::clicked, this,
            &TForm_Main::Button_7208HibabitTorlesClick);
    connect(Button_7208ImpulzusertekBeiras, &QPushButton::clicked, this,
            &TForm_Main::Button_7208ImpulzusertekBeirasClick);
    for (int k = 0; k < 8; ++k) {
        QTimer* timer = Timer_ZT7208Imp[k];
        connect(timer, &QTimer::timeout, this, [this, timer] { Timer_ZT7208Imp1Timer(timer); });
        TSpeedButton* select = SpeedButton_7208ErtekBeiras[k];
        connect(select, &TSpeedButton::clicked, this,
                [this, select] { SpeedButton_7208ErtekBeiras1Click(select); });
        TLabeledEdit* value = LabeledEdit_7208Ertek[k];
        connect(value, &TLabeledEdit::DoubleClicked, this,
                [this, value] { LabeledEdit_7208Ertek1DblClick(value); });
    }
}

void TForm_Main::ConnectSession() {
    using session::DeviceSession;
    connect(m_session, &DeviceSession::PortOpened, this, &TForm_Main::ComPort1PortOpen);
    connect(m_session, &DeviceSession::PortClosed, this, &TForm_Main::ComPort1PortClose);
    connect(m_session, &DeviceSession::FrameSent, this, &TForm_Main::LightTxLamp);
    connect(m_session, &DeviceSession::FrameNotSent, this, &TForm_Main::Timer_TXTimer);
    connect(m_session, &DeviceSession::CharactersReceived, this, &TForm_Main::LightRxLamp);
    connect(m_session, &DeviceSession::OperationFinished, this, &TForm_Main::OperationFinished);
}

void TForm_Main::OperationFinished(const device::OperationResult& result) {
    if (const device::SettingsAnswer* settings = result.Settings()) ShowSettingsBlock(*settings);
    if (const device::CounterStatusReport* report = result.Report()) {
        // The page shows the report first; then its rates and the counter log, and the readings are current.
        ShowCounterStatus(*report);
        TakeCounterReport(*report);
        MarkReadingsStale({});
    }
    // Released before the box, so the refresh does not go on while it is open.
    if (result.StopsContinuousRefresh()) ReleaseContinuousRefresh();
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

} // namespace zeph::app
