// SPDX-License-Identifier: MIT
// Watches a device session for the benchmark: when each operation started and finished, how many counter
// reports came, and what a stretch of continuous reading cost.
#pragma once

#include "bench/ProcessStats.h"
#include "device/OperationCatalogue.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>

namespace zeph::session {
class DeviceSession;
}

namespace zeph::bench {

struct RefreshFigures {
    double seconds = 0;
    int reports = 0;
    QList<double> cyclesMs;    // start to start of the counter reads
    double uiCpuMs = 0;        // the main thread
    double receiveCpuMs = 0;   // the port's receive thread
    double totalCpuMs = 0;     // every thread of the process
    long long wakeUps = 0;     // voluntary context switches of every thread of the process
    double simulatorCpuMs = 0; // the simulated device's process, when it runs apart
};

class SessionWatch : public QObject {
    Q_OBJECT
public:
    explicit SessionWatch(session::DeviceSession& session);

    // Milliseconds since the watch began.
    double Now() const { return double(m_clock.nsecsElapsed()) / 1e6; }
    int Finished(device::Operation operation) const { return m_finished.value(int(operation)); }
    double LastFinishedAt() const { return m_lastFinishedAt; }
    int Reports() const { return m_reports; }

    // Remembers the threads that exist now, so that the ones the port starts later count as its own.
    void NoteThreadsBeforeOpen() { m_threadsBeforeOpen = ProcessSnapshot::Take().ThreadIds(); }
    QSet<int> ReceiveThreads() const;

    // Lets the program run for `ms` and returns what it did and cost meanwhile.
    RefreshFigures Measure(int ms);
    // The simulated device's process, whose CPU per answer a stretch reports too.
    static void SetSimulatorPid(qint64 pid);

private:
    session::DeviceSession& m_session;
    QElapsedTimer m_clock;
    QHash<int, int> m_finished;
    double m_lastFinishedAt = 0;
    int m_reports = 0;
    QList<double> m_readStarts;
    QSet<int> m_threadsBeforeOpen;
};

// Prints the figures of a stretch of continuous reading.
void PrintRefresh(const QString& what, const RefreshFigures& figures);
// Prints idle wake-ups and CPU of a stretch.
void PrintIdle(const QString& what, const RefreshFigures& figures);

} // namespace zeph::bench
