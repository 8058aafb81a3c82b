// SPDX-License-Identifier: MIT
// The device session without a window: the cost of the link itself, for comparison with the window.
#pragma once

#include <QString>

namespace zeph::bench {

// Reads the settings, writes them back and reads the counters (each `repeats` times, from the call to the
// decoded answer), then reads the counters back to back for `seconds`.
void RunSessionBench(const QString& port, int repeats, int seconds);

// `zeph7208 read` from the build tree, process start to exit, against the exchange's line time.
void RunCommandLineBench(const QString& port, int repeats, int exchangeCharacters, int baud);

} // namespace zeph::bench
