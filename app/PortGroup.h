// SPDX-License-Identifier: MIT
// The serial-port group of the right-hand panel (GroupBox_SorosPortKivalasztasa): the port list with each
// adapter's details and the hint of what was left out, the network serial servers listed after the serial
// ports, the list's upkeep as devices come and go, opening and closing, a port lost while open, and the
// TX, RX and port lamps.
#pragma once

#include "app/StartOptions.h"
#include "app/WindowServices.h"
#include "comport/PortProbe.h"

#include <QGroupBox>

#include <optional>

class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace zeph::comport {
class PortWatcher;
}
namespace zeph::settingsfile {
struct AppIniValues;
}

namespace zeph::app {

class TShape;

class PortGroup : public QGroupBox {
    Q_OBJECT
public:
    // The options are the window's, kept by reference: demo mode adds its port to them before the list
    // is first filled.
    PortGroup(const WindowServices& services, const StartOptions& options, QWidget* parent = nullptr);

    // ---- start-up and shut-down (PortGroup.cpp)
    // The port and the network ports the INI file remembers; demo mode preselects its simulated device,
    // which has no stable name, over the remembered adapter.
    void TakeRemembered(const settingsfile::AppIniValues& values, bool demo);
    // Fills the list for the first time, with the port preselected from demo mode and the command line.
    void ShowStartPorts(const QString& demoPort);
    // Watches for ports coming and going, a port lost while open and the line's notices.
    void StartUpkeep();
    // The choice as the INI file keeps it, over the values it was read with.
    void PutRemembered(settingsfile::AppIniValues& values, std::optional<QString>& selected,
                       const QString& demoPort) const;
    comport::PortProbeOptions ProbeOptions() const;

    // The port's state as the lamps and the list show it (the enabling rule is the window's).
    void ShowPortOpen(bool open);
    void UpdateNetworkPortButtons();
    // The lamps' names for screen readers as they start.
    void NameLamps();

    QListWidget* ListBox_ComPortLista = nullptr;
    QLabel* Label_Portok = nullptr;
    QPushButton* Button_PortokLekerdezese = nullptr;
    TShape* Shape_TX = nullptr;
    QLabel* Label_TX = nullptr;
    TShape* Shape_RX = nullptr;
    QLabel* Label_RX = nullptr;
    TShape* Shape_Port = nullptr; // holds Button_Megnyitas and shows as its coloured frame
    QPushButton* Button_Megnyitas = nullptr;
    QPushButton* Button_Bezaras = nullptr;
    // Our own: what was left out of the list, and the network serial servers.
    QLabel* Label_PortHint = nullptr;
    QPushButton* Button_AddNetworkPort = nullptr;
    QPushButton* Button_RemoveNetworkPort = nullptr;
    QTimer* Timer_TX = nullptr;
    QTimer* Timer_RX = nullptr;

signals:
    // The readings on the counters page are no longer current, and why.
    void ReadingsStale(const QString& why);

private:
    void Build();
    QHBoxLayout* BuildLamps();
    void Button_PortokLekerdezeseClick();
    void Button_MegnyitasClick();
    void Timer_TXTimer();
    void Timer_RXTimer();
    void LightTxLamp();
    void LightRxLamp();
    void ShowPorts(const comport::PortScan& scan);
    void ChooseStartPort(const comport::PortScan& scan, const QString& demoPort);
    void ComPort1PortLost(const QString& port);

    // ---- network serial servers in the list (PortGroupNetwork.cpp)
    void Button_AddNetworkPortClick();
    void Button_RemoveNetworkPortClick();
    // The remembered network ports and those named on the command line, each once, in that order.
    void TakeNetworkPorts(const settingsfile::AppIniValues& values);
    // Appends an item for each network port after the serial ports.
    void ListNetworkPorts();
    bool IsNetworkItem(int row) const;
    void PutNetworkPorts(settingsfile::AppIniValues& values) const;

    WindowServices m_services;
    const StartOptions& m_options;
    comport::PortWatcher* m_portWatcher = nullptr;
    comport::PortScan m_shownPorts;
    QString PreferredPort;
    QString m_portById; // the stable name of the adapter the user chose
    // The network ports' texts in the order the list shows them, after the serial ports; those named on
    // the command line, which are not remembered unless chosen at close; the user's choice while it is
    // one of them.
    QStringList m_networkPorts;
    QStringList m_networkPortsForThisRun;
    QString m_chosenNetworkPort;
    bool m_fillingPortList = false;
    bool m_portsChangedWhileOpen = false;
};

} // namespace zeph::app
