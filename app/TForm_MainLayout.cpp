// SPDX-License-Identifier: MIT
// The frame of the main window: the heading, the page control and the column of the serial-port,
// settings-file and device groups beside it. The pages and the column scroll when the window is smaller
// than they are, so a small or scaled screen reaches all of them. Where the window opens, and what it
// remembers of itself between runs.
#include "app/TForm_Main.h"

#include "app/FrameMonitor.h"
#include "app/widgets/PageScrollArea.h"
#include "app/widgets/TShape.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zeph::app {

namespace {

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

// A tab page that holds its content in a scroll area. Anything added to the page's own layout later
// stays in view above the scrolling part.
QWidget* ScrolledPage(const QString& name, QWidget* content) {
    auto* page = new QWidget;
    page->setObjectName(name);
    content->setObjectName(name + QStringLiteral("_Content"));
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(new PageScrollArea(name + QStringLiteral("_ScrollArea"), content, page));
    return page;
}

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
    TabSheet_BeallithatoLetolthetoPar =
        ScrolledPage(QStringLiteral("TabSheet_BeallithatoLetolthetoPar"), BuildSettingsPage());
    TabSheet_Impulzusok = ScrolledPage(QStringLiteral("TabSheet_Impulzusok"), BuildCountersPage());
    PageControl_ZT7208->addTab(TabSheet_BeallithatoLetolthetoPar, tr("General settings"));
    PageControl_ZT7208->addTab(TabSheet_Impulzusok, tr("Counted pulses, Error messages"));
    PageControl_ZT7208->setCurrentWidget(TabSheet_BeallithatoLetolthetoPar);
    body->addWidget(PageControl_ZT7208, 1);
    // The column scrolls only up and down; room for its scroll bar is kept so that it never covers it.
    QWidget* side = BuildSidePanel();
    auto* sideArea = new PageScrollArea(QStringLiteral("Panel_Side_ScrollArea"), side, central);
    sideArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sideArea->setFixedWidth(side->width() + sideArea->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    body->addWidget(sideArea);
    rows->addLayout(body, 1);

    setCentralWidget(central);
}

QWidget* TForm_Main::BuildSidePanel() {
    auto* column = new QWidget;
    column->setObjectName(QStringLiteral("Panel_Side"));
    // Wide enough for the longest device button caption, no wider: the pages need the room.
    column->setFixedWidth(262);
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(6);

    // Serial port: the list on top, then refresh, adding and removing network ports, the lamps, open and
    // close.
    GroupBox_SorosPortKivalasztasa = new QGroupBox(column);
    GroupBox_SorosPortKivalasztasa->setObjectName(QStringLiteral("GroupBox_SorosPortKivalasztasa"));
    auto* port = new QGridLayout(GroupBox_SorosPortKivalasztasa);
    port->setContentsMargins(6, 6, 6, 6);
    port->setVerticalSpacing(4);
    ListBox_ComPortLista = new QListWidget(GroupBox_SorosPortKivalasztasa);
    ListBox_ComPortLista->setObjectName(QStringLiteral("ListBox_ComPortLista"));
    ListBox_ComPortLista->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox_ComPortLista->setMinimumHeight(80);
    ListBox_ComPortLista->setMaximumHeight(110);
    Label_Portok = new QLabel(tr("List of serial ports"), GroupBox_SorosPortKivalasztasa);
    Label_Portok->setObjectName(QStringLiteral("Label_Portok"));
    Label_Portok->setBuddy(ListBox_ComPortLista);
    // What the list left out and what to do about it; hidden while nothing was.
    Label_PortHint = new QLabel(GroupBox_SorosPortKivalasztasa);
    Label_PortHint->setObjectName(QStringLiteral("Label_PortHint"));
    Label_PortHint->setWordWrap(true);
    Label_PortHint->setStyleSheet(QStringLiteral("color: rgb(160, 60, 0);"));
    Label_PortHint->setVisible(false);
    Button_PortokLekerdezese =
        MakeButton("Button_PortokLekerdezese", tr("Refresh list"), GroupBox_SorosPortKivalasztasa);
    Button_AddNetworkPort =
        MakeButton("Button_AddNetworkPort", tr("Add network port…"), GroupBox_SorosPortKivalasztasa);
    Button_AddNetworkPort->setToolTip(
        tr("A serial server on the network, reached as tcp://HOST:PORT or rfc2217://HOST:PORT"));
    Button_RemoveNetworkPort =
        MakeButton("Button_RemoveNetworkPort", tr("Remove network port"), GroupBox_SorosPortKivalasztasa);
    Button_RemoveNetworkPort->setToolTip(tr("Takes the selected network port off the list (Delete)"));
    Button_RemoveNetworkPort->setEnabled(false);

    auto* lamps = new QHBoxLayout;
    Shape_TX = new TShape(QStringLiteral("Shape_TX"), GroupBox_SorosPortKivalasztasa);
    Shape_TX->setFixedSize(18, 18);
    Label_TX = new QLabel(QStringLiteral("TX"), GroupBox_SorosPortKivalasztasa);
    Label_TX->setObjectName(QStringLiteral("Label_TX"));
    Shape_RX = new TShape(QStringLiteral("Shape_RX"), GroupBox_SorosPortKivalasztasa);
    Shape_RX->setFixedSize(18, 18);
    Label_RX = new QLabel(QStringLiteral("RX"), GroupBox_SorosPortKivalasztasa);
    Label_RX->setObjectName(QStringLiteral("Label_RX"));
    lamps->addWidget(Shape_TX);
    lamps->addWidget(Label_TX);
    lamps->addSpacing(16);
    lamps->addWidget(Shape_RX);
    lamps->addWidget(Label_RX);
    lamps->addStretch(1);

    // The port lamp holds the open button, a few pixels larger all round, and so frames it.
    Shape_Port = new TShape(QStringLiteral("Shape_Port"), GroupBox_SorosPortKivalasztasa);
    auto* frame = new QVBoxLayout(Shape_Port);
    frame->setContentsMargins(4, 4, 4, 4);
    Button_Megnyitas = MakeButton("Button_Megnyitas", tr("Open serial port"), Shape_Port);
    frame->addWidget(Button_Megnyitas);
    Button_Bezaras = MakeButton("Button_Bezaras", tr("Close serial port"), GroupBox_SorosPortKivalasztasa);
    Button_Bezaras->setEnabled(false);

    port->addWidget(ListBox_ComPortLista, 0, 0);
    auto* listCaption = new QVBoxLayout;
    listCaption->setSpacing(2);
    listCaption->addWidget(Label_Portok);
    listCaption->addWidget(Label_PortHint);
    port->addLayout(listCaption, 1, 0);
    port->addWidget(Button_PortokLekerdezese, 2, 0);
    port->addWidget(Button_AddNetworkPort, 3, 0);
    port->addWidget(Button_RemoveNetworkPort, 4, 0);
    port->addLayout(lamps, 5, 0);
    port->addWidget(Shape_Port, 6, 0);
    port->addWidget(Button_Bezaras, 7, 0);
    stack->addWidget(GroupBox_SorosPortKivalasztasa);

    // Its caption stays empty until a save names the file.
    GroupBox_FajlMuveletek = new QGroupBox(column);
    GroupBox_FajlMuveletek->setObjectName(QStringLiteral("GroupBox_FajlMuveletek"));
    auto* file = new QVBoxLayout(GroupBox_FajlMuveletek);
    file->setContentsMargins(6, 6, 6, 6);
    Button_FileMegnyitas =
        MakeButton("Button_FileMegnyitas", tr("Open settings file"), GroupBox_FajlMuveletek);
    Button_FileMentes = MakeButton("Button_FileMentes", tr("Save settings to file"), GroupBox_FajlMuveletek);
    file->addWidget(Button_FileMegnyitas);
    file->addWidget(Button_FileMentes);
    stack->addWidget(GroupBox_FajlMuveletek);

    GroupBox_KeszulekOlvasasIras = new QGroupBox(column);
    GroupBox_KeszulekOlvasasIras->setObjectName(QStringLiteral("GroupBox_KeszulekOlvasasIras"));
    auto* device = new QVBoxLayout(GroupBox_KeszulekOlvasasIras);
    device->setContentsMargins(6, 6, 6, 6);
    Button_ZT7208GyariBeall = MakeButton(
        "Button_ZT7208GyariBeall", tr("Read factory defaults from instrument"), GroupBox_KeszulekOlvasasIras);
    Button_ZT7208AktBeallKiolvasas = MakeButton(
        "Button_ZT7208AktBeallKiolvasas", tr("Read settings from instrument"), GroupBox_KeszulekOlvasasIras);
    Button_ZT7208Letoltes =
        MakeButton("Button_ZT7208Letoltes", tr("Write settings to instrument"), GroupBox_KeszulekOlvasasIras);
    for (QPushButton* button :
         {Button_ZT7208GyariBeall, Button_ZT7208AktBeallKiolvasas, Button_ZT7208Letoltes}) {
        button->setEnabled(false);
        device->addWidget(button);
    }
    stack->addWidget(GroupBox_KeszulekOlvasasIras);
    Button_FrameMonitor = MakeButton("Button_FrameMonitor", tr("Frame monitor"), column);
    Button_FrameMonitor->setToolTip(tr("Every frame on the line with the verdict on each answer (F12)"));
    stack->addWidget(Button_FrameMonitor);
    Button_Commissioning = MakeButton("Button_Commissioning", tr("Commissioning…"), column);
    Button_Commissioning->setToolTip(
        tr("Sets up many devices from a template settings file and a device list, with a report"));
    stack->addWidget(Button_Commissioning);

    // Our own: the window's language, taken at the next start (the texts are built with the window).
    auto* language = new QHBoxLayout;
    Label_Language = new QLabel(tr("Language"), column);
    Label_Language->setObjectName(QStringLiteral("Label_Language"));
    ComboBox_Language = new QComboBox(column);
    ComboBox_Language->setObjectName(QStringLiteral("ComboBox_Language"));
    // Each language in its own words, so that a user who cannot read the other finds theirs.
    ComboBox_Language->addItem(QStringLiteral("English"), LanguageCode(Language::English));
    ComboBox_Language->addItem(QStringLiteral("Magyar"), LanguageCode(Language::Hungarian));
    ComboBox_Language->setCurrentIndex(InstalledLanguage() == Language::Hungarian ? 1 : 0);
    Label_Language->setBuddy(ComboBox_Language);
    language->addWidget(Label_Language);
    language->addWidget(ComboBox_Language, 1);
    stack->addLayout(language);
    Label_LanguageNote = new QLabel(tr("The window changes its language at the next start."), column);
    Label_LanguageNote->setObjectName(QStringLiteral("Label_LanguageNote"));
    Label_LanguageNote->setWordWrap(true);
    Label_LanguageNote->setVisible(false);
    stack->addWidget(Label_LanguageNote);
    connect(ComboBox_Language, &QComboBox::activated, this, &TForm_Main::ComboBox_LanguageChange);
    stack->addStretch(1);
    return column;
}

void TForm_Main::ComboBox_LanguageChange(int index) {
    const std::optional<Language> chosen = LanguageFromCode(ComboBox_Language->itemData(index).toString());
    if (!chosen) return;
    RememberLanguage(m_iniPath, *chosen);
    const bool later = *chosen != InstalledLanguage();
    Label_LanguageNote->setVisible(later);
    ComboBox_Language->setAccessibleDescription(later ? Label_LanguageNote->text() : QString());
}

void TForm_Main::PlaceWindow() {
    RefreshLayouts(this);
    setGeometry(FirstPlace(m_windowMemory.place, sizeHint()));
    if (m_windowMemory.maximized) setWindowState(windowState() | Qt::WindowMaximized);
    PageControl_ZT7208->setCurrentIndex(m_windowMemory.page);
    CheckBox_Gyors->setChecked(m_windowMemory.fastRefresh);
    m_frameMonitor->SetSaveFolder(m_windowMemory.frameMonitorFolder);
}

void TForm_Main::RememberWindow() {
    m_windowMemory.place = normalGeometry();
    m_windowMemory.maximized = isMaximized();
    m_windowMemory.page = PageControl_ZT7208->currentIndex();
    m_windowMemory.fastRefresh = CheckBox_Gyors->isChecked();
    m_windowMemory.frameMonitorFolder = m_frameMonitor->SaveFolder();
    WriteWindowMemory(m_iniPath, m_windowMemory); // a failure is swallowed, as the INI file's own
}

} // namespace zeph::app
