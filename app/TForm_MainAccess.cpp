// SPDX-License-Identifier: MIT
// The main window for the keyboard and for screen readers: the Tab order of each page, the mnemonics and
// shortcuts, the accessible names and the state texts of lamps, flags and readings, a page change told to
// screen readers, and each input's summary as a keyboard stop.
#include "app/TForm_Main.h"

#include "app/AccessibleNames.h"
#include "app/Mnemonics.h"
#include "app/widgets/ChangedOnly.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TRadioGroup.h"
#include "app/widgets/TShape.h"
#include "app/widgets/TSpeedButton.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace zeph::app {

namespace {

// An input's summary is named anew at most this often, so that a reader asked for it is not talked over.
constexpr int SummaryIntervalMs = 1000;

// Space on a summary's keyboard stop.
class SpaceFilter : public QObject {
public:
    SpaceFilter(QObject* parent, std::function<void(QWidget*)> pressed)
        : QObject(parent)
        , m_pressed(std::move(pressed)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Space)
            return false;
        m_pressed(static_cast<QWidget*>(watched));
        return true;
    }

private:
    std::function<void(QWidget*)> m_pressed;
};

QShortcut* MakeShortcut(const char* name, const QList<QKeySequence>& keys, QWidget* parent) {
    auto* shortcut = new QShortcut(parent);
    shortcut->setObjectName(QLatin1String(name));
    shortcut->setKeys(keys);
    return shortcut;
}

// A shortcut that presses a button. It lives on the button, so it works only while the button is shown
// and enabled: F5 only on the counters page with the port open.
void PressWith(const char* name, const QKeySequence& key, QAbstractButton* button) {
    QObject::connect(MakeShortcut(name, {key}, button), &QShortcut::activated, button,
                     &QAbstractButton::click);
    button->setToolTip(TForm_Main::tr("Shortcut: %1").arg(key.toString(QKeySequence::NativeText)));
}

void AppendRadioItems(QList<QWidget*>& order, const TRadioGroup* group) {
    for (int i = 0; i < group->Items().size(); ++i)
        order << group->findChild<QWidget*>(group->objectName() + QStringLiteral("_Item%1").arg(i));
}

} // namespace

void TForm_Main::SetUpKeyboardAndNames() {
    // Mnemonics go on over the captions, which keep their exact texts.
    QStringList missing = ApplyMnemonics(this, MainWindowMnemonics(InstalledLanguage()));
    missing += ApplyAccessibleNames(this, MainWindowAccessibleNames());
    Q_ASSERT_X(missing.isEmpty(), "SetUpKeyboardAndNames", qPrintable(missing.join(u',')));

    PressWith("Shortcut_OpenSettingsFile", QKeySequence(Qt::CTRL | Qt::Key_O), Button_FileMegnyitas);
    PressWith("Shortcut_SaveSettingsFile", QKeySequence(Qt::CTRL | Qt::Key_S), Button_FileMentes);
    PressWith("Shortcut_Refresh", QKeySequence(Qt::Key_F5), Button_7208ImpulzusKiolvasas);
    // Delete on the port list removes the network port selected there; the list is disabled while open.
    auto* remove = MakeShortcut("Shortcut_RemoveNetworkPort", {QKeySequence::Delete}, ListBox_ComPortLista);
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &TForm_Main::Button_RemoveNetworkPortClick);
    // Wherever the focus is in the window, also in the right-hand panel, which the page control's own
    // Ctrl+Tab does not reach.
    const auto turnPage = [this](int step) {
        const int count = PageControl_ZT7208->count();
        PageControl_ZT7208->setCurrentIndex((PageControl_ZT7208->currentIndex() + step + count) % count);
    };
    connect(MakeShortcut("Shortcut_NextPage",
                         {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
                         this),
            &QShortcut::activated, this, [turnPage] { turnPage(1); });
    connect(MakeShortcut("Shortcut_PreviousPage",
                         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                          QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
                         this),
            &QShortcut::activated, this, [turnPage] { turnPage(-1); });

    connect(PageControl_ZT7208, &QTabWidget::currentChanged, this, &TForm_Main::AnnouncePage);

    // Each input's name ("IN3") is a keyboard stop whose name sums up the input's readings and flags.
    Timer_InputSummaries = new QTimer(this);
    Timer_InputSummaries->setObjectName(QStringLiteral("Timer_InputSummaries"));
    Timer_InputSummaries->setSingleShot(true);
    connect(Timer_InputSummaries, &QTimer::timeout, this, [this] { NameInputSummaries(); });
    // Released, the continuous refresh lets a focused summary catch up.
    connect(SpeedButton_7208FolymatosKiolvasas, &QAbstractButton::toggled, this, [this](bool down) {
        if (!down) ScheduleInputSummaries();
    });
    auto* space = new SpaceFilter(this, [this](QWidget* label) {
        const int k = int(std::find(Label_7208IN.begin(), Label_7208IN.end(), label) - Label_7208IN.begin());
        if (k >= 8) return;
        // Said again also when unchanged: the reader was asked.
        const QString summary = InputSummaryOf(k);
        if (label->accessibleName() != summary) {
            label->setAccessibleName(summary);
        } else {
            QAccessibleEvent event(label, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
    });
    for (TColorLabel* label : Label_7208IN) {
        label->setFocusPolicy(Qt::TabFocus);
        label->installEventFilter(space);
    }

    SetTabOrder();
    ShowLamp(Shape_Port, Lamp::Port, false);
    ShowLamp(Shape_TX, Lamp::Tx, false);
    ShowLamp(Shape_RX, Lamp::Rx, false);
    NameReadings();
    NameInputSummaries();
}

// Reading order: the tab bar; on the settings page the input groups row by row, each group's controls in
// order, then the MODBUS group; on the counters page the counter rows (each input's summary, its preset
// field and Select, or the preset fields after the rows on a narrow screen), the buttons, then the error
// groups; last the right-hand panel. Only the page shown is reached.
void TForm_Main::SetTabOrder() {
    QList<QWidget*> order{PageControl_ZT7208->findChild<QTabBar*>()};
    for (int k = 0; k < 8; ++k) {
        AppendRadioItems(order, RadioGroup_7208BemTip[k]);
        AppendRadioItems(order, RadioGroup_7208BemEl[k]);
        order << CheckBox_7208PergMentesites[k] << LabeledEdit_7208BemTimeOut[k];
    }
    AppendRadioItems(order, RadioGroup_7208MbParitas);
    order << ListBox_7208MbSebesseg << LabeledEdit_7208MbKeszulekcim << LabeledEdit_7208MbIdokorlat
          << LabeledEdit_7208MbValaszKeslIdo << CheckBox_7208MbRFelLe << CheckBox_7208MbRLezaro
          << Button_GyariElsoInicB;
    // The preset fields stand in the rows, or under them on a narrow screen.
    for (int k = 0; k < 8; ++k) {
        order << Label_7208IN[k];
        if (!m_narrow) order << LabeledEdit_7208Ertek[k] << SpeedButton_7208ErtekBeiras[k];
    }
    for (int k = 0; k < 8 && m_narrow; ++k)
        order << LabeledEdit_7208Ertek[k] << SpeedButton_7208ErtekBeiras[k];
    order << Button_7208ImpulzusertekBeiras << Button_7208ImpulzusKiolvasas
          << SpeedButton_7208FolymatosKiolvasas << CheckBox_Gyors << SpeedButton_RecordCounters
          << Button_History << Button_GyariElsoInic << Button_7208HibabitTorles;
    order << ListBox_ComPortLista << Button_PortokLekerdezese << Button_AddNetworkPort
          << Button_RemoveNetworkPort << Button_Megnyitas << Button_Bezaras << Button_FileMegnyitas
          << Button_FileMentes << Button_ZT7208GyariBeall << Button_ZT7208AktBeallKiolvasas
          << Button_ZT7208Letoltes << Button_FrameMonitor << Button_Commissioning << ComboBox_Language;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TForm_Main::ShowLamp(TShape* lamp, Lamp which, bool lit) {
    SetNameIfChanged(lamp, LampText(which, lit));
}

void TForm_Main::NameReadings() {
    // Only a reading whose text has changed since it was last named is worded again: most of a report's
    // readings stand still.
    const auto name = [](QLabel* label, Reading reading, int input) {
        const QString shown = label->text();
        const QVariant named = label->property("namedText");
        if (named.isValid() && named.toString() == shown) return;
        label->setProperty("namedText", shown);
        SetNameIfChanged(label, ReadingName(reading, input, shown));
    };
    for (int k = 0; k < 8; ++k) {
        name(Label_7208Szamlalo[k], Reading::Counter, k + 1);
        name(Label_7208Ido[k], Reading::Interval, k + 1);
        name(Label_CounterRate[k], Reading::Rate, k + 1);
    }
    ScheduleInputSummaries();
}

// A page turned by a shortcut, a mnemonic or a click is told as Qt tells a tab chosen with the arrow keys
// in the focused tab bar: the focus goes to the bar, which reports its current tab as focused, so that a
// reader says the new page's name. The control that had the focus may be on the page now hidden.
void TForm_Main::AnnouncePage(int index) {
    QTabBar* bar = PageControl_ZT7208->tabBar();
    if (!isVisible() || index < 0 || bar->hasFocus()) return; // the bar tells it itself
    bar->setFocus(Qt::OtherFocusReason);
    QAccessibleEvent event(bar, QAccessible::Focus);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
}

// A report is summed up at most once a second: each naming tells a listening reader, and a focused
// summary would be read out anew with every report of a continuous refresh.
void TForm_Main::ScheduleInputSummaries() {
    if (!Timer_InputSummaries || Timer_InputSummaries->isActive()) return;
    const qint64 since = m_summariesNamed.isValid() ? m_summariesNamed.elapsed() : SummaryIntervalMs;
    Timer_InputSummaries->start(int(std::max<qint64>(0, SummaryIntervalMs - since)));
}

void TForm_Main::NameInputSummaries() {
    m_summariesNamed.start();
    // While the continuous refresh runs, a focused summary keeps its name until asked (Space).
    const bool continuous = SpeedButton_7208FolymatosKiolvasas->Down();
    for (int k = 0; k < 8; ++k)
        if (!continuous || !Label_7208IN[k]->hasFocus()) SetNameIfChanged(Label_7208IN[k], InputSummaryOf(k));
}

QString TForm_Main::InputSummaryOf(int k) const {
    const auto set = [](const QWidget* flag) { return flag->accessibleDescription() == FlagStateText(true); };
    return InputSummary(k + 1, Label_7208Szamlalo[k]->text(), Label_CounterRate[k]->text(),
                        Label_7208Ido[k]->text(),
                        {set(Label_7208Overflow[k]), set(Label_7208TimeOut[k]), set(Label_7208Szakadas[k]),
                         set(Label_7208Zarlat[k])});
}

} // namespace zeph::app
