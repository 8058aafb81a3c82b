// SPDX-License-Identifier: MIT
// The frame of the main window: the heading, the page control with the two pages and the right-hand panel
// beside it. The pages and the panel scroll when the window is smaller than they are, so a small or scaled
// screen reaches all of them. Where the window opens, and what it remembers of itself between runs.
#include "app/TForm_Main.h"

#include "app/CountersPage.h"
#include "app/MonitorControl.h"
#include "app/RightPanel.h"
#include "app/SettingsPage.h"
#include "app/widgets/PageScrollArea.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zeph::app {

namespace {

// The mnemonics changed texts after the layouts were built. A window never shown has not brought its
// nested layouts up to date, and its size hint would still measure the texts without them.
void RefreshLayouts(QWidget* window) {
    const QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (auto widget = widgets.crbegin(); widget != widgets.crend(); ++widget) {
        if ((*widget)->layout()) (*widget)->layout()->activate();
        (*widget)->updateGeometry();
    }
    window->layout()->activate();
}

} // namespace

void TForm_Main::BuildWindow() {
    // The design's pages need about 1,350 pixels beside the panel in Hungarian, a little less in English:
    // a 1366x768 laptop at 100 %. Narrower screens (1024x768, 1366x768 at 125 %, 1920x1080 at 150 %)
    // get the reflowed pages, which scroll up and down only.
    const QScreen* screen = QGuiApplication::primaryScreen();
    m_narrow = screen && screen->availableGeometry().width() < 1360;
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Form_Main_Client"));
    auto* rows = new QVBoxLayout(central);
    rows->setContentsMargins(6, 6, 6, 6);
    rows->setSpacing(6);

    Panel4 = new QLabel(tr("ZEPH7208 Pulse Collector"), central);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setAlignment(Qt::AlignCenter);
    Panel4->setFrameShape(QFrame::Panel);
    Panel4->setFrameShadow(QFrame::Raised);
    QFont heading = Panel4->font();
    heading.setPointSize(heading.pointSize() + 4);
    heading.setBold(true);
    Panel4->setFont(heading);
    Panel4->setMinimumHeight(30);
    rows->addWidget(Panel4);

    auto* body = new QHBoxLayout;
    body->setSpacing(6);
    PageControl_ZT7208 = new QTabWidget(central);
    PageControl_ZT7208->setObjectName(QStringLiteral("PageControl_ZT7208"));
    m_settingsPage = new SettingsPage(m_services, m_narrow);
    m_countersPage = new CountersPage(m_services, m_narrow);
    PageControl_ZT7208->addTab(m_settingsPage, tr("General settings"));
    PageControl_ZT7208->addTab(m_countersPage, tr("Counted pulses, Error messages"));
    PageControl_ZT7208->setCurrentWidget(m_settingsPage);
    body->addWidget(PageControl_ZT7208, 1);
    // The column scrolls only up and down; room for its scroll bar is kept so that it never covers it.
    m_panel = new RightPanel(m_services, m_options, *m_settingsPage);
    auto* sideArea = new PageScrollArea(QStringLiteral("Panel_Side_ScrollArea"), m_panel, central);
    sideArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sideArea->setFixedWidth(m_panel->width() + sideArea->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    body->addWidget(sideArea);
    rows->addLayout(body, 1);

    setCentralWidget(central);
}

void TForm_Main::PlaceWindow() {
    RefreshLayouts(this);
    setGeometry(FirstPlace(m_windowMemory.place, sizeHint()));
    if (m_windowMemory.maximized) setWindowState(windowState() | Qt::WindowMaximized);
    PageControl_ZT7208->setCurrentIndex(m_windowMemory.page);
    m_countersPage->CheckBox_Gyors->setChecked(m_windowMemory.fastRefresh);
    m_monitor->SetSaveFolder(m_windowMemory.frameMonitorFolder);
}

void TForm_Main::RememberWindow() {
    m_windowMemory.place = normalGeometry();
    m_windowMemory.maximized = isMaximized();
    m_windowMemory.page = PageControl_ZT7208->currentIndex();
    m_windowMemory.fastRefresh = m_countersPage->CheckBox_Gyors->isChecked();
    m_windowMemory.frameMonitorFolder = m_monitor->SaveFolder();
    WriteWindowMemory(m_iniPath, m_windowMemory); // a failure is swallowed, as the INI file's own
}

} // namespace zeph::app
