// SPDX-License-Identifier: MIT
// What the benchmark reads about its own process from the kernel: CPU time per thread, wake-ups (context
// switches) and resident memory. Snapshots are taken before and after a stretch and subtracted.
#pragma once

#include <QSet>

#include <map>

namespace zeph::bench {

struct ThreadTimes {
    double cpuMs = 0;      // user + system
    long long wakeUps = 0; // voluntary context switches: each a wait that ended
};

class ProcessSnapshot {
public:
    // Reads every thread of this process (or of process pid) now.
    static ProcessSnapshot Take(qint64 pid = 0);

    // CPU of the main (user-interface) thread, of the threads in `threads`, and of all threads.
    double MainCpuMs() const;
    double CpuMsOf(const QSet<int>& threads) const;
    double TotalCpuMs() const;
    long long TotalWakeUps() const;
    QSet<int> ThreadIds() const;

    // The difference since `before`; threads that ended meanwhile count with what they had.
    ProcessSnapshot Since(const ProcessSnapshot& before) const;

private:
    std::map<int, ThreadTimes> m_threads;
};

// Peak resident memory of the process so far, MiB (VmHWM).
double PeakResidentMiB();
// Resident memory of the process now, MiB (VmRSS).
double ResidentMiB();

} // namespace zeph::bench
