// SPDX-License-Identifier: MIT
// The main window for the keyboard and for screen readers: the Tab order of each page, the mnemonics and
// shortcuts, the accessible names and the state texts of lamps, flags and readings.
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
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

namespace zeph::app {

namespace {

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
    // Mnemonics go on after the caption set, which keeps the exact texts.
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

    SetTabOrder();
    ShowLamp(Shape_Port, Lamp::Port, false);
    ShowLamp(Shape_TX, Lamp::Tx, false);
    ShowLamp(Shape_RX, Lamp::Rx, false);
    NameReadings();
}

// Reading order: the tab bar; on the settings page the input groups row by row, each group's controls in
// order, then the MODBUS group; on the counters page the counter rows, the buttons under them, then the
// error groups beside them; last the right-hand panel. Only the page shown is reached.
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
    for (int k = 0; k < 8; ++k)
        order << LabeledEdit_7208Ertek[k] << SpeedButton_7208ErtekBeiras[k];
    order << Button_7208ImpulzusertekBeiras << Button_7208ImpulzusKiolvasas
          << SpeedButton_7208FolymatosKiolvasas << CheckBox_Gyors << SpeedButton_RecordCounters
          << Button_History << Button_GyariElsoInic << Button_7208HibabitTorles;
    order << ListBox_ComPortLista << Button_PortokLekerdezese << Button_AddNetworkPort
          << Button_RemoveNetworkPort << Button_Megnyitas << Button_Bezaras << Button_FileMegnyitas
          << Button_FileMentes << Button_ZT7208GyariBeall << Button_ZT7208AktBeallKiolvasas
          << Button_ZT7208Letoltes << Button_FrameMonitor << Button_Commissioning;
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
}

} // namespace zeph::app
