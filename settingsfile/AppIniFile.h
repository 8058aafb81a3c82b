// The application INI file: the remembered serial port, the date of the last run and four carried values.
#pragma once

#include <array>
#include <optional>
#include <QString>
#include <QtGlobal>

namespace zeph::settingsfile {

struct AppIniValues {
    QString preferredPort = QStringLiteral("COM1");
    // Nothing uses these; a run writes back what it read, in the order 4mA1, 20mA1, 4mA2, 20mA2.
    std::array<qint32, 4> p2 = {0, 65535, 0, 65535};
};

// Missing file, section or key, or a value that is not an integer, gives the defaults above.
AppIniValues ReadAppIni(const QString& path);

// Writes "Date" and, only when a port is selected, "Com" and the four "P2" keys, in one atomic replace.
// Other sections and keys stay. Every failure is swallowed: the old file then stays as it was.
void WriteAppIni(const QString& path, const QString& date, const std::optional<QString>& selectedPort,
                 const AppIniValues& values);

// The executable's path with ".ini" for its extension when its folder is writable or that file exists
// and is writable, otherwise "<userConfigDir>/<base name>.ini" (WriteAppIni creates that folder).
QString AppIniPath(const QString& executablePath, const QString& userConfigDir);

} // namespace zeph::settingsfile
