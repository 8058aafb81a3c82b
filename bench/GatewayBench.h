// SPDX-License-Identifier: MIT
// The gateway polling many simulated devices in this process, publishing to Debian's mosquitto when it is
// installed: reports per second per device against the line limit, CPU per report, memory per device.
#pragma once

namespace zeph::bench {

void RunGatewayBench(int devices, int seconds, int baud);

} // namespace zeph::bench
