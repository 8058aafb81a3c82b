// SPDX-License-Identifier: MIT
// A long run of continuous refresh against a device: zeph7208-soak PORT SECONDS [REPORT_SECONDS [PID]].
// Reads the counters back to back over the device session for SECONDS, as the counters page does when
// left on for a shift, and prints every REPORT_SECONDS (60 by default) what the line has done so far with
// the resident memory and open file descriptors of this program (and of process PID, the device, if
// given), then a summary. tools/soak.sh runs it against the simulator with random faults.
// Exit status: 0 when every read succeeded or was refused by a status answer, 1 when a read failed for
// want of an answer, counters went backwards or the port was lost, 2 on bad usage, 3 when the port
// cannot be opened.
#include "device/DevicePayloads.h"
#include "device/OperationCatalogue.h"
#include "link/FrameCodec.h"
#include "session/CounterPoller.h"
#include "session/DeviceSession.h"
#include "session/TerminationSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <array>
#include <cstdio>
#include <map>
#include <utility>

namespace {

using zeph::device::Operation;
using zeph::device::OperationOutcome;
using zeph::link::AnswerVerdict;

// Resident memory in kB and open descriptors of a process, from /proc; -1 when it is gone.
struct ProcessUse {
    long residentKb = -1;
    long descriptors = -1;
};

ProcessUse UseOf(const QString& pid) {
    ProcessUse use;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return use;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) use.residentKb = line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    use.descriptors =
        long(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::Files | QDir::System).size());
    return use;
}

struct Tally {
    long operations = 0;
    long succeeded = 0;
    long noAnswer = 0; // ten attempts without a valid answer: no 1 % fault explains that
    long refused = 0;  // a status answer: the simulator's status fault
    long otherOutcome = 0;
    long framesSent = 0;
    long retries = 0;
    long backwards = 0; // reports whose counters fell below the report before
    std::map<AnswerVerdict, long> verdicts;
    std::map<int, long> refusalStatus;
};

class Soak : public QObject {
public:
    Soak(zeph::session::DeviceSession& session, qint64 durationMs, qint64 reportMs, QString devicePid)
        : m_poller(session)
        , m_durationMs(durationMs)
        , m_reportMs(reportMs)
        , m_devicePid(std::move(devicePid)) {
        using zeph::session::DeviceSession;
        connect(&session, &DeviceSession::FrameSent, this, [this] { ++m_tally.framesSent; });
        connect(&session, &DeviceSession::RetryStarted, this, [this] { ++m_tally.retries; });
        connect(&session, &DeviceSession::AnswerJudged, this, [this](AnswerVerdict verdict) {
            ++m_tally.verdicts[verdict];
            m_attempts << zeph::link::VerdictText(verdict);
        });
        connect(&m_poller, &zeph::session::CounterPoller::ReadFinished, this,
                [this](const zeph::device::OperationResult& result) { Finished(result); });
        m_poller.SetPace(zeph::session::CounterPoller::Pace::BackToBack());
        m_tick.setInterval(100);
        connect(&m_tick, &QTimer::timeout, this, [this] { Tick(); });
        connect(&session, &DeviceSession::PortLost, this, [this] {
            m_portLost = true;
            Stop();
        });
    }

    void Start() {
        m_clock.start();
        m_start = UseOf(QStringLiteral("self"));
        m_deviceStart = m_devicePid.isEmpty() ? ProcessUse{} : UseOf(m_devicePid);
        std::printf("%8s %12s %8s %8s %8s %10s %6s %10s %6s\n", "seconds", "transactions", "retries",
                    "failures", "refusals", "rss kB", "fds", "dev rss kB", "dev fds");
        PrintLine();
        m_nextReportMs = m_reportMs;
        m_tick.start();
        m_poller.Start();
    }

    void Stop() {
        if (m_stopping) return;
        m_stopping = true;
        m_poller.Stop();
        m_tick.stop();
        // Measured with the port still open, as at the start.
        m_end = UseOf(QStringLiteral("self"));
        if (!m_devicePid.isEmpty()) m_deviceEnd = UseOf(m_devicePid);
        m_seconds = double(m_clock.elapsed()) / 1000.0;
        QCoreApplication::quit();
    }

    // Prints the summary; the exit status.
    int Summary() const {
        const ProcessUse& end = m_end;
        const ProcessUse& deviceEnd = m_deviceEnd;
        const double seconds = m_seconds;
        std::printf("\nsoak: %.0f s, %ld transactions (%.1f a second), %ld frames sent, %ld retries\n",
                    seconds, m_tally.operations, double(m_tally.operations) / std::max(seconds, 1.0),
                    m_tally.framesSent, m_tally.retries);
        std::printf("soak: attempts judged:");
        for (const auto& [verdict, count] : m_tally.verdicts)
            std::printf(" %s %ld,", qPrintable(zeph::link::VerdictText(verdict)), count);
        std::printf("\nsoak: succeeded %ld, failures (no answer) %ld, refusals by status %ld",
                    m_tally.succeeded, m_tally.noAnswer, m_tally.refused);
        for (const auto& [status, count] : m_tally.refusalStatus)
            std::printf(" (status %d: %ld)", status, count);
        std::printf(", other outcomes %ld, counters gone backwards %ld, port lost %s\n", m_tally.otherOutcome,
                    m_tally.backwards, m_portLost ? "yes" : "no");
        std::printf(
            "soak: this program: rss %ld kB at the start, %ld kB after the first report, %ld kB at the "
            "end; fds %ld, %ld, %ld\n",
            m_start.residentKb, m_warm.residentKb, end.residentKb, m_start.descriptors, m_warm.descriptors,
            end.descriptors);
        if (!m_devicePid.isEmpty())
            std::printf(
                "soak: the device (pid %s): rss %ld kB at the start, %ld kB after the first report, %ld "
                "kB at the end; fds %ld, %ld, %ld\n",
                qPrintable(m_devicePid), m_deviceStart.residentKb, m_deviceWarm.residentKb,
                deviceEnd.residentKb, m_deviceStart.descriptors, m_deviceWarm.descriptors,
                deviceEnd.descriptors);
        std::fflush(stdout);
        const bool sound = m_tally.noAnswer == 0 && m_tally.otherOutcome == 0 && m_tally.backwards == 0 &&
                           !m_portLost && m_tally.operations > 0;
        return sound ? 0 : 1;
    }

private:
    // The report lines and the end of the run.
    void Tick() {
        if (m_stopping) return;
        const qint64 now = m_clock.elapsed();
        if (now >= m_nextReportMs) {
            PrintLine();
            if (m_warm.residentKb < 0) {
                // Allocators and caches settle during the first stretch; growth is measured from here.
                m_warm = UseOf(QStringLiteral("self"));
                if (!m_devicePid.isEmpty()) m_deviceWarm = UseOf(m_devicePid);
            }
            m_nextReportMs += m_reportMs;
        }
        if (now >= m_durationMs) Stop();
    }

    void Finished(const zeph::device::OperationResult& result) {
        if (const zeph::device::CounterStatusReport* report = result.Report()) CheckCounters(*report);
        const OperationOutcome outcome = result.outcome;
        ++m_tally.operations;
        const QStringList attempts = std::exchange(m_attempts, {});
        switch (outcome) {
        case OperationOutcome::Succeeded:
            ++m_tally.succeeded;
            break;
        case OperationOutcome::NoAnswer:
            ++m_tally.noAnswer;
            break;
        case OperationOutcome::NotThisDevice:
        case OperationOutcome::IgnoredStatus:
            ++m_tally.refused;
            ++m_tally.refusalStatus[result.status.value_or(-1)];
            break;
        default:
            ++m_tally.otherOutcome;
            break;
        }
        if (outcome != OperationOutcome::Succeeded && outcome != OperationOutcome::NotThisDevice &&
            outcome != OperationOutcome::IgnoredStatus)
            ReportFailure(outcome, attempts);
    }

    // A failed read on a line of its own, with how each attempt was judged and the machine's load, so
    // that a soak run tells a line that failed from a machine too busy to keep its time-outs.
    void ReportFailure(OperationOutcome outcome, const QStringList& attempts) const {
        QFile loadAverage(QStringLiteral("/proc/loadavg"));
        const QByteArray load = loadAverage.open(QIODevice::ReadOnly)
                                    ? loadAverage.readAll().split(' ').mid(0, 3).join(' ')
                                    : "?";
        std::printf("soak: at %lld s a read ended \"%s\" after %lld attempts (%s); load average %s\n",
                    m_clock.elapsed() / 1000, qPrintable(zeph::device::OutcomeText(outcome)),
                    qlonglong(attempts.size()), qPrintable(attempts.join(QStringLiteral(", "))),
                    load.constData());
        std::fflush(stdout);
    }

    void CheckCounters(const zeph::device::CounterStatusReport& report) {
        if (m_lastCounters) {
            for (std::size_t i = 0; i < report.counters.size(); ++i) {
                if (report.counters[i] < (*m_lastCounters)[i]) {
                    ++m_tally.backwards;
                    break;
                }
            }
        }
        m_lastCounters = report.counters;
    }

    void PrintLine() const {
        const ProcessUse self = UseOf(QStringLiteral("self"));
        const ProcessUse device = m_devicePid.isEmpty() ? ProcessUse{} : UseOf(m_devicePid);
        std::printf("%8lld %12ld %8ld %8ld %8ld %10ld %6ld %10ld %6ld\n", m_clock.elapsed() / 1000,
                    m_tally.operations, m_tally.retries, m_tally.noAnswer + m_tally.otherOutcome,
                    m_tally.refused, self.residentKb, self.descriptors, device.residentKb,
                    device.descriptors);
        std::fflush(stdout);
    }

    zeph::session::CounterPoller m_poller;
    QTimer m_tick;
    const qint64 m_durationMs;
    const qint64 m_reportMs;
    const QString m_devicePid;
    QElapsedTimer m_clock;
    qint64 m_nextReportMs = 0;
    Tally m_tally;
    std::optional<std::array<quint32, 8>> m_lastCounters;
    ProcessUse m_start, m_warm, m_end, m_deviceStart, m_deviceWarm, m_deviceEnd;
    double m_seconds = 0;
    QStringList m_attempts; // how each attempt of the running read was judged
    bool m_portLost = false;
    bool m_stopping = false;
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool secondsOk = false;
    bool reportOk = true;
    const qint64 seconds = arguments.value(2).toLongLong(&secondsOk);
    const qint64 reportSeconds = arguments.size() > 3 ? arguments.value(3).toLongLong(&reportOk) : 60;
    if (arguments.size() < 3 || arguments.size() > 5 || !secondsOk || seconds <= 0 || !reportOk ||
        reportSeconds <= 0) {
        std::fprintf(stderr, "usage: zeph7208-soak PORT SECONDS [REPORT_SECONDS [DEVICE_PID]]\n");
        return 2;
    }
    zeph::session::TerminationSignals termination;
    zeph::session::DeviceSession session;
    zeph::line::LineError error;
    if (!session.Open(arguments.at(1), &error)) {
        std::fprintf(stderr, "zeph7208-soak: cannot open %s: %s\n", qPrintable(arguments.at(1)),
                     qPrintable(error.text));
        return 3;
    }
    Soak soak(session, seconds * 1000, reportSeconds * 1000, arguments.value(4));
    QObject::connect(&termination, &zeph::session::TerminationSignals::Received, &soak,
                     [&soak] { soak.Stop(); });
    QTimer::singleShot(0, &soak, [&soak] { soak.Start(); });
    app.exec();
    session.Close();
    return soak.Summary();
}
