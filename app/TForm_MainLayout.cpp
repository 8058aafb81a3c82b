// The frame of the main window: the heading, the page control and the column of the serial-port,
// settings-file and device groups beside it.
#include "app/TForm_Main.h"

#include "app/widgets/TShape.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zeph::app {

namespace {

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

void TForm_Main::BuildWindow() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Form_Main_Client"));
    auto* rows = new QVBoxLayout(central);
    rows->setContentsMargins(6, 6, 6, 6);
    rows->setSpacing(6);

    Panel4 = new QLabel(QStringLiteral("ZEPH7208 Pulse Collector"), central);
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
    TabSheet_BeallithatoLetolthetoPar = BuildSettingsPage();
    TabSheet_Impulzusok = BuildCountersPage();
    PageControl_ZT7208->addTab(TabSheet_BeallithatoLetolthetoPar, QStringLiteral("Beállítások"));
    PageControl_ZT7208->addTab(TabSheet_Impulzusok, QStringLiteral("Beszámolt impulzusok, hibaüzenetek"));
    PageControl_ZT7208->setCurrentWidget(TabSheet_BeallithatoLetolthetoPar);
    body->addWidget(PageControl_ZT7208, 1);
    body->addWidget(BuildSidePanel());
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

    // Serial port: the list on top, then refresh, the lamps, open and close.
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
    Label_Portok = new QLabel(QStringLiteral("Soros portok listája"), GroupBox_SorosPortKivalasztasa);
    Label_Portok->setObjectName(QStringLiteral("Label_Portok"));
    Label_Portok->setBuddy(ListBox_ComPortLista);
    // What the list left out and what to do about it; hidden while nothing was.
    Label_PortHint = new QLabel(GroupBox_SorosPortKivalasztasa);
    Label_PortHint->setObjectName(QStringLiteral("Label_PortHint"));
    Label_PortHint->setWordWrap(true);
    Label_PortHint->setStyleSheet(QStringLiteral("color: rgb(160, 60, 0);"));
    Label_PortHint->setVisible(false);
    Button_PortokLekerdezese = MakeButton("Button_PortokLekerdezese", QStringLiteral("A lista frissítése"),
                                          GroupBox_SorosPortKivalasztasa);

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
    Button_Megnyitas = MakeButton("Button_Megnyitas", QStringLiteral("Soros port megnyitás"), Shape_Port);
    frame->addWidget(Button_Megnyitas);
    Button_Bezaras =
        MakeButton("Button_Bezaras", QStringLiteral("Soros port bezárás"), GroupBox_SorosPortKivalasztasa);
    Button_Bezaras->setEnabled(false);

    port->addWidget(ListBox_ComPortLista, 0, 0);
    auto* listCaption = new QVBoxLayout;
    listCaption->setSpacing(2);
    listCaption->addWidget(Label_Portok);
    listCaption->addWidget(Label_PortHint);
    port->addLayout(listCaption, 1, 0);
    port->addWidget(Button_PortokLekerdezese, 2, 0);
    port->addLayout(lamps, 3, 0);
    port->addWidget(Shape_Port, 4, 0);
    port->addWidget(Button_Bezaras, 5, 0);
    stack->addWidget(GroupBox_SorosPortKivalasztasa);

    // Its caption stays empty until a save names the file.
    GroupBox_FajlMuveletek = new QGroupBox(column);
    GroupBox_FajlMuveletek->setObjectName(QStringLiteral("GroupBox_FajlMuveletek"));
    auto* file = new QVBoxLayout(GroupBox_FajlMuveletek);
    file->setContentsMargins(6, 6, 6, 6);
    Button_FileMegnyitas = MakeButton("Button_FileMegnyitas", QStringLiteral("Beállítás fájl megnyitása"),
                                      GroupBox_FajlMuveletek);
    Button_FileMentes =
        MakeButton("Button_FileMentes", QStringLiteral("Beállítások fájlba mentése"), GroupBox_FajlMuveletek);
    file->addWidget(Button_FileMegnyitas);
    file->addWidget(Button_FileMentes);
    stack->addWidget(GroupBox_FajlMuveletek);

    GroupBox_KeszulekOlvasasIras = new QGroupBox(column);
    GroupBox_KeszulekOlvasasIras->setObjectName(QStringLiteral("GroupBox_KeszulekOlvasasIras"));
    auto* device = new QVBoxLayout(GroupBox_KeszulekOlvasasIras);
    device->setContentsMargins(6, 6, 6, 6);
    Button_ZT7208GyariBeall =
        MakeButton("Button_ZT7208GyariBeall", QStringLiteral("Gyári alapértékek kiolvasása"),
                   GroupBox_KeszulekOlvasasIras);
    Button_ZT7208AktBeallKiolvasas =
        MakeButton("Button_ZT7208AktBeallKiolvasas", QStringLiteral("Beállítások kiolvasása a készülékből"),
                   GroupBox_KeszulekOlvasasIras);
    Button_ZT7208Letoltes =
        MakeButton("Button_ZT7208Letoltes", QStringLiteral("Beállítások készülékbe írása"),
                   GroupBox_KeszulekOlvasasIras);
    for (QPushButton* button :
         {Button_ZT7208GyariBeall, Button_ZT7208AktBeallKiolvasas, Button_ZT7208Letoltes}) {
        button->setEnabled(false);
        device->addWidget(button);
    }
    stack->addWidget(GroupBox_KeszulekOlvasasIras);
    Button_FrameMonitor = MakeButton("Button_FrameMonitor", QStringLiteral("Frame monitor"), column);
    Button_FrameMonitor->setToolTip(
        QStringLiteral("Every frame on the line with the verdict on each answer (F12)"));
    stack->addWidget(Button_FrameMonitor);
    stack->addStretch(1);
    return column;
}

} // namespace zeph::app
