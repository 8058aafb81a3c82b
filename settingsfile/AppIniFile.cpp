// SPDX-License-Identifier: MIT
// The application INI file: reading with defaults, writing in one safe replace, choosing its path.
#include "settingsfile/AppIniFile.h"

#include "settingsfile/IniFile.h"
#include "settingsfile/SettingsFileLogging.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace zeph::settingsfile {

namespace {

const QString comSection = QStringLiteral("Com");
const QString portKey = QStringLiteral("ListBox_ComPortlista");
const QString p2Section = QStringLiteral("P2");
const std::array<QString, 4> p2Keys = {
    QStringLiteral("iP2_PWMCopyed4mA1"), QStringLiteral("iP2_PWMCopyed20mA1"),
    QStringLiteral("iP2_PWMCopyed4mA2"), QStringLiteral("iP2_PWMCopyed20mA2")};
const QString configuratorSection = QStringLiteral("Configurator");
const QString portByIdKey = QStringLiteral("PortById");
const QString networkPortsKey = QStringLiteral("NetworkPorts");
const QString networkPortKey = QStringLiteral("NetworkPort");

// The file is written as the window closes, where nobody could answer a box: a failure goes to the log,
// which shows warnings on standard error, and the old file stays as it was.
bool Refused(const QString& path, IniFile::LoadStatus status, const QString& why) {
    if (status == IniFile::LoadStatus::Loaded || status == IniFile::LoadStatus::Missing) return false;
    qCWarning(lcSettingsFile, "%s: not rewritten, since it cannot be read whole: %s", qUtf8Printable(path),
              qUtf8Printable(why.isEmpty() ? QStringLiteral("larger than 1 MiB") : why));
    return true;
}

bool Saved(const IniFile& ini, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString why;
    if (ini.Save(path, &why)) return true;
    qCWarning(lcSettingsFile, "%s: cannot be written: %s", qUtf8Printable(path), qUtf8Printable(why));
    return false;
}

} // namespace

AppIniValues ReadAppIni(const QString& path) {
    const AppIniValues defaults;
    IniFile ini;
    ini.Load(path); // any failure leaves the document empty, so every key gives its default
    AppIniValues values;
    values.preferredPort = ini.ReadString(comSection, portKey, defaults.preferredPort);
    for (std::size_t i = 0; i < p2Keys.size(); ++i)
        values.p2[i] = ini.ReadInteger(p2Section, p2Keys[i], defaults.p2[i]);
    values.portById = ini.ReadString(configuratorSection, portByIdKey, QString());
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    values.networkPorts =
        ini.ReadString(configuratorSection, networkPortsKey, QString()).split(spaces, Qt::SkipEmptyParts);
    values.networkPort = ini.ReadString(configuratorSection, networkPortKey, QString());
    return values;
}

void WriteAppIni(const QString& path, const QString& date, const std::optional<QString>& selectedPort,
                 const AppIniValues& values) {
    IniFile ini;
    QString why;
    // A file we could not read whole would be destroyed by rewriting it from what we have.
    if (Refused(path, ini.Load(path, &why), why)) return;
    // Files of the original program stay as they were unless one of our keys has something to keep or
    // clear.
    const auto writeOwn = [&ini](const QString& key, const QString& value) {
        const bool present = ini.ReadString(configuratorSection, key, QStringLiteral("\n")) != "\n";
        if (present || !value.isEmpty()) ini.WriteString(configuratorSection, key, value);
    };
    ini.WriteString(QStringLiteral("Date"), QStringLiteral("Date"), date);
    if (selectedPort) {
        ini.WriteString(comSection, portKey, *selectedPort);
        for (std::size_t i = 0; i < p2Keys.size(); ++i)
            ini.WriteString(p2Section, p2Keys[i], QString::number(values.p2[i]));
        writeOwn(portByIdKey, values.portById);
    }
    writeOwn(networkPortsKey, values.networkPorts.join(QLatin1Char(' ')));
    writeOwn(networkPortKey, values.networkPort);
    Saved(ini, path);
}

QString AppIniPath(const QString& executablePath, const QString& configHome) {
    const QFileInfo exe(executablePath);
    const QString fileName = exe.fileName();
    // Only a dot after the first character starts an extension; ".name" is a hidden name, not a suffix.
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString baseName = dot > 0 ? fileName.left(dot) : fileName;
    const QFileInfo portable(QDir(exe.absolutePath()).filePath(baseName + QStringLiteral(".ini")));
    const QFileInfo folder(exe.absolutePath());
    // A writable file in a folder the user may not add files to is written in place.
    if (portable.isFile() && (folder.isWritable() || portable.isWritable())) return portable.filePath();
    return QDir(configHome).filePath(QStringLiteral("zeph7208-configurator/zeph7208-configurator.ini"));
}

namespace {
const std::array<QString, 4> placeKeys = {QStringLiteral("Left"), QStringLiteral("Top"),
                                          QStringLiteral("Width"), QStringLiteral("Height")};
} // namespace

std::optional<QRect> ReadWindowPlace(const QString& path, const QString& window) {
    IniFile ini;
    ini.Load(path);
    std::array<int, 4> values{};
    for (std::size_t i = 0; i < placeKeys.size(); ++i) {
        // A missing key or one that is not an integer reads as the default: it differs under two defaults.
        values[i] = ini.ReadInteger(configuratorSection, window + placeKeys[i], 0);
        if (values[i] != ini.ReadInteger(configuratorSection, window + placeKeys[i], 1)) return std::nullopt;
    }
    if (values[2] <= 0 || values[3] <= 0) return std::nullopt;
    return QRect(values[0], values[1], values[2], values[3]);
}

bool WriteWindowPlace(const QString& path, const QString& window, const QRect& place) {
    const std::array<int, 4> values = {place.x(), place.y(), place.width(), place.height()};
    ConfiguratorValues keys;
    for (std::size_t i = 0; i < placeKeys.size(); ++i)
        keys.append({window + placeKeys[i], QString::number(values[i])});
    return WriteConfiguratorValues(path, keys);
}

QMap<QString, QString> ReadConfiguratorValues(const QString& path, const QStringList& keys) {
    IniFile ini;
    ini.Load(path);
    QMap<QString, QString> values;
    // No value holds a line break, so a key that reads as one is missing.
    const QString missing = QStringLiteral("\n");
    for (const QString& key : keys)
        if (const QString value = ini.ReadString(configuratorSection, key, missing); value != missing)
            values.insert(key, value);
    return values;
}

bool WriteConfiguratorValues(const QString& path, const ConfiguratorValues& values) {
    IniFile ini;
    QString why;
    if (Refused(path, ini.Load(path, &why), why)) return false;
    bool written = true;
    for (const auto& [key, value] : values)
        written = ini.WriteString(configuratorSection, key, value) && written;
    return Saved(ini, path) && written;
}

} // namespace zeph::settingsfile
