// SPDX-License-Identifier: MIT
// Starting simulated devices for the benchmark.
#include "bench/SimulatedDevices.h"

#include "bench/Figures.h"
#include "bench/ProcessStats.h"

namespace zeph::bench {

std::optional<SimulatedDevices> StartSimulatedDevices(int count, int baud) {
    sim::LineOptions line;
    line.baud = baud;
    SimulatedDevices started;
    const QSet<int> before = ProcessSnapshot::Take().ThreadIds();
    for (int i = 0; i < count; ++i) {
        auto device = std::make_unique<sim::SimulatedDevice>(line);
        if (!device->Start(nullptr)) {
            PrintFigure(QStringLiteral("simulated devices"), QStringLiteral("only %1 started").arg(i));
            return std::nullopt;
        }
        started.devices.push_back(std::move(device));
    }
    started.threads = ProcessSnapshot::Take().ThreadIds() - before;
    return started;
}

} // namespace zeph::bench
