// SPDX-License-Identifier: MIT
// The gateway's devices, publisher, endpoint and state together.
#include "gateway/GatewayService.h"

#include "gateway/GatewayDevice.h"
#include "gateway/GatewayLogging.h"
#include "gateway/GatewayMetrics.h"
#include "gateway/MqttPublisher.h"
#include "gateway/SystemdNotifier.h"
#include "settingsfile/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace zeph::gateway {

GatewayService::GatewayService(GatewayConfig config, QObject* parent)
    : QObject(parent)
    , m_config(std::move(config))
    , m_systemd(new SystemdNotifier(this))
    , m_saveTimer(new QTimer(this)) {
    if (m_config.mqtt) m_topics = {m_config.mqtt->topicPrefix, m_config.mqtt->discoveryPrefix};
    connect(m_saveTimer, &QTimer::timeout, this, [this] { SaveTotals(); });
}

GatewayService::~GatewayService() {
    Stop();
}

QString GatewayService::StatePath() const {
    return QDir(m_config.stateDir).filePath(QLatin1String(StateFileName));
}

bool GatewayService::Start(QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (!QDir().mkpath(m_config.stateDir))
        return fail(m_config.stateDir + QStringLiteral(": cannot create the folder"));
    QJsonObject kept;
    if (QFile file(StatePath()); file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return fail(StatePath() + QStringLiteral(": ") + file.errorString());
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
        // Totals that cannot be read would start again from the devices' counters: refused, so that a
        // total never goes backwards unseen.
        if (!document.isObject())
            return fail(StatePath() +
                        QStringLiteral(": not the gateway's totals (%1); move it away to start the "
                                       "totals again")
                            .arg(parseError.errorString()));
        kept = document.object();
    }

    if (m_config.prometheus) {
        m_metrics = std::make_unique<GatewayMetrics>();
        QString why;
        if (!m_metrics->Listen(m_config.prometheus->host, m_config.prometheus->port, &why)) return fail(why);
    }
    if (m_config.mqtt) {
        MqttPublisher::Settings settings;
        settings.host = m_config.mqtt->host;
        settings.port = m_config.mqtt->Port();
        settings.tls = m_config.mqtt->tls;
        settings.caFile = m_config.mqtt->caFile;
        settings.username = m_config.mqtt->username;
        if (!m_config.mqtt->passwordFile.isEmpty()) {
            QFile passwordFile(m_config.mqtt->passwordFile);
            if (!passwordFile.open(QIODevice::ReadOnly))
                return fail(m_config.mqtt->passwordFile + QStringLiteral(": ") + passwordFile.errorString());
            settings.password = QString::fromUtf8(passwordFile.readLine()).trimmed();
        }
        settings.clientId = QStringLiteral("zeph7208d-") + m_topics.prefix.section(u'/', -1);
        settings.willTopic = m_topics.GatewayAvailability();
        settings.willPayload = Offline;
        settings.onlinePayload = Online;
        settings.spoolFolder = QDir(m_config.stateDir).filePath(QStringLiteral("spool"));
        m_mqtt = std::make_unique<MqttPublisher>(settings);
        QString why;
        if (!m_mqtt->Start(&why)) qCWarning(lcGateway).noquote() << why;
    }

    for (const DeviceConfig& config : m_config.devices) {
        auto* device = new GatewayDevice(config, this);
        if (kept.contains(config.name) && !device->RestoreTotals(kept.value(config.name).toObject()))
            return fail(StatePath() + QStringLiteral(": the totals of %1 cannot be read").arg(config.name));
        connect(device, &GatewayDevice::ReadingTaken, this,
                [this, device](const DeviceReading& reading) { Publish(device, reading); });
        connect(device, &GatewayDevice::TotalsJumped, this, [this] { SaveTotals(); });
        connect(device, &GatewayDevice::ReadFailed, this, [this, device] {
            if (m_metrics) m_metrics->Poll(device->Config().name, true);
        });
        connect(device, &GatewayDevice::ReachabilityChanged, this, [this, device](bool reachable) {
            if (m_mqtt)
                m_mqtt->Publish(m_topics.Availability(device->Config().name), reachable ? Online : Offline,
                                true);
            if (m_metrics) m_metrics->Reachability(device->Config().name, reachable);
        });
        m_devices.push_back(device);
        Announce(device);
        device->Start();
    }
    m_saveTimer->start(SaveEveryMs);
    m_systemd->Ready();
    m_systemd->Status(QStringLiteral("polling %1 devices").arg(m_devices.size()));
    return true;
}

void GatewayService::Announce(GatewayDevice* device) {
    if (!m_mqtt) return;
    const QString& name = device->Config().name;
    m_mqtt->Publish(m_topics.Availability(name), Offline, true);
    for (int n = 0; n < device::InputCount; ++n)
        m_mqtt->Publish(m_topics.Discovery(name, n), m_topics.DiscoveryPayload(name, n), true);
}

void GatewayService::Publish(GatewayDevice* device, const DeviceReading& reading) {
    const QString& name = device->Config().name;
    if (m_metrics) {
        m_metrics->Reading(name, reading);
        m_metrics->Poll(name, false);
        if (m_mqtt) m_metrics->Spool(m_mqtt->SpoolDepth(), m_mqtt->Dropped());
    }
    if (!m_mqtt) return;
    // Only what changed goes out, and a rate at most once a second: a device read back to back would
    // otherwise send the broker two dozen messages a tenth of a second.
    Sent& sent = m_sent[name];
    const qint64 now = reading.time.toMSecsSinceEpoch();
    const bool rateDue = now - sent.rateMs >= RateEveryMs;
    if (rateDue) sent.rateMs = now;
    for (int n = 0; n < device::InputCount; ++n) {
        const std::size_t i = std::size_t(n);
        if (sent.totals[i] != reading.totals[i] || !sent.any) {
            m_mqtt->Publish(m_topics.Total(name, n), QByteArray::number(reading.totals[i]), true);
            sent.totals[i] = reading.totals[i];
        }
        if (const auto rate = reading.rates[i]; rate && rateDue)
            m_mqtt->Publish(m_topics.Rate(name, n), QByteArray::number(*rate, 'f', 3), false);
        const QByteArray flags = FlagsPayload(reading.report, n);
        if (sent.flags[i] != flags) {
            m_mqtt->Publish(m_topics.Flags(name, n), flags, false);
            sent.flags[i] = flags;
        }
    }
    sent.any = true;
}

bool GatewayService::SaveTotals(QString* error) {
    QJsonObject state;
    for (const GatewayDevice* device : m_devices)
        state.insert(device->Config().name, device->TotalsJson());
    QString why;
    if (settingsfile::WriteFileSafely(StatePath(), QJsonDocument(state).toJson(), &why)) return true;
    qCWarning(lcGateway).noquote() << StatePath() << "cannot be written:" << why;
    if (error) *error = why;
    return false;
}

void GatewayService::Stop() {
    if (m_devices.empty()) return;
    m_systemd->Stopping();
    m_saveTimer->stop();
    for (GatewayDevice* device : m_devices)
        device->Stop();
    SaveTotals();
    for (GatewayDevice* device : m_devices)
        delete device;
    m_devices.clear();
    m_mqtt.reset();
}

int GatewayService::MetricsPort() const {
    return m_metrics ? m_metrics->ListeningPort() : 0;
}

} // namespace zeph::gateway
