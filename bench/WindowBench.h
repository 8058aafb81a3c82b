// SPDX-License-Identifier: MIT
// The window, headless, against the simulated device: start-up, idle, clicks and continuous refresh.
#pragma once

#include <QElapsedTimer>
#include <QString>

namespace zeph::bench {

struct WindowBenchOptions {
    QString port;
    int repeats = 10;
    int seconds = 15;
    QElapsedTimer sinceStart; // started as the program began, for the start-up figure
};

void RunWindowBench(const WindowBenchOptions& options);

} // namespace zeph::bench
