// SPDX-License-Identifier: MIT
// The main window for the keyboard and for screen readers: the mnemonics and accessible names of every
// room, the shortcuts, the Tab order of each page, and a page change told to screen readers. The readings'
// names and the inputs' summaries are the counters page's.
#include "app/TForm_Main.h"

#include "app/AccessibleNames.h"
#include "app/CountersPage.h"
#include "app/Language.h"
#include "app/Mnemonics.h"
#include "app/PortGroup.h"
#include "app/RightPanel.h"
#include "app/SettingsPage.h"

#include <QAbstractButton>
#include <QAccessible>
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

} // namespace

void TForm_Main::SetUpKeyboardAndNames() {
    // Mnemonics go on over the captions, which keep their exact texts.
    QStringList missing = ApplyMnemonics(this, MainWindowMnemonics(InstalledLanguage()));
    missing += ApplyAccessibleNames(this, MainWindowAccessibleNames());
    Q_ASSERT_X(missing.isEmpty(), "SetUpKeyboardAndNames", qPrintable(missing.join(u',')));

    PressWith("Shortcut_OpenSettingsFile", QKeySequence(Qt::CTRL | Qt::Key_O), m_panel->Button_FileMegnyitas);
    PressWith("Shortcut_SaveSettingsFile", QKeySequence(Qt::CTRL | Qt::Key_S), m_panel->Button_FileMentes);
    PressWith("Shortcut_Refresh", QKeySequence(Qt::Key_F5), m_countersPage->Button_7208ImpulzusKiolvasas);
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

    SetTabOrder();
    m_panel->Ports->NameLamps();
    m_countersPage->NameReadings();
    m_countersPage->NameInputSummaries();
}

// Reading order: the tab bar, the page shown (only it is reached), then the right-hand panel.
void TForm_Main::SetTabOrder() {
    QList<QWidget*> order{PageControl_ZT7208->findChild<QTabBar*>()};
    order << m_settingsPage->TabOrder() << m_countersPage->TabOrder() << m_panel->TabOrder();
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
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

} // namespace zeph::app
