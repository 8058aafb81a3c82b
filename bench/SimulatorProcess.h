// SPDX-License-Identifier: MIT
// The simulated device as its own program (zeph7208-sim beside the benchmark's build folder), so its
// pacing thread's CPU and wake-ups are not counted as the configurator's.
#pragma once

#include <QProcess>
#include <QString>

namespace zeph::bench {

class SimulatorProcess {
public:
    // Starts the simulator paced at `baud` and waits for the port it prints; empty on failure.
    QString Start(int baud);
    ~SimulatorProcess();
    qint64 Pid() const { return m_process.processId(); }

private:
    QProcess m_process;
};

} // namespace zeph::bench
