// SPDX-License-Identifier: MIT
// What the gateway publishes, by topic: per device and input the total (retained), the rate and the
// flags, each device's availability and the gateway's own (its last will), and Home Assistant's
// discovery of the totals.
#pragma once

#include "device/DevicePayloads.h"

#include <QByteArray>
#include <QString>

namespace zeph::gateway {

inline constexpr char Online[] = "online";
inline constexpr char Offline[] = "offline";

struct Topics {
    QString prefix;          // "zeph7208", "site/north"
    QString discoveryPrefix; // "homeassistant"

    // PREFIX/NAME/inN/total, .../rate, .../flags; input 0..7 is inN with N 1..8.
    QString Total(const QString& device, int input) const;
    QString Rate(const QString& device, int input) const;
    QString Flags(const QString& device, int input) const;
    // PREFIX/NAME/availability and PREFIX/gateway/availability.
    QString Availability(const QString& device) const;
    QString GatewayAvailability() const;
    // DISCOVERY_PREFIX/sensor/<id>/config for an input's total.
    QString Discovery(const QString& device, int input) const;
    // Home Assistant's sensor for an input's total: name, unique_id, state_topic, state_class
    // total_increasing, the device's availability topic, and the device (identifiers, model ZEPH7208,
    // name).
    QByteArray DiscoveryPayload(const QString& device, int input) const;
};

// {"namur_open":false,"namur_short":false,"time_limit":true,"overflow":false} for input 0..7.
QByteArray FlagsPayload(const device::CounterStatusReport& report, int input);

} // namespace zeph::gateway
