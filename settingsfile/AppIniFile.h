// SPDX-License-Identifier: MIT
// The application INI file: the remembered serial port, the network ports, the date of the last run, four
// carried values and the places of the program's own windows.
#pragma once

#include <array>
#include <optional>
#include <QList>
#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <utility>

namespace zeph::settingsfile {

struct AppIniValues {
    QString preferredPort = QStringLiteral("COM1");
    // Nothing uses these; a run writes back what it read, in the order 4mA1, 20mA1, 4mA2, 20mA2.
    std::array<qint32, 4> p2 = {0, 65535, 0, 65535};
    // Our own key (section "Configurator"): the chosen adapter's stable /dev/serial/by-id name, which
    // still finds it after it comes back under another number; empty when it has none.
    QString portById;
    // Our own keys (section "Configurator"): the network ports the user added, in the list's order, as
    // one value "NetworkPorts" with the port texts separated by spaces (a port text never holds one),
    // and "NetworkPort", the one chosen when the choice is a network port, else empty. The serial port
    // above never holds a network port.
    QStringList networkPorts;
    QString networkPort;
};

// Missing file, section or key, or a value that is not an integer, gives the defaults above.
AppIniValues ReadAppIni(const QString& path);

// Writes "Date" and, only when a serial port is selected, "Com", the four "P2" keys and the port's stable
// name (when it has one or had one); the network ports when there are any or were any; all in one safe
// replace. Other sections and keys stay. A failure shows no box: it is logged as a warning of
// zeph.settingsfile (on standard error by default), and the old file stays as it was. The same holds for
// the two writers below.
void WriteAppIni(const QString& path, const QString& date, const std::optional<QString>& selectedPort,
                 const AppIniValues& values);

// Where the application INI file lives: "<configHome>/zeph7208-configurator/zeph7208-configurator.ini"
// (configHome is the XDG configuration folder, ~/.config; WriteAppIni creates the folder), unless a
// portable copy already sits beside the executable (its path with ".ini" for its extension) and can be
// written there: its folder is writable, or the file itself is. No file is ever created beside the
// executable, so an installed program never writes into a system folder.
QString AppIniPath(const QString& executablePath, const QString& configHome);

// The place and size of one of the program's own windows, under section "Configurator" as the keys
// <window>Left, <window>Top, <window>Width and <window>Height. Nothing when a key is missing or not an
// integer, or the size is not positive.
std::optional<QRect> ReadWindowPlace(const QString& path, const QString& window);
// Writes the four keys in one safe replace and keeps the rest of the file; false when it cannot.
bool WriteWindowPlace(const QString& path, const QString& window, const QRect& place);

// Values of our own keys under section "Configurator"; a key that is missing is left out.
QMap<QString, QString> ReadConfiguratorValues(const QString& path, const QStringList& keys);
// Writes the keys, in the order given, in one safe replace and keeps the rest of the file; false when
// it cannot.
using ConfiguratorValues = QList<std::pair<QString, QString>>;
bool WriteConfiguratorValues(const QString& path, const ConfiguratorValues& values);

} // namespace zeph::settingsfile
