// SPDX-License-Identifier: MIT
// Reading the gateway's configuration: every section and key checked against what it may hold.
#include "gateway/GatewayConfig.h"

#include "line/PortText.h"
#include "settingsfile/IniFile.h"

#include <QHash>
#include <QLocale>

#include <functional>
#include <map>

namespace zeph::gateway {

namespace {

const QString DevicePrefix = QStringLiteral("device ");

// A name that can stand as one level of an MQTT topic and in a metric label.
bool IsTopicLevel(const QString& name) {
    if (name.isEmpty()) return false;
    for (const QChar c : name)
        if (c == u'/' || c == u'+' || c == u'#' || c.isSpace() || c.category() == QChar::Other_Control)
            return false;
    return true;
}

std::optional<bool> Switch(const QString& value) {
    if (value == QLatin1String("true") || value == QLatin1String("yes") || value == QLatin1String("1"))
        return true;
    if (value == QLatin1String("false") || value == QLatin1String("no") || value == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<quint16> TcpPort(const QString& value) {
    bool ok = false;
    const uint port = value.toUInt(&ok);
    if (!ok || port == 0 || port > 65535) return std::nullopt;
    return quint16(port);
}

} // namespace

ConfigParse ParseGatewayConfig(const QByteArray& bytes, const QString& fileName) {
    ConfigParse parse;
    GatewayConfig config;
    auto problem = [&](int line, const QString& what) {
        parse.problems << QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(what);
    };
    const settingsfile::IniFile ini = settingsfile::IniFile::FromBytes(bytes);
    for (const int line : ini.UnparsedLines())
        problem(line, QStringLiteral("not a [section], a key = value line or a comment"));

    // A setter per key of each kind of section; a setter returns what is wrong with the value, or nothing.
    using Setter = std::function<std::optional<QString>(const QString&)>;
    MqttConfig mqtt;
    PrometheusConfig prometheus;
    DeviceConfig* device = nullptr;
    const std::map<QString, Setter> gatewayKeys{
        {"state_dir", [&](const QString& v) -> std::optional<QString> {
             if (!v.startsWith(u'/')) return QStringLiteral("wants an absolute folder");
             config.stateDir = v;
             return std::nullopt;
         }}};
    const std::map<QString, Setter> mqttKeys{
        {"host",
         [&](const QString& v) -> std::optional<QString> {
             if (v.isEmpty()) return QStringLiteral("wants the broker's name or address");
             mqtt.host = v;
             return std::nullopt;
         }},
        {"port",
         [&](const QString& v) -> std::optional<QString> {
             const auto port = TcpPort(v);
             if (!port) return QStringLiteral("wants a TCP port from 1 to 65535");
             mqtt.port = *port;
             return std::nullopt;
         }},
        {"tls",
         [&](const QString& v) -> std::optional<QString> {
             const auto on = Switch(v);
             if (!on) return QStringLiteral("wants true or false");
             mqtt.tls = *on;
             return std::nullopt;
         }},
        {"ca_file",
         [&](const QString& v) -> std::optional<QString> { return mqtt.caFile = v, std::nullopt; }},
        {"username",
         [&](const QString& v) -> std::optional<QString> { return mqtt.username = v, std::nullopt; }},
        {"password_file",
         [&](const QString& v) -> std::optional<QString> { return mqtt.passwordFile = v, std::nullopt; }},
        {"topic_prefix",
         [&](const QString& v) -> std::optional<QString> {
             const QStringList levels = v.split(u'/');
             if (!std::all_of(levels.begin(), levels.end(), IsTopicLevel))
                 return QStringLiteral("wants topic levels without spaces, '+' or '#', joined by '/'");
             mqtt.topicPrefix = v;
             return std::nullopt;
         }},
        {"discovery_prefix", [&](const QString& v) -> std::optional<QString> {
             if (!IsTopicLevel(v))
                 return QStringLiteral("wants one topic level without spaces, '/', '+' or '#'");
             mqtt.discoveryPrefix = v;
             return std::nullopt;
         }}};
    const std::map<QString, Setter> prometheusKeys{
        {"listen", [&](const QString& v) -> std::optional<QString> {
             const qsizetype colon = v.lastIndexOf(u':');
             const auto port = colon > 0 ? TcpPort(v.mid(colon + 1)) : std::nullopt;
             if (!port) return QStringLiteral("wants HOST:PORT, for example 127.0.0.1:9208");
             prometheus.host = v.left(colon).remove(u'[').remove(u']');
             prometheus.port = *port;
             return std::nullopt;
         }}};
    const std::map<QString, Setter> deviceKeys{
        {"port",
         [&](const QString& v) -> std::optional<QString> {
             QString why;
             if (v.isEmpty()) return QStringLiteral("wants the device's port");
             if (line::LooksLikeNetworkPort(v) && !line::ParsePortText(v, &why)) return why;
             device->port = v;
             return std::nullopt;
         }},
        {"interval_s", [&](const QString& v) -> std::optional<QString> {
             bool ok = false;
             const double seconds = QLocale::c().toDouble(v, &ok);
             if (!ok || !(seconds >= 0) || seconds > 86400)
                 return QStringLiteral("wants seconds from 0 (back to back) to 86400");
             device->intervalS = seconds;
             return std::nullopt;
         }}};

    const std::map<QString, Setter>* keys = nullptr;
    QString sectionName;
    bool sawMqtt = false, sawPrometheus = false, sawListen = false;
    QHash<QString, int> deviceLines;
    QHash<QString, int> seenKeys; // in the section under way
    for (const settingsfile::IniFile::Entry& entry : ini.Entries()) {
        if (entry.key.isEmpty()) {
            sectionName = entry.section;
            seenKeys.clear();
            device = nullptr;
            keys = nullptr;
            if (sectionName == QLatin1String("gateway")) {
                keys = &gatewayKeys;
            } else if (sectionName == QLatin1String("mqtt")) {
                keys = &mqttKeys;
                sawMqtt = true;
            } else if (sectionName == QLatin1String("prometheus")) {
                keys = &prometheusKeys;
                sawPrometheus = true;
            } else if (sectionName.startsWith(DevicePrefix)) {
                const QString name = sectionName.mid(DevicePrefix.size()).trimmed();
                if (!IsTopicLevel(name)) {
                    problem(entry.line,
                            QStringLiteral("[device %1]: a device's name may not be empty or hold "
                                           "spaces, '/', '+' or '#'")
                                .arg(name));
                } else if (name == QLatin1String("gateway")) {
                    problem(entry.line,
                            QStringLiteral("[device gateway]: the name is the gateway's own topic"));
                } else if (const int earlier = deviceLines.value(name)) {
                    problem(entry.line,
                            QStringLiteral("[device %1] already comes on line %2").arg(name).arg(earlier));
                } else {
                    deviceLines.insert(name, entry.line);
                    config.devices.push_back({name, {}, 1.0, entry.line});
                    device = &config.devices.back();
                    keys = &deviceKeys;
                }
            } else {
                problem(entry.line,
                        QStringLiteral("unknown section [%1]; the sections are [gateway], [mqtt], "
                                       "[prometheus] and [device NAME]")
                            .arg(sectionName));
            }
            continue;
        }
        if (entry.section.isEmpty()) {
            problem(entry.line, QStringLiteral("%1 comes before any [section]").arg(entry.key));
            continue;
        }
        if (!keys) continue; // the section itself was refused
        const auto setter = keys->find(entry.key);
        if (setter == keys->end()) {
            QStringList names;
            for (const auto& [name, unused] : *keys)
                names << name;
            problem(entry.line, QStringLiteral("unknown key %1 in [%2]; the keys are: %3")
                                    .arg(entry.key, sectionName, names.join(QStringLiteral(", "))));
            continue;
        }
        if (const int earlier = seenKeys.value(entry.key)) {
            problem(entry.line, QStringLiteral("%1 already comes on line %2").arg(entry.key).arg(earlier));
            continue;
        }
        seenKeys.insert(entry.key, entry.line);
        if (keys == &prometheusKeys) sawListen = true;
        if (const auto wrong = setter->second(entry.value))
            problem(entry.line, QStringLiteral("%1 = %2: %3").arg(entry.key, entry.value, *wrong));
    }

    QHash<QString, QString> ports; // what makes a port the same -> the device on it
    for (const DeviceConfig& each : config.devices) {
        if (each.port.isEmpty()) {
            problem(each.line, QStringLiteral("[device %1] has no port").arg(each.name));
            continue;
        }
        const QString identity = line::PortIdentity(each.port);
        if (ports.contains(identity))
            problem(each.line, QStringLiteral("[device %1]: port %2 is already [device %3]'s")
                                   .arg(each.name, each.port, ports.value(identity)));
        ports.insert(identity, each.name);
    }
    if (config.devices.empty() && parse.problems.isEmpty())
        problem(1, QStringLiteral("no [device NAME] section: there is nothing to poll"));
    if (sawPrometheus && !sawListen) problem(1, QStringLiteral("[prometheus] wants listen = HOST:PORT"));
    if (sawMqtt) config.mqtt = mqtt;
    if (sawPrometheus && sawListen) config.prometheus = prometheus;
    if (parse.problems.isEmpty()) parse.config = config;
    return parse;
}

} // namespace zeph::gateway
