// SPDX-License-Identifier: MIT
// Topic names and payloads of the gateway.
#include "gateway/MqttTopics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zeph::gateway {

namespace {

QString InputTopic(const QString& prefix, const QString& device, int input, const char* leaf) {
    return QStringLiteral("%1/%2/in%3/%4").arg(prefix, device).arg(input + 1).arg(QLatin1String(leaf));
}

// An id Home Assistant takes for a unique_id and a topic level: letters, digits, '_' and '-'.
QString ObjectId(const QString& device, int input) {
    QString id = QStringLiteral("zeph7208_%1_in%2_total").arg(device).arg(input + 1);
    for (QChar& c : id)
        if (!c.isLetterOrNumber() && c != u'_' && c != u'-') c = u'_';
    return id;
}

} // namespace

QString Topics::Total(const QString& device, int input) const {
    return InputTopic(prefix, device, input, "total");
}

QString Topics::Rate(const QString& device, int input) const {
    return InputTopic(prefix, device, input, "rate");
}

QString Topics::Flags(const QString& device, int input) const {
    return InputTopic(prefix, device, input, "flags");
}

QString Topics::Availability(const QString& device) const {
    return QStringLiteral("%1/%2/availability").arg(prefix, device);
}

QString Topics::GatewayAvailability() const {
    return Availability(QStringLiteral("gateway"));
}

QString Topics::Discovery(const QString& device, int input) const {
    return QStringLiteral("%1/sensor/%2/config").arg(discoveryPrefix, ObjectId(device, input));
}

QByteArray Topics::DiscoveryPayload(const QString& device, int input) const {
    const QJsonObject payload{
        {"name", QStringLiteral("%1 IN%2 total").arg(device).arg(input + 1)},
        {"unique_id", ObjectId(device, input)},
        {"state_topic", Total(device, input)},
        {"state_class", "total_increasing"},
        {"availability_topic", Availability(device)},
        {"device", QJsonObject{{"identifiers", QJsonArray{QStringLiteral("zeph7208_%1").arg(device)}},
                               {"model", "ZEPH7208"},
                               {"name", device}}}};
    return QJsonDocument(payload).toJson(QJsonDocument::Compact);
}

QByteArray FlagsPayload(const device::CounterStatusReport& report, int input) {
    const QJsonObject flags{{"namur_open", device::InputFlag(report.namurOpen, input)},
                            {"namur_short", device::InputFlag(report.namurShort, input)},
                            {"time_limit", device::InputFlag(report.timeLimit, input)},
                            {"overflow", device::InputFlag(report.overflow, input)}};
    return QJsonDocument(flags).toJson(QJsonDocument::Compact);
}

} // namespace zeph::gateway
