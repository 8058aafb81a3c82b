// SPDX-License-Identifier: MIT
// The demo configuration of the simulated device.
#include "sim/DemoDevice.h"

namespace zeph::sim {

LineOptions DemoLineOptions() {
    LineOptions options;
    options.pacing = true;
    options.baud = 19200;
    return options;
}

void ApplyDemoScenario(DeviceModel& model) {
    for (int input = 0; input < DeviceModel::InputCount; ++input)
        model.SetPulseRate(input, DemoPulseRates[std::size_t(input)]);
}

std::unique_ptr<SimulatedDevice> StartDemoDevice(QString* error) {
    auto device = std::make_unique<SimulatedDevice>(DemoLineOptions());
    device->WithModel([](DeviceModel& model) { ApplyDemoScenario(model); });
    if (!device->Start(error)) return nullptr;
    return device;
}

} // namespace zeph::sim
