// SPDX-License-Identifier: MIT
// The serial-port group: the list on top, then refresh, adding and removing network ports, the lamps,
// open and close; the list's upkeep, opening and closing, a port lost while open, the lamps, and the port
// the application INI file remembers. The network ports in the list are PortGroupNetwork.cpp's.
#include "app/PortGroup.h"

#include "app/AccessibleNames.h"
#include "app/widgets/ChangedOnly.h"
#include "app/widgets/ListBoxIndex.h"
#include "app/widgets/MakeNamed.h"
#include "app/widgets/TShape.h"
#include "comport/PortWatcher.h"
#include "line/PortText.h"
#include "session/DeviceSession.h"
#include "settingsfile/AppIniFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace zeph::app {

namespace {
const QColor PortOpenGreen(13, 151, 30);
const QColor ActivityRed(255, 0, 0);

// Lights a lamp for 500 ms after the last activity: every call starts a fresh period.
void LightLamp(TShape* lamp, QTimer* timer, const QColor& colour, const QString& shown) {
    lamp->SetBrushColor(colour);
    SetNameIfChanged(lamp, shown);
    timer->stop();
    timer->setInterval(500);
    timer->start();
}

QTimer* MakeLampTimer(const char* name, QObject* parent) {
    auto* timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(500);
    return timer;
}
} // namespace

PortGroup::PortGroup(const WindowServices& services, const StartOptions& options, QWidget* parent)
    : QGroupBox(parent)
    , m_services(services)
    , m_options(options) {
    setObjectName(QStringLiteral("GroupBox_SorosPortKivalasztasa"));
    Build();
    Timer_TX = MakeLampTimer("Timer_TX", this);
    Timer_RX = MakeLampTimer("Timer_RX", this);
    connect(Button_PortokLekerdezese, &QPushButton::clicked, this, &PortGroup::Button_PortokLekerdezeseClick);
    connect(Button_Megnyitas, &QPushButton::clicked, this, &PortGroup::Button_MegnyitasClick);
    connect(Button_Bezaras, &QPushButton::clicked, this, [this] { m_services.session->Close(); });
    connect(Button_AddNetworkPort, &QPushButton::clicked, this, &PortGroup::Button_AddNetworkPortClick);
    connect(Button_RemoveNetworkPort, &QPushButton::clicked, this, &PortGroup::Button_RemoveNetworkPortClick);
    connect(Timer_TX, &QTimer::timeout, this, &PortGroup::Timer_TXTimer);
    connect(Timer_RX, &QTimer::timeout, this, &PortGroup::Timer_RXTimer);
    using session::DeviceSession;
    connect(m_services.session, &DeviceSession::FrameSent, this, &PortGroup::LightTxLamp);
    connect(m_services.session, &DeviceSession::FrameNotSent, this, &PortGroup::Timer_TXTimer);
    connect(m_services.session, &DeviceSession::CharactersReceived, this, &PortGroup::LightRxLamp);
    // Delete on the list removes the network port selected there; the list is disabled while open.
    auto* remove = new QShortcut(QKeySequence::Delete, ListBox_ComPortLista);
    remove->setObjectName(QStringLiteral("Shortcut_RemoveNetworkPort"));
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &PortGroup::Button_RemoveNetworkPortClick);
}

void PortGroup::Build() {
    auto* port = new QGridLayout(this);
    port->setContentsMargins(6, 6, 6, 6);
    port->setVerticalSpacing(4);
    ListBox_ComPortLista = new QListWidget(this);
    ListBox_ComPortLista->setObjectName(QStringLiteral("ListBox_ComPortLista"));
    ListBox_ComPortLista->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox_ComPortLista->setMinimumHeight(80);
    ListBox_ComPortLista->setMaximumHeight(110);
    Label_Portok = new QLabel(tr("List of serial ports"), this);
    Label_Portok->setObjectName(QStringLiteral("Label_Portok"));
    Label_Portok->setBuddy(ListBox_ComPortLista);
    // What the list left out and what to do about it; hidden while nothing was.
    Label_PortHint = new QLabel(this);
    Label_PortHint->setObjectName(QStringLiteral("Label_PortHint"));
    Label_PortHint->setWordWrap(true);
    Label_PortHint->setStyleSheet(QStringLiteral("color: rgb(160, 60, 0);"));
    Label_PortHint->setVisible(false);
    Button_PortokLekerdezese = MakeNamed<QPushButton>("Button_PortokLekerdezese", tr("Refresh list"), this);
    Button_AddNetworkPort = MakeNamed<QPushButton>("Button_AddNetworkPort", tr("Add network port…"), this);
    Button_AddNetworkPort->setToolTip(
        tr("A serial server on the network, reached as tcp://HOST:PORT or rfc2217://HOST:PORT"));
    Button_RemoveNetworkPort =
        MakeNamed<QPushButton>("Button_RemoveNetworkPort", tr("Remove network port"), this);
    Button_RemoveNetworkPort->setToolTip(tr("Takes the selected network port off the list (Delete)"));
    Button_RemoveNetworkPort->setEnabled(false);

    // The port lamp holds the open button, a few pixels larger all round, and so frames it.
    Shape_Port = new TShape(QStringLiteral("Shape_Port"), this);
    auto* frame = new QVBoxLayout(Shape_Port);
    frame->setContentsMargins(4, 4, 4, 4);
    Button_Megnyitas = MakeNamed<QPushButton>("Button_Megnyitas", tr("Open serial port"), Shape_Port);
    frame->addWidget(Button_Megnyitas);
    Button_Bezaras = MakeNamed<QPushButton>("Button_Bezaras", tr("Close serial port"), this);
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
    port->addLayout(BuildLamps(), 5, 0);
    port->addWidget(Shape_Port, 6, 0);
    port->addWidget(Button_Bezaras, 7, 0);
}

// The TX and RX lamps with their labels, side by side.
QHBoxLayout* PortGroup::BuildLamps() {
    auto* lamps = new QHBoxLayout;
    Shape_TX = new TShape(QStringLiteral("Shape_TX"), this);
    Shape_TX->setFixedSize(18, 18);
    Label_TX = new QLabel(QStringLiteral("TX"), this);
    Label_TX->setObjectName(QStringLiteral("Label_TX"));
    Shape_RX = new TShape(QStringLiteral("Shape_RX"), this);
    Shape_RX->setFixedSize(18, 18);
    Label_RX = new QLabel(QStringLiteral("RX"), this);
    Label_RX->setObjectName(QStringLiteral("Label_RX"));
    lamps->addWidget(Shape_TX);
    lamps->addWidget(Label_TX);
    lamps->addSpacing(16);
    lamps->addWidget(Shape_RX);
    lamps->addWidget(Label_RX);
    lamps->addStretch(1);
    return lamps;
}

comport::PortProbeOptions PortGroup::ProbeOptions() const {
    QStringList paths = m_options.ports;
    paths.removeIf([](const QString& port) { return line::LooksLikeNetworkPort(port); });
    return {m_options.sysfsRoot, m_options.devRoot, paths};
}

void PortGroup::Button_PortokLekerdezeseClick() {
    ShowPorts(comport::ScanPorts(ProbeOptions()));
}

void PortGroup::TakeRemembered(const settingsfile::AppIniValues& values, bool demo) {
    PreferredPort = values.preferredPort;
    if (!demo) m_portById = values.portById;
    TakeNetworkPorts(values);
}

void PortGroup::ShowStartPorts(const QString& demoPort) {
    const comport::PortScan ports = comport::ScanPorts(ProbeOptions());
    ChooseStartPort(ports, demoPort);
    ShowPorts(ports);
}

// Demo mode's simulated device goes ahead of the remembered port, and so does the first port named with
// --port when the list has it, busy or not: the user means that device now, and a busy one must say so
// at its open rather than be swapped for another port without a word.
void PortGroup::ChooseStartPort(const comport::PortScan& scan, const QString& demoPort) {
    if (!demoPort.isEmpty()) {
        PreferredPort = demoPort;
        m_chosenNetworkPort.clear();
        return;
    }
    if (m_options.ports.isEmpty()) return;
    if (line::LooksLikeNetworkPort(m_options.ports.first())) {
        // Listed already (TakeNetworkPorts), in the form the list shows.
        if (const auto address = line::ParsePortText(m_options.ports.first());
            address && address->IsNetwork())
            m_chosenNetworkPort = line::PortTextOf(*address);
        return;
    }
    // Listed under another of its names (sysfs's /dev/ttyUSB0 for a by-id link), it is the same port.
    const QString named = QFileInfo(m_options.ports.first()).canonicalFilePath();
    for (const comport::PortInfo& port : scan.ports) {
        if (named.isEmpty() || QFileInfo(port.path).canonicalFilePath() != named) continue;
        PreferredPort = port.path;
        m_portById.clear(); // else the remembered adapter or network port would win
        m_chosenNetworkPort.clear();
        return;
    }
}

// Fills the list, highest first, the network ports after them, and the hint. The user's choice is kept
// while it is there: a network port, else the adapter by its stable name, else the port by name; a port
// chosen for the user in its absence stays chosen.
void PortGroup::ShowPorts(const comport::PortScan& scan) {
    m_shownPorts = scan;
    const int row = ListItemIndex(ListBox_ComPortLista);
    const QString current = row >= 0 ? ListBox_ComPortLista->item(row)->text() : QString();
    QList<comport::PortInfo> ports = scan.ports;
    std::reverse(ports.begin(), ports.end()); // the highest port number comes first

    m_fillingPortList = true;
    ListBox_ComPortLista->clear();
    for (const comport::PortInfo& port : std::as_const(ports)) {
        auto* item = new QListWidgetItem(port.path, ListBox_ComPortLista);
        item->setToolTip(port.Details());
        item->setData(Qt::AccessibleDescriptionRole, port.Details());
        item->setData(Qt::UserRole, port.byId);
        if (!port.inUse.isEmpty()) {
            // Marked, not renamed: the text stays the path that is opened and remembered.
            item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
            item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
        }
    }
    ListNetworkPorts();
    const QString hint = scan.HintLine();
    Label_PortHint->setText(hint);
    Label_PortHint->setToolTip(scan.HintDetails());
    Label_PortHint->setAccessibleDescription(scan.HintDetails());
    Label_PortHint->setVisible(!hint.isEmpty());
    ListBox_ComPortLista->setAccessibleDescription(hint);

    if (ListBox_ComPortLista->count() > 0) {
        const auto find = [&](auto matches) {
            const auto at = std::find_if(ports.cbegin(), ports.cend(), matches);
            return at == ports.cend() ? -1 : int(at - ports.cbegin());
        };
        int selected = -1;
        if (const qsizetype network = m_networkPorts.indexOf(m_chosenNetworkPort);
            !m_chosenNetworkPort.isEmpty() && network >= 0)
            selected = int(ports.size() + network);
        if (selected < 0 && !m_portById.isEmpty())
            selected = find([&](const comport::PortInfo& port) { return port.byId == m_portById; });
        if (selected < 0)
            selected = find([&](const comport::PortInfo& port) {
                return port.path.compare(PreferredPort, Qt::CaseInsensitive) == 0;
            });
        for (int row = 0; selected < 0 && row < ListBox_ComPortLista->count(); ++row)
            if (ListBox_ComPortLista->item(row)->text() == current) selected = row;
        SetListItemIndex(ListBox_ComPortLista, std::max(selected, 0));
    }
    m_fillingPortList = false;
    UpdateNetworkPortButtons();
}

void PortGroup::StartUpkeep() {
    connect(ListBox_ComPortLista, &QListWidget::itemSelectionChanged, this, [this] {
        UpdateNetworkPortButtons();
        const int row = ListItemIndex(ListBox_ComPortLista);
        if (m_fillingPortList || row < 0) return;
        // Only the user's own choice is remembered; a refresh that fell back to another port is not one.
        // A network port chosen leaves the preferred serial port as it was.
        m_chosenNetworkPort = IsNetworkItem(row) ? ListBox_ComPortLista->item(row)->text() : QString();
        if (!m_chosenNetworkPort.isEmpty()) return;
        PreferredPort = ListBox_ComPortLista->item(row)->text();
        m_portById = ListBox_ComPortLista->item(row)->data(Qt::UserRole).toString();
    });
    m_portWatcher = new comport::PortWatcher(ProbeOptions(), this);
    m_portWatcher->setObjectName(QStringLiteral("PortWatcher"));
    connect(m_portWatcher, &comport::PortWatcher::PortsMayHaveChanged, this, [this] {
        // An open port's list is frozen; it is brought up to date when the port closes.
        m_portsChangedWhileOpen = m_services.session->PortIsOpen();
        if (m_portsChangedWhileOpen) return;
        const comport::PortScan scan = comport::ScanPorts(ProbeOptions());
        if (!(scan == m_shownPorts)) ShowPorts(scan);
    });
    connect(m_services.session, &session::DeviceSession::PortLost, this, &PortGroup::ComPort1PortLost);
    // From the event loop: the notice comes from inside the line's own handler, which a box must not hold.
    connect(
        m_services.session, &session::DeviceSession::LineNotice, this,
        [this](const QString& text) { m_services.showMessage(MessageKind::Warning, text); },
        Qt::QueuedConnection);
}

// The session has closed the port already, as "Close serial port" closes it. A serial server that went
// away is reported as an adapter pulled out, by the server it was.
void PortGroup::ComPort1PortLost(const QString& port) {
    const QString time = QLocale().toString(QTime::currentTime(), QLocale::LongFormat);
    emit ReadingsStale(
        tr("Read before %1 was disconnected at %2; the next good read replaces them.").arg(port, time));
    Button_PortokLekerdezeseClick();
    const std::optional<line::PortAddress> address = line::ParsePortText(port);
    m_services.showMessage(MessageKind::Error,
                           address && address->IsNetwork()
                               ? tr("The connection to %1 was lost.").arg(address->Endpoint())
                               : tr("The serial port %1 was disconnected.").arg(port));
}

void PortGroup::Button_MegnyitasClick() {
    const int row = ListItemIndex(ListBox_ComPortLista);
    if (row < 0) {
        m_services.showMessage(MessageKind::Error, tr("No serial port is selected in the list."));
        return;
    }
    const QString port = ListBox_ComPortLista->item(row)->text();
    line::LineError error;
    if (m_services.session->Open(port, &error)) return;
    // A network line's reason names the server and what went wrong with it ("cannot reach ...").
    if (line::LooksLikeNetworkPort(port)) {
        m_services.showMessage(MessageKind::Error, error.text);
        return;
    }
    // In the serial port component's words, as the original's default error box showed them.
    m_services.showMessage(MessageKind::Error,
                           QCoreApplication::translate("Port", "TCOMPORT : cannot open %1").arg(port) +
                               QLatin1Char('\r') + error.text);
}

// Open: the session has set its port state and raises DTR and drops RTS after this. Closed: the session
// has already returned the operations to idle and cleared its port state, and the list catches up with
// the ports that came and went meanwhile.
void PortGroup::ShowPortOpen(bool open) {
    Shape_Port->SetBrushColor(open ? PortOpenGreen : QColor(Qt::white));
    SetNameIfChanged(Shape_Port, LampText(Lamp::Port, open));
    ListBox_ComPortLista->setEnabled(!open);
    if (!open && std::exchange(m_portsChangedWhileOpen, false)) Button_PortokLekerdezeseClick();
}

void PortGroup::NameLamps() {
    SetNameIfChanged(Shape_Port, LampText(Lamp::Port, false));
    SetNameIfChanged(Shape_TX, LampText(Lamp::Tx, false));
    SetNameIfChanged(Shape_RX, LampText(Lamp::Rx, false));
}

void PortGroup::Timer_TXTimer() {
    Shape_TX->SetBrushColor(Qt::white);
    SetNameIfChanged(Shape_TX, LampText(Lamp::Tx, false));
    Timer_TX->stop();
}

void PortGroup::Timer_RXTimer() {
    Shape_RX->SetBrushColor(Qt::white);
    SetNameIfChanged(Shape_RX, LampText(Lamp::Rx, false));
    Timer_RX->stop();
}

void PortGroup::LightTxLamp() {
    LightLamp(Shape_TX, Timer_TX, ActivityRed, LampText(Lamp::Tx, true));
}

// Every chunk lights the lamp, an empty one too.
void PortGroup::LightRxLamp() {
    LightLamp(Shape_RX, Timer_RX, PortOpenGreen, LampText(Lamp::Rx, true));
}

void PortGroup::PutRemembered(settingsfile::AppIniValues& values, std::optional<QString>& selected,
                              const QString& demoPort) const {
    const QString rememberedPort = values.preferredPort, rememberedById = values.portById;
    // "Com" keeps the serial port it had while a network port is chosen: the original's files never name
    // one.
    if (const int row = ListItemIndex(ListBox_ComPortLista); row >= 0 && !IsNetworkItem(row)) {
        selected = ListBox_ComPortLista->item(row)->text();
        // The adapter the user chose, also when it is away and another port stands in for it now.
        values.portById = m_portById.isEmpty()
                              ? ListBox_ComPortLista->item(row)->data(Qt::UserRole).toString()
                              : m_portById;
    }
    // The demo's pseudo-terminal is gone after this run: keep remembering the user's own port.
    if (!demoPort.isEmpty() && selected == demoPort) {
        selected = rememberedPort;
        values.portById = rememberedById;
    }
    PutNetworkPorts(values);
}

} // namespace zeph::app
