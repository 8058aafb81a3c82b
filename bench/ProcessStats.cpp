// SPDX-License-Identifier: MIT
// Per-thread CPU time and context switches from /proc/self/task, peak memory from /proc/self/status.
#include "bench/ProcessStats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

namespace zeph::bench {

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The time on a CPU from schedstat, in nanoseconds; else fields 14 and 15 of stat (utime, stime), whose
// clock ticks of 10 ms are too coarse for a report's cost. The name in brackets may hold blanks.
double CpuMsOfTask(const QString& task) {
    const QByteArray schedstat = ReadAll(task + QStringLiteral("/schedstat"));
    bool ok = false;
    const double onCpuNs = schedstat.split(' ').value(0).toDouble(&ok);
    if (ok) return onCpuNs / 1e6;
    const QByteArray stat = ReadAll(task + QStringLiteral("/stat"));
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0) return 0;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 13) return 0;
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

long long StatusValue(const QByteArray& status, const QByteArray& key) {
    for (const QByteArray& line : status.split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').first().toLongLong();
    return 0;
}

} // namespace

ProcessSnapshot ProcessSnapshot::Take(qint64 pid) {
    ProcessSnapshot snapshot;
    const QDir tasks(pid > 0 ? QStringLiteral("/proc/%1/task").arg(pid) : QStringLiteral("/proc/self/task"));
    for (const QString& name : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString task = tasks.filePath(name);
        const QByteArray status = ReadAll(task + QStringLiteral("/status"));
        ThreadTimes times;
        times.cpuMs = CpuMsOfTask(task);
        times.wakeUps = StatusValue(status, "voluntary_ctxt_switches");
        snapshot.m_threads[name.toInt()] = times;
    }
    return snapshot;
}

double ProcessSnapshot::MainCpuMs() const {
    const auto main = m_threads.find(int(getpid()));
    return main == m_threads.end() ? 0 : main->second.cpuMs;
}

double ProcessSnapshot::CpuMsOf(const QSet<int>& threads) const {
    double sum = 0;
    for (const auto& [id, times] : m_threads)
        if (threads.contains(id)) sum += times.cpuMs;
    return sum;
}

double ProcessSnapshot::TotalCpuMs() const {
    double sum = 0;
    for (const auto& [id, times] : m_threads)
        sum += times.cpuMs;
    return sum;
}

long long ProcessSnapshot::TotalWakeUps() const {
    long long sum = 0;
    for (const auto& [id, times] : m_threads)
        sum += times.wakeUps;
    return sum;
}

QSet<int> ProcessSnapshot::ThreadIds() const {
    QSet<int> ids;
    for (const auto& [id, times] : m_threads)
        ids.insert(id);
    return ids;
}

ProcessSnapshot ProcessSnapshot::Since(const ProcessSnapshot& before) const {
    ProcessSnapshot difference;
    for (const auto& [id, times] : m_threads) {
        ThreadTimes delta = times;
        if (const auto old = before.m_threads.find(id); old != before.m_threads.end()) {
            delta.cpuMs -= old->second.cpuMs;
            delta.wakeUps -= old->second.wakeUps;
        }
        difference.m_threads[id] = delta;
    }
    return difference;
}

double PeakResidentMiB() {
    return double(StatusValue(ReadAll(QStringLiteral("/proc/self/status")), "VmHWM")) / 1024.0;
}

double ResidentMiB() {
    return double(StatusValue(ReadAll(QStringLiteral("/proc/self/status")), "VmRSS")) / 1024.0;
}

} // namespace zeph::bench
