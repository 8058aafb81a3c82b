// SPDX-License-Identifier: MIT
// The device a new user meets first: the configurator's demo mode and the zeph7208-sim program run it.
#pragma once

#include "sim/SimulatedDevice.h"

#include <array>
#include <memory>

namespace zeph::sim {

// Pulses per second of inputs 1..8: from a slow 0.5 to a busy 20, and input 8 idle so that its
// time-limit flag (and the "Time > max. enabled" error bit) comes on a second after start.
constexpr std::array<double, 8> DemoPulseRates{0.5, 1.5, 2, 5, 10, 20, 3.5, 0};

// Paced at 19200 baud like the real line, answering at once.
LineOptions DemoLineOptions();

// Puts the demo pulse rates on the model's inputs.
void ApplyDemoScenario(DeviceModel& model);

// A started demo device, or nothing with the reason in error.
std::unique_ptr<SimulatedDevice> StartDemoDevice(QString* error);

} // namespace zeph::sim
