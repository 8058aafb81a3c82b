// SPDX-License-Identifier: MIT
// Simulated devices started in the benchmark's own process, with the threads they serve from, so that
// their CPU can be told from the program's.
#pragma once

#include "sim/SimulatedDevice.h"

#include <QSet>

#include <memory>
#include <optional>
#include <vector>

namespace zeph::bench {

struct SimulatedDevices {
    std::vector<std::unique_ptr<sim::SimulatedDevice>> devices;
    QSet<int> threads;
};

// count devices paced at baud; nothing, with a line saying how many started, when one does not start.
std::optional<SimulatedDevices> StartSimulatedDevices(int count, int baud);

} // namespace zeph::bench
