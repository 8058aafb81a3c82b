// SPDX-License-Identifier: MIT
// The commands of zeph7208: each opens the port, runs its operations on the device session and prints
// what they brought; everything that can be refused without the device is refused before the port opens.
#include "cli/Tool.h"

#include "cli/CommandLine.h"
#include "cli/CommissionCommand.h"
#include "cli/ExitCode.h"
#include "cli/Output.h"
#include "cli/ReportPrinter.h"
#include "cli/SessionRunner.h"
#include "comport/PortProbe.h"
#include "line/PortText.h"
#include "session/DeviceSession.h"
#include "session/SettingsFileMapping.h"
#include "session/SettingsJson.h"
#include "session/SettingsText.h"
#include "session/TerminationSignals.h"
#include "settingsfile/SettingsFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>

#include <csignal>

namespace zeph::cli {

namespace {

using device::Operation;
using device::OperationOutcome;

struct Context {
    const Invocation& invocation;
    session::DeviceSession& session;
    SessionRunner& runner;
};

// Nothing when the operation succeeded; otherwise the exit status, its message printed in the words the
// configurator's window uses.
std::optional<int> Failure(const SessionRunner::Result& result, const Context& context) {
    const QString port = context.invocation.port + QStringLiteral(": ");
    const QString text = session::FailureText(result.outcome, result.status);
    switch (result.outcome) {
    case OperationOutcome::Succeeded:
        return std::nullopt;
    case OperationOutcome::NoAnswer:
        PrintError(port + text);
        return ExitNoAnswer;
    case OperationOutcome::NotThisDevice:
    case OperationOutcome::ParameterError:
    case OperationOutcome::EepromError:
    case OperationOutcome::IgnoredStatus:
        PrintError(port + text);
        return ExitDeviceError;
    case OperationOutcome::Abandoned:
        break;
    }
    // Stopped by a signal or a lost port: the caller ends accordingly.
    return ExitFailure;
}

int ReadCommand(const Context& context) {
    const Invocation& invocation = context.invocation;
    const SessionRunner::Result read = context.runner.Run(
        invocation.factory ? Operation::ReadFactoryDefaults : Operation::ReadSettings, [&] {
            invocation.factory ? context.session.ReadFactoryDefaults() : context.session.ReadSettings();
            return true;
        });
    if (const auto failed = Failure(read, context)) return *failed;
    device::SettingsPageState page = read.settings->page;

    if (!invocation.outputFile.isEmpty()) {
        // The window's save: its validation first, then the file written key by key.
        const QStringList problems = session::ValidationMessages(page, QLocale());
        for (const QString& problem : problems)
            PrintError(problem);
        if (!problems.isEmpty()) return ExitUsage;
        QString error;
        if (!settingsfile::SaveSettingsFile(invocation.outputFile, session::SettingsFileValues(page),
                                            session::FileDate(), &error)) {
            PrintError(invocation.outputFile + QStringLiteral(": The save operation is failed. ") + error);
            return ExitFailure;
        }
    }
    if (invocation.json) {
        PrintOut(QJsonDocument(session::SettingsJson(*read.settings)).toJson(QJsonDocument::Indented));
    } else if (invocation.outputFile.isEmpty()) {
        QString error;
        const std::optional<QByteArray> text = session::SettingsFileText(page, &error);
        if (!text) {
            PrintError(QStringLiteral("The settings cannot be put as a file: ") + error);
            return ExitFailure;
        }
        PrintOut(*text);
    }
    return ExitSuccess;
}

int WriteCommand(const Context& context, const device::SettingsPageState& page) {
    const SessionRunner::Result written = context.runner.Run(Operation::WriteSettings, [&] {
        context.session.WriteSettings(device::EncodeSettingsBlock(page, QLocale()));
        return true;
    });
    if (const auto failed = Failure(written, context)) return *failed;
    if (!context.invocation.verify) return ExitSuccess;

    const SessionRunner::Result readBack = context.runner.Run(Operation::ReadSettings, [&] {
        context.session.ReadSettings();
        return true;
    });
    if (const auto failed = Failure(readBack, context)) return *failed;
    const QStringList differences = session::SettingsDifferences(page, readBack.settings->page);
    for (const QString& difference : differences)
        PrintError(difference);
    return differences.isEmpty() ? ExitSuccess : ExitVerifyDifference;
}

int CountersCommand(const Context& context) {
    const Invocation& invocation = context.invocation;
    ReportPrinter printer(invocation.format);
    if (!invocation.watchSeconds && !invocation.count) {
        const SessionRunner::Result read =
            context.runner.Run(Operation::ReadCounters, [&] { return context.session.RefreshCounters(); });
        if (const auto failed = Failure(read, context)) return *failed;
        return PrintOut(printer.Next(*read.report)) ? ExitSuccess : ExitFailure;
    }
    // Every period from the start of the one before (every second with --count alone); 0 back to back.
    const qint64 periodMs = qint64(invocation.watchSeconds.value_or(1.0) * 1000.0 + 0.5);
    using Pace = session::CounterPoller::Pace;
    bool printed = true;
    const SessionRunner::Result last = context.runner.Watch(
        periodMs == 0 ? Pace::BackToBack() : Pace::Every(periodMs), invocation.count.value_or(0),
        [&](const SessionRunner::Result& read) { return printed = PrintOut(printer.Next(*read.report)); });
    if (const auto failed = Failure(last, context)) return *failed;
    return printed ? ExitSuccess : ExitFailure;
}

// Clear, preset and first initialization: one operation whose answer is a counter report.
int ReportingCommand(const Context& context, Operation operation, const std::function<bool()>& start) {
    const SessionRunner::Result result = context.runner.Run(operation, start);
    if (const auto failed = Failure(result, context)) return *failed;
    if (result.report) PrintOut(ReportPrinter(context.invocation.format).Next(*result.report));
    return ExitSuccess;
}

int RunCommand(const Context& context, const device::SettingsPageState& page) {
    session::DeviceSession& session = context.session;
    switch (context.invocation.command) {
    case Command::Read:
        return ReadCommand(context);
    case Command::Write:
        return WriteCommand(context, page);
    case Command::Counters:
        return CountersCommand(context);
    case Command::Clear:
        return ReportingCommand(context, Operation::ClearErrors, [&] { return session.ClearErrors(); });
    case Command::Preset:
        return ReportingCommand(context, Operation::PresetCounters,
                                [&] { return session.PresetCounters(context.invocation.presets); });
    case Command::Init:
        return ReportingCommand(context, Operation::FirstInitialization,
                                [&] { return session.FirstInitialization(); });
    case Command::Ports:
    case Command::Commission:
    case Command::Audit:
        break;
    }
    return ExitUsage;
}

// The settings a write sends: the file loaded with the window's rules and checked with its validation.
std::optional<device::SettingsPageState> LoadForWrite(const QString& path) {
    QString problem;
    std::optional<device::SettingsPageState> loaded = session::LoadSettingsPage(path, &problem);
    if (!loaded) {
        PrintError(problem);
        return std::nullopt;
    }
    device::SettingsPageState page = *loaded;
    const QStringList faults = session::ValidationMessages(page, QLocale());
    for (const QString& fault : faults)
        PrintError(fault);
    if (!faults.isEmpty()) return std::nullopt;
    return page;
}

int DeviceCommand(const Invocation& invocation) {
    device::SettingsPageState page;
    if (invocation.command == Command::Write) {
        const auto loaded = LoadForWrite(invocation.settingsFile);
        if (!loaded) return ExitUsage;
        page = *loaded;
    }

    // A network port text that names nothing is a usage error, told before anything is tried.
    if (QString why;
        line::LooksLikeNetworkPort(invocation.port) && !line::ParsePortText(invocation.port, &why)) {
        PrintError(QStringLiteral("zeph7208: ") + why);
        return ExitUsage;
    }
    const bool network = line::LooksLikeNetworkPort(invocation.port);

    session::TerminationSignals termination;
    // A script may open the port many times: other programs holding it are looked for only when the
    // open fails, not before every open.
    session::DeviceSession session(
        [](const QString& port) { return session::CreateLine(port, {.checkHoldersBeforeOpen = false}); },
        link::SystemClock());
    line::LineError error;
    if (!session.Open(invocation.port, &error)) {
        // A network line's reason names the server ("cannot reach HOST:PORT: Connection refused").
        PrintError(network ? error.text
                           : QStringLiteral("cannot open %1: %2").arg(invocation.port, error.text));
        return ExitPortUnavailable;
    }
    QObject::connect(&session, &session::DeviceSession::LineNotice, &session,
                     [](const QString& text) { PrintError(QStringLiteral("zeph7208: ") + text); });
    SessionRunner runner(session, termination);
    const int status = RunCommand({invocation, session, runner}, page);
    session.Close();

    if (runner.StopSignal() != 0) session::TerminationSignals::EndBySignal(runner.StopSignal());
    if (runner.PortLost()) {
        if (network) {
            const std::optional<line::PortAddress> address = line::ParsePortText(invocation.port);
            PrintError(QStringLiteral("The connection to %1 was lost.").arg(address->Endpoint()));
        } else {
            PrintError(invocation.port + QStringLiteral(": The serial port was disconnected."));
        }
        return ExitPortUnavailable;
    }
    return status;
}

// A reader that went away ends the program as a broken pipe ends Unix tools; any other failed write to
// standard output (a full disk) is said and ends it with 1, so that a script never takes a cut result
// for a whole one.
int CheckedOutput(int status) {
    if (OutputBroken()) session::TerminationSignals::EndBySignal(SIGPIPE);
    if (const QString failure = OutputFailure(); !failure.isEmpty()) {
        PrintError(QStringLiteral("zeph7208: cannot write standard output: ") + failure);
        return ExitFailure;
    }
    return status;
}

int PortsCommand(const Invocation& invocation) {
    comport::PortProbeOptions options;
    options.extraPaths = invocation.extraPorts;
    // The same judgement as the window's list: nothing is opened, and what is left out says why.
    const comport::PortScan scan = comport::ScanPorts(options);
    for (const comport::PortInfo& port : scan.ports) {
        // This list is of ports that can be opened now: a named one that another program holds is told
        // about beside the hidden ones.
        if (!port.inUse.isEmpty()) {
            PrintError(port.path + QStringLiteral(": ") + port.inUse);
            continue;
        }
        const QString details = port.Details().replace(QLatin1Char('\n'), QStringLiteral(", "));
        if (!PrintOut(port.path + QLatin1Char('\t') + details + QLatin1Char('\n'))) return ExitFailure;
    }
    if (!scan.hidden.isEmpty()) PrintError(scan.HintLine());
    return ExitSuccess;
}

} // namespace

int RunTool(const QStringList& arguments) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    switch (parsed.action) {
    case ParsedCommandLine::Action::ShowHelp:
        PrintOut(parsed.text);
        return CheckedOutput(ExitSuccess);
    case ParsedCommandLine::Action::ShowVersion:
        PrintOut(QStringLiteral("zeph7208 %1\n").arg(QCoreApplication::applicationVersion()));
        return CheckedOutput(ExitSuccess);
    case ParsedCommandLine::Action::UsageError: {
        const QString who =
            QStringList({QStringLiteral("zeph7208"), parsed.commandName}).join(QLatin1Char(' ')).trimmed();
        PrintError(who + QStringLiteral(": ") + parsed.text);
        PrintError(QStringLiteral("Try '%1 --help'.").arg(who));
        return ExitUsage;
    }
    case ParsedCommandLine::Action::Run:
        break;
    }
    // A reader that goes away shows as a failed write, so the port is still closed in order.
    std::signal(SIGPIPE, SIG_IGN);
    switch (parsed.invocation.command) {
    case Command::Ports:
        return CheckedOutput(PortsCommand(parsed.invocation));
    case Command::Commission:
        return CheckedOutput(CommissionCommand(parsed.invocation));
    case Command::Audit:
        return CheckedOutput(AuditVerifyCommand(parsed.invocation));
    default:
        break;
    }
    return CheckedOutput(DeviceCommand(parsed.invocation));
}

} // namespace zeph::cli
