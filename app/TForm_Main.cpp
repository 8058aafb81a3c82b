// The main window's construction, start-up and shut-down, the enabling rule and the handlers that
// belong to the window itself; the page layouts live in TForm_Main*Page.cpp.
#include "app/TForm_Main.h"

#include "app/CaptionSet.h"
#include "app/QtUserDialogs.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TShape.h"
#include "app/widgets/TSpeedButton.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

namespace zeph::app {

namespace {
const QColor PortOpenGreen(13, 151, 30);
} // namespace

TForm_Main::TForm_Main(const StartOptions& options, QWidget* parent)
    : QMainWindow(parent)
    , m_options(options)
    , m_ownDialogs(std::make_unique<QtUserDialogs>(this))
    , m_dialogs(m_ownDialogs.get()) {
    setObjectName(QStringLiteral("Form_Main"));
    BuildWindow();
    BuildTimers();
    ConnectHandlers();
    FormCreate();
    CentreOnScreen();
}

TForm_Main::~TForm_Main() = default;

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
    setWindowTitle(QStringLiteral("ZEPH7208 configurator   v") + VersionText +
                   QStringLiteral("   Velmar Kft."));

    NoAnswerText = QStringLiteral("A ZEPH7208 nem válaszolt.");
    WrongDeviceText = QStringLiteral(" című periféria nem ZEPH7208.");

    ApplyEnglishCaptions();
    ReadIniFile();
    Button_PortokLekerdezeseClick();
    PeripheralAddress = 15;
    RetryLimit = 10;
    ResetOperationState();
    // ExtraTimeout := 0 belongs to the transaction engine, which starts with it.
}

void TForm_Main::ApplyEnglishCaptions() {
    const auto& rows = EnglishCaptionSet();
    const QStringList missing = ApplyCaptionRows(this, rows);
    // A missing control is a build fault of the window, never a user's problem.
    Q_ASSERT_X(missing.isEmpty(), "ApplyEnglishCaptions", qPrintable(missing.join(u',')));
    for (const CaptionRow& row : rows) {
        if (row.target != CaptionTarget::Message) continue;
        if (row.name == QLatin1String("NoAnswerText"))
            NoAnswerText = row.english.value(0);
        else if (row.name == QLatin1String("WrongDeviceText"))
            WrongDeviceText = row.english.value(0);
    }
}

void TForm_Main::ReadIniFile() {
    // Filled in with the application INI file: sets PreferredPort and the carried-through values.
}

void TForm_Main::WriteIniFile() {
    // Filled in with the application INI file; every failure is swallowed there.
}

void TForm_Main::FormClose() {
    if (Button_Bezaras->isEnabled()) Button_BezarasClick();
    WriteIniFile();
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept(); // closing is never refused
}

void TForm_Main::ResetOperationState() {
    // SequenceStep, OperationStep and the engine state return to idle here once the operation
    // machine and the transaction engine are children of the window.
}

void TForm_Main::UpdateControlEnabling() {
    const bool open = PortIsOpen;
    Button_Megnyitas->setEnabled(!open);
    Button_Bezaras->setEnabled(open);
    Button_PortokLekerdezese->setEnabled(!open);
    Button_7208ImpulzusKiolvasas->setEnabled(open);
    // Released first, so no refresh is left pending behind a disabled toggle.
    if (!open) SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    SpeedButton_7208FolymatosKiolvasas->setEnabled(open);
    Button_GyariElsoInic->setEnabled(open);
    Button_GyariElsoInicB->setEnabled(open);
    Button_7208HibabitTorles->setEnabled(open);
    Button_7208ImpulzusertekBeiras->setEnabled(open);
    Button_ZT7208GyariBeall->setEnabled(open);
    Button_ZT7208AktBeallKiolvasas->setEnabled(open);
    Button_ZT7208Letoltes->setEnabled(open);
}

void TForm_Main::CentreOnScreen() {
    resize(sizeHint());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = rect();
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
}

// ---- the serial-port group

void TForm_Main::Button_PortokLekerdezeseClick() {
    // Filled in with the port probe: empty the list, list the ports highest first, select PreferredPort.
}

void TForm_Main::Button_MegnyitasClick() {
    // Filled in with ComPort1: open the selected port; its open event runs ComPort1PortOpen.
}

void TForm_Main::Button_BezarasClick() {
    // Until ComPort1 exists, closing an open port is just its close event.
    if (PortIsOpen) ComPort1PortClose();
}

void TForm_Main::ComPort1PortOpen() {
    PortIsOpen = true;
    Shape_Port->SetBrushColor(PortOpenGreen);
    ListBox_ComPortLista->setEnabled(false);
    UpdateControlEnabling();
    // Raising DTR and dropping RTS follows here once ComPort1 exists.
}

void TForm_Main::ComPort1PortClose() {
    ResetOperationState();
    PortIsOpen = false;
    Shape_Port->SetBrushColor(Qt::white);
    ListBox_ComPortLista->setEnabled(true);
    UpdateControlEnabling();
}

void TForm_Main::Timer_TXTimer() {
    Shape_TX->SetBrushColor(Qt::white);
    Timer_TX->stop();
}

void TForm_Main::Timer_RXTimer() {
    Shape_RX->SetBrushColor(Qt::white);
    Timer_RX->stop();
}

// ---- handlers whose work belongs to the subsystems wired in later

void TForm_Main::Button_FileMegnyitasClick() {}
void TForm_Main::Button_FileMentesClick() {}
void TForm_Main::Button_ZT7208GyariBeallClick() {}
void TForm_Main::Button_ZT7208AktBeallKiolvasasClick() {}
void TForm_Main::Button_ZT7208LetoltesClick() {}
void TForm_Main::Button_GyariElsoInicClick() {}
void TForm_Main::Button_7208ImpulzusKiolvasasClick() {}

// ---- the counters page

void TForm_Main::Timer_FolyamatosKiolvasasTimer() {
    // Showing the settings page pauses the reads without releasing the toggle.
    if (PageControl_ZT7208->currentWidget() == TabSheet_Impulzusok &&
        SpeedButton_7208FolymatosKiolvasas->Down())
        Button_7208ImpulzusKiolvasasClick();
}

void TForm_Main::Button_7208HibabitTorlesClick() {
    SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    // Then, when the operation machine is idle, it starts the clear request.
}

void TForm_Main::Timer_ZT7208Imp1Timer(QObject* sender) {
    auto* timer = qobject_cast<QTimer*>(sender);
    if (!timer) return;
    for (int k = 0; k < 8; ++k)
        if (timer->objectName() == QStringLiteral("Timer_ZT7208Imp%1").arg(k + 1))
            Label_7208IN[k]->SetColor(ButtonFace());
    timer->stop();
}

void TForm_Main::SpeedButton_7208ErtekBeiras1Click(QObject* sender) {
    ApplyCounterSelection(sender);
    bool anyDown = false;
    for (TSpeedButton* button : SpeedButton_7208ErtekBeiras)
        anyDown = anyDown || button->Down();
    Button_7208ImpulzusertekBeiras->setEnabled(anyDown);
}

void TForm_Main::ApplyCounterSelection(QObject* sender) {
    for (int k = 0; k < 8; ++k) {
        if (sender->objectName() != QStringLiteral("SpeedButton_7208ErtekBeiras%1").arg(k + 1)) continue;
        if (!SpeedButton_7208ErtekBeiras[k]->Down()) LabeledEdit_7208Ertek[k]->setEnabled(true);
        // A selection is checked with CheckNumberInRange(field, 0, 3999999999) once the number
        // checks are wired in: a pass freezes the field, a refusal releases the button.
    }
}

void TForm_Main::LabeledEdit_7208Ertek1DblClick(QObject* sender) {
    if (auto* edit = qobject_cast<TLabeledEdit*>(sender)) edit->setText(QStringLiteral("0"));
}

void TForm_Main::Button_7208ImpulzusertekBeirasClick() {
    SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    // Then, when the operation machine is idle, it starts the preset request.
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
    Timer_FolyamatosKiolvasas = makeTimer(QStringLiteral("Timer_FolyamatosKiolvasas"), 100, true);
    for (int k = 0; k < 8; ++k)
        Timer_ZT7208Imp[k] = makeTimer(QStringLiteral("Timer_ZT7208Imp%1").arg(k + 1), 500, false);
}

void TForm_Main::ConnectHandlers() {
    connect(Button_PortokLekerdezese, &QPushButton::clicked, this,
            &TForm_Main::Button_PortokLekerdezeseClick);
    connect(Button_Megnyitas, &QPushButton::clicked, this, &TForm_Main::Button_MegnyitasClick);
    connect(Button_Bezaras, &QPushButton::clicked, this, &TForm_Main::Button_BezarasClick);
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
    connect(Timer_FolyamatosKiolvasas, &QTimer::timeout, this, &TForm_Main::Timer_FolyamatosKiolvasasTimer);
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

} // namespace zeph::app
