// SPDX-License-Identifier: MIT
// Letting the program run while the benchmark watches: for a stretch of time with nothing else waking
// the process, or until a condition holds.
#pragma once

#include <functional>

namespace zeph::bench {

// Runs the event loop for `ms` milliseconds; only the one timer that ends it is added.
void RunFor(int ms);
// Runs the event loop until `done` holds (looked at every 5 ms) or `timeoutMs` passed; returns `done()`.
bool RunUntil(const std::function<bool()>& done, int timeoutMs);

} // namespace zeph::bench
