// SPDX-License-Identifier: MIT
// The serial-port group: the port list with each adapter's details and the hint of what was left out,
// its upkeep as devices come and go, opening and closing, a port lost while open, the three lamps, and
// the application INI file that remembers the port. The network ports in the list are
// TForm_MainNetworkPorts.cpp's.
#include "app/TForm_Main.h"

#include "app/AccessibleNames.h"
#include "app/CommandLine.h"
#include "app/widgets/ChangedOnly.h"
#include "app/widgets/ListBoxIndex.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TShape.h"
#include "comport/PortWatcher.h"
#include "line/PortText.h"
#include "session/DeviceSession.h"
#include "settingsfile/AppIniFile.h"
#include "sim/SimulatedDevice.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
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
} // namespace

comport::PortProbeOptions TForm_Main::ProbeOptions() const {
    QStringList paths = m_options.ports;
    paths.removeIf([](const QString& port) { return line::LooksLikeNetworkPort(port); });
    return {m_options.sysfsRoot, m_options.devRoot, paths};
}

void TForm_Main::Button_PortokLekerdezeseClick() {
    ShowPorts(comport::ScanPorts(ProbeOptions()));
}

// Demo mode's simulated device goes ahead of the remembered port, and so does the first port named with
// --port when the list has it, busy or not: the user means that device now, and a busy one must say so
// at its open rather than be swapped for another port without a word.
void TForm_Main::ChooseStartPort(const comport::PortScan& scan) {
    if (m_demoDevice) {
        PreferredPort = m_demoDevice->PortPath();
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
void TForm_Main::ShowPorts(const comport::PortScan& scan) {
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

void TForm_Main::ConnectPortUpkeep() {
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
        m_portsChangedWhileOpen = m_session->PortIsOpen();
        if (m_portsChangedWhileOpen) return;
        const comport::PortScan scan = comport::ScanPorts(ProbeOptions());
        if (!(scan == m_shownPorts)) ShowPorts(scan);
    });
    connect(m_session, &session::DeviceSession::PortLost, this, &TForm_Main::ComPort1PortLost);
    // From the event loop: the notice comes from inside the line's own handler, which a box must not hold.
    connect(
        m_session, &session::DeviceSession::LineNotice, this,
        [this](const QString& text) { ShowMessage(MessageKind::Warning, text); }, Qt::QueuedConnection);
}

// The session has closed the port already, as "Close serial port" closes it. A serial server that went
// away is reported as an adapter pulled out, by the server it was.
void TForm_Main::ComPort1PortLost(const QString& port) {
    const QString time = QLocale().toString(QTime::currentTime(), QLocale::LongFormat);
    MarkReadingsStale(
        tr("Read before %1 was disconnected at %2; the next good read replaces them.").arg(port, time));
    Button_PortokLekerdezeseClick();
    const std::optional<line::PortAddress> address = line::ParsePortText(port);
    ShowMessage(MessageKind::Error, address && address->IsNetwork()
                                        ? tr("The connection to %1 was lost.").arg(address->Endpoint())
                                        : tr("The serial port %1 was disconnected.").arg(port));
}

// The readings stay for a technician to look at, greyed and under a banner, until a report replaces them.
void TForm_Main::MarkReadingsStale(const QString& why) {
    const bool stale = !why.isEmpty();
    if (!Label_StaleReadings) {
        if (!stale) return;
        Label_StaleReadings = new QLabel(TabSheet_Impulzusok);
        Label_StaleReadings->setObjectName(QStringLiteral("Label_StaleReadings"));
        Label_StaleReadings->setWordWrap(true);
        Label_StaleReadings->setMargin(4);
        Label_StaleReadings->setStyleSheet(QStringLiteral("background: rgb(255, 236, 150); color: black;"));
        if (auto* rows = qobject_cast<QVBoxLayout*>(TabSheet_Impulzusok->layout()))
            rows->insertWidget(0, Label_StaleReadings);
    }
    Label_StaleReadings->setText(why);
    Label_StaleReadings->setVisible(stale);
    for (const auto& family : {Label_7208Szamlalo, Label_7208Ido})
        for (TColorLabel* value : family) {
            value->setEnabled(!stale);
            value->setToolTip(why);
        }
    Label_7208Adatforras->setEnabled(!stale);
}

void TForm_Main::Button_MegnyitasClick() {
    const int row = ListItemIndex(ListBox_ComPortLista);
    if (row < 0) {
        ShowMessage(MessageKind::Error, tr("No serial port is selected in the list."));
        return;
    }
    const QString port = ListBox_ComPortLista->item(row)->text();
    line::LineError error;
    if (m_session->Open(port, &error)) return;
    // A network line's reason names the server and what went wrong with it ("cannot reach ...").
    if (line::LooksLikeNetworkPort(port)) {
        ShowMessage(MessageKind::Error, error.text);
        return;
    }
    // In the serial port component's words, as the original's default error box showed them.
    ShowMessage(MessageKind::Error,
                QCoreApplication::translate("Port", "TCOMPORT : cannot open %1").arg(port) +
                    QLatin1Char('\r') + error.text);
}

void TForm_Main::Button_BezarasClick() {
    m_session->Close();
}

// The session has set its port state and raises DTR and drops RTS after this.
void TForm_Main::ComPort1PortOpen() {
    Shape_Port->SetBrushColor(PortOpenGreen);
    ShowLamp(Shape_Port, Lamp::Port, true);
    ListBox_ComPortLista->setEnabled(false);
    UpdateControlEnabling();
}

// The session has already returned the operations to idle and cleared its port state.
void TForm_Main::ComPort1PortClose() {
    Shape_Port->SetBrushColor(Qt::white);
    ShowLamp(Shape_Port, Lamp::Port, false);
    ListBox_ComPortLista->setEnabled(true);
    UpdateControlEnabling();
    if (std::exchange(m_portsChangedWhileOpen, false)) Button_PortokLekerdezeseClick();
}

void TForm_Main::Timer_TXTimer() {
    Shape_TX->SetBrushColor(Qt::white);
    ShowLamp(Shape_TX, Lamp::Tx, false);
    Timer_TX->stop();
}

void TForm_Main::Timer_RXTimer() {
    Shape_RX->SetBrushColor(Qt::white);
    ShowLamp(Shape_RX, Lamp::Rx, false);
    Timer_RX->stop();
}

void TForm_Main::LightTxLamp() {
    LightLamp(Shape_TX, Timer_TX, ActivityRed, LampText(Lamp::Tx, true));
}

// Every chunk lights the lamp, an empty one too.
void TForm_Main::LightRxLamp() {
    LightLamp(Shape_RX, Timer_RX, PortOpenGreen, LampText(Lamp::Rx, true));
}

void TForm_Main::ReadIniFile() {
    if (m_iniPath.isEmpty()) m_iniPath = IniPathOf(m_options);
    m_iniValues = settingsfile::ReadAppIni(m_iniPath);
    m_windowMemory = ReadWindowMemory(m_iniPath);
    PreferredPort = m_iniValues.preferredPort;
    // Demo mode preselects its simulated device, which has no stable name, over the remembered adapter.
    if (!m_demoDevice) m_portById = m_iniValues.portById;
    TakeNetworkPorts();
}

void TForm_Main::WriteIniFile() {
    std::optional<QString> selected;
    settingsfile::AppIniValues values = m_iniValues;
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
    if (m_demoDevice && selected == m_demoDevice->PortPath()) {
        selected = m_iniValues.preferredPort;
        values.portById = m_iniValues.portById;
    }
    PutNetworkPorts(values);
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    settingsfile::WriteAppIni(m_iniPath, date, selected, values);
}

} // namespace zeph::app
