// SPDX-License-Identifier: MIT
// The gateway's configuration file (/etc/zeph7208/gateway.conf): INI as the product's other files,
// [gateway], [mqtt], [prometheus] and one [device NAME] section a device. Every fault is told with its
// file and line, and a file with any fault is not used.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zeph::gateway {

struct DeviceConfig {
    QString name;           // [device NAME]: in topics and metric labels
    QString port;           // a path, a /dev/serial/by-id/ name or a network port
    double intervalS = 1.0; // 0: back to back
    int line = 0;           // of its section header
};

struct MqttConfig {
    QString host = QStringLiteral("localhost");
    quint16 port = 0; // 0: 1883, or 8883 with TLS
    bool tls = false;
    QString caFile; // TLS: the authority the broker's certificate is checked against; empty: the system's
    QString username;
    QString passwordFile; // its first line is the password
    QString topicPrefix = QStringLiteral("zeph7208");
    QString discoveryPrefix = QStringLiteral("homeassistant");

    quint16 Port() const { return port ? port : (tls ? 8883 : 1883); }
};

struct PrometheusConfig {
    QString host; // the address to listen on
    quint16 port = 0;
};

struct GatewayConfig {
    QString stateDir = QStringLiteral("/var/lib/zeph7208");
    std::optional<MqttConfig> mqtt;             // absent: no broker
    std::optional<PrometheusConfig> prometheus; // absent: no endpoint
    std::vector<DeviceConfig> devices;
};

struct ConfigParse {
    std::optional<GatewayConfig> config;
    QStringList problems; // "FILE:LINE: what is wrong"
};

ConfigParse ParseGatewayConfig(const QByteArray& bytes, const QString& fileName);

} // namespace zeph::gateway
