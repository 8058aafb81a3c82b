// SPDX-License-Identifier: MIT
// The history view's figures: a week's counter log at the default pace opened and drawn, with the memory
// it takes, a zoom's re-read, and the live plot's cost per report during a continuous refresh.
#pragma once

namespace zeph::bench {

void RunHistoryBench();

} // namespace zeph::bench
