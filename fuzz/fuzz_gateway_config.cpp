// SPDX-License-Identifier: MIT
// Fuzz target: the gateway's configuration file, whoever wrote it. Input: the file's bytes.
#include "fuzz/FuzzSupport.h"
#include "gateway/GatewayConfig.h"

#include <QSet>

using namespace zeph::gateway;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ConfigParse parse = ParseGatewayConfig(bytes, QStringLiteral("g.conf"));
    // Either a configuration or its faults, each naming the file and a line.
    FUZZ_CHECK(parse.config.has_value() == parse.problems.isEmpty());
    for (const QString& problem : parse.problems)
        FUZZ_CHECK(problem.startsWith(QLatin1String("g.conf:")));
    if (!parse.config) return 0;
    // A usable one polls something, each device under its own name, none at a negative interval.
    FUZZ_CHECK(!parse.config->devices.empty());
    QSet<QString> names;
    for (const DeviceConfig& device : parse.config->devices) {
        FUZZ_CHECK(!device.name.isEmpty() && !device.port.isEmpty() && device.intervalS >= 0);
        FUZZ_CHECK(!names.contains(device.name) && !device.name.contains(u'/'));
        names.insert(device.name);
    }
    return 0;
}
