// SPDX-License-Identifier: MIT
// A commissioning run over simulated devices: the whole batch at once against the slowest device alone,
// and the CPU each device costs.
#pragma once

namespace zeph::bench {

void RunCommissioningBench(int devices, int baud);

} // namespace zeph::bench
