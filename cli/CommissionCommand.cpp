// SPDX-License-Identifier: MIT
// The commissioning run from the command line: a line per device as it finishes on standard output, a
// progress bar on a terminal's standard error, and at the end the report and the totals.
#include "cli/CommissionCommand.h"

#include "cli/ExitCode.h"
#include "cli/Output.h"
#include "cli/ReportLoader.h"
#include "commissioning/AuditLog.h"
#include "commissioning/Batch.h"
#include "session/TerminationSignals.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>

#include <cstdio>
#include <unistd.h>

namespace zeph::cli {

namespace {

using commissioning::Verdict;

// "P-101  /dev/ttyUSB0  passed  14 sends  1.9 s" or "... failed at read back: why".
QString DeviceLine(const commissioning::DeviceOutcome& device) {
    QString verdict = commissioning::VerdictName(device.verdict);
    if (device.verdict == Verdict::Failed)
        verdict += QStringLiteral(" at %1: %2").arg(commissioning::StepName(device.step), device.reason);
    return QStringLiteral("%1\t%2\t%3\t%4 sends\t%5 s\n")
        .arg(device.tag, device.port, verdict)
        .arg(device.sends)
        .arg(double(device.elapsedMs) / 1000.0, 0, 'f', 1);
}

// The bar redrawn in place on a terminal: "[########------------]  8/20 devices".
class ProgressBar {
public:
    explicit ProgressBar(int total)
        : m_total(total)
        , m_shown(::isatty(STDERR_FILENO) == 1 && total > 0) {}
    void Draw(int done) {
        if (!m_shown) return;
        const int width = 30;
        const int filled = width * done / m_total;
        std::fprintf(stderr, "\r[%s%s] %d/%d devices", QByteArray(filled, '#').constData(),
                     QByteArray(width - filled, '-').constData(), done, m_total);
        std::fflush(stderr);
    }
    // Takes the bar off its line so that a message can be written there.
    void Clear() {
        if (!m_shown) return;
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    }

private:
    int m_total;
    bool m_shown;
};

} // namespace

int CommissionCommand(const Invocation& invocation) {
    commissioning::Batch batch;
    QStringList problems;
    commissioning::BatchOptions options{invocation.templateFile, invocation.devicesFile, invocation.outDir,
                                        invocation.operatorName, invocation.jobs,        invocation.resume,
                                        invocation.initIfNeeded};
    if (!batch.Prepare(options, &problems)) {
        for (const QString& problem : problems)
            PrintError(problem);
        return batch.Refused() == commissioning::Batch::Refusal::Usage ? ExitUsage : ExitFailure;
    }
    for (const QString& note : batch.Notes())
        PrintError(QStringLiteral("zeph7208 commission: ") + note);

    const auto& devices = batch.Outcome().devices;
    ProgressBar bar(int(devices.size()));
    int done = 0;
    for (const auto& device : devices)
        if (device.fromEarlierRun) ++done;
    bar.Draw(done);

    session::TerminationSignals termination;
    int stopSignal = 0;
    QEventLoop loop;
    QObject::connect(&termination, &session::TerminationSignals::Received, &batch, [&](int signal) {
        stopSignal = signal;
        bar.Clear();
        PrintError(QStringLiteral("zeph7208 commission: stopping: the running devices finish their request"));
        batch.Stop();
    });
    QObject::connect(&batch, &commissioning::Batch::DeviceFinished, &batch, [&](int index) {
        bar.Clear();
        PrintOut(DeviceLine(devices[std::size_t(index)]));
        bar.Draw(++done);
    });
    QObject::connect(&batch, &commissioning::Batch::Finished, &loop, &QEventLoop::quit);
    batch.Start();
    loop.exec();
    bar.Clear();

    const commissioning::BatchOutcome& outcome = batch.Outcome();
    const QString reportPath = QDir(invocation.outDir).filePath(QLatin1String(commissioning::ReportFileName));
    QString error;
    const bool reported = WriteReport(reportPath, outcome, &error);
    if (!reported) PrintError(reportPath + QStringLiteral(": cannot be written: ") + error);
    for (const QString& problem : batch.WriteProblems())
        PrintError(problem);
    PrintError(QStringLiteral("%1 passed, %2 failed, %3 not run; audit trail: %4 records, last SHA-256 %5")
                   .arg(outcome.Count(Verdict::Passed))
                   .arg(outcome.Count(Verdict::Failed))
                   .arg(outcome.Count(Verdict::NotRun))
                   .arg(outcome.auditRecords)
                   .arg(QString::fromLatin1(outcome.auditLastHash)));
    if (stopSignal != 0) session::TerminationSignals::EndBySignal(stopSignal);
    if (!reported || !batch.WriteProblems().isEmpty()) return ExitFailure;
    return outcome.Count(Verdict::Passed) == int(outcome.devices.size()) ? ExitSuccess : ExitSomeFailed;
}

int AuditVerifyCommand(const Invocation& invocation) {
    QFile file(invocation.auditFile);
    if (!file.open(QIODevice::ReadOnly)) {
        PrintError(invocation.auditFile + QStringLiteral(": cannot read: ") + file.errorString());
        return ExitUsage;
    }
    const commissioning::AuditCheck check =
        commissioning::VerifyAuditLog(file.readAll(), invocation.lastHash.toLatin1());
    for (const QString& problem : check.problems)
        PrintError(invocation.auditFile + QStringLiteral(": ") + problem);
    if (!check.Holds()) return ExitAuditBroken;
    QString after;
    if (check.recordsAfterExpected > 0)
        after = QStringLiteral(", %1 after the one given").arg(check.recordsAfterExpected);
    PrintOut(QStringLiteral("%1: %2 records%3, the chain holds; last SHA-256 %4\n")
                 .arg(invocation.auditFile)
                 .arg(check.records)
                 .arg(after, QString::fromLatin1(check.lastHash)));
    return ExitSuccess;
}

} // namespace zeph::cli
