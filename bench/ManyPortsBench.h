// SPDX-License-Identifier: MIT
// Many devices at once in one process: a simulated device on its own pseudo-terminal for each, a session
// for each, every session reading its counters back to back; what each port achieves against the line
// and what the process costs.
#pragma once

namespace zeph::bench {

void RunManyPortsBench(int ports, int seconds, int baud);

} // namespace zeph::bench
