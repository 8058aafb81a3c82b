// SPDX-License-Identifier: MIT
// Network serial servers in the port list: added through a dialog, listed after the serial ports and
// marked as such, removed by a button or the Delete key, and remembered in the application INI file apart
// from the serial port, which files of the original program keep alone.
#include "app/PortGroup.h"

#include "app/widgets/ListBoxIndex.h"
#include "line/PortText.h"
#include "session/DeviceSession.h"
#include "settingsfile/AppIniFile.h"

#include <QListWidget>
#include <QPushButton>
#include <QStyle>

namespace zeph::app {

namespace {

// Items of the port list that are network ports carry this; a serial port's item keeps its stable name
// under Qt::UserRole.
constexpr int NetworkPortRole = Qt::UserRole + 1;

// The port text as the list shows and the INI file keeps it ("TCP://Plc:4001" becomes "tcp://Plc:4001"),
// so that one server is listed once; empty for anything but a well-formed network port.
QString NetworkPortText(const QString& text) {
    const std::optional<line::PortAddress> address = line::ParsePortText(text);
    return address && address->IsNetwork() ? line::PortTextOf(*address) : QString();
}

} // namespace

void PortGroup::TakeNetworkPorts(const settingsfile::AppIniValues& values) {
    const auto take = [this](const QString& given) {
        const QString text = NetworkPortText(given);
        if (!text.isEmpty() && !m_networkPorts.contains(text)) m_networkPorts << text;
        return text;
    };
    // Somebody may have edited the file: what is not a network port is dropped.
    for (const QString& remembered : std::as_const(values.networkPorts))
        take(remembered);
    const QString chosen = NetworkPortText(values.networkPort);
    if (m_networkPorts.contains(chosen)) m_chosenNetworkPort = chosen;
    for (const QString& named : std::as_const(m_options.ports)) {
        if (!line::LooksLikeNetworkPort(named)) continue;
        const qsizetype known = m_networkPorts.size();
        const QString text = take(named);
        if (m_networkPorts.size() > known) m_networkPortsForThisRun << text;
    }
}

void PortGroup::ListNetworkPorts() {
    for (const QString& text : std::as_const(m_networkPorts)) {
        const bool rfc2217 = line::ParsePortText(text)->kind == line::PortKind::Rfc2217;
        const QString what = rfc2217 ? tr("Network port (RFC 2217)") : tr("Network port (raw TCP)");
        auto* item =
            new QListWidgetItem(style()->standardIcon(QStyle::SP_DriveNetIcon), text, ListBox_ComPortLista);
        item->setToolTip(what);
        item->setData(Qt::AccessibleDescriptionRole, what);
        item->setData(NetworkPortRole, true);
    }
}

bool PortGroup::IsNetworkItem(int row) const {
    const QListWidgetItem* item = ListBox_ComPortLista->item(row);
    return item && item->data(NetworkPortRole).toBool();
}

void PortGroup::UpdateNetworkPortButtons() {
    const bool open = m_services.session->PortIsOpen();
    Button_AddNetworkPort->setEnabled(!open);
    Button_RemoveNetworkPort->setEnabled(!open && IsNetworkItem(ListItemIndex(ListBox_ComPortLista)));
}

void PortGroup::Button_AddNetworkPortClick() {
    const QString answer = m_services.dialogs().GetNetworkPort();
    if (answer.isEmpty()) return;
    // The dialog has checked it already; checked again, a mistake still gets the parser's own words.
    QString why;
    if (!line::ParsePortText(answer, &why)) {
        m_services.showMessage(MessageKind::Error, why);
        return;
    }
    const QString text = NetworkPortText(answer);
    if (text.isEmpty()) return;               // a serial port's path is no network port to add
    m_networkPortsForThisRun.removeAll(text); // added by the user, it is the user's to keep
    if (!m_networkPorts.contains(text)) m_networkPorts << text;
    m_chosenNetworkPort = text;
    ShowPorts(m_shownPorts);
}

// The next network port takes the removed one's place in the selection, so that Delete pressed again
// removes the next; with none left, the serial port the user prefers is chosen.
void PortGroup::Button_RemoveNetworkPortClick() {
    const int row = ListItemIndex(ListBox_ComPortLista);
    if (m_services.session->PortIsOpen() || !IsNetworkItem(row)) return;
    const qsizetype at = m_networkPorts.indexOf(ListBox_ComPortLista->item(row)->text());
    m_networkPortsForThisRun.removeAll(m_networkPorts.takeAt(at));
    m_chosenNetworkPort = m_networkPorts.value(std::min(at, m_networkPorts.size() - 1));
    ShowPorts(m_shownPorts);
}

// Those named on the command line only are left out unless one of them is the choice.
void PortGroup::PutNetworkPorts(settingsfile::AppIniValues& values) const {
    const int row = ListItemIndex(ListBox_ComPortLista);
    values.networkPort = IsNetworkItem(row) ? ListBox_ComPortLista->item(row)->text() : QString();
    values.networkPorts.clear();
    for (const QString& text : m_networkPorts)
        if (!m_networkPortsForThisRun.contains(text) || text == values.networkPort)
            values.networkPorts << text;
}

} // namespace zeph::app
