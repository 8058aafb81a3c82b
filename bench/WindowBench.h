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

// The same device through two ports in one run (the pseudo-terminal and a serial server in front of it):
// read settings click to shown, Fast reports per second and CPU per report, side by side.
void RunLineComparison(const QString& directPort, const QString& networkPort, const QString& networkName,
                       int repeats, int seconds);

} // namespace zeph::bench
