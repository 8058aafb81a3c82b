// SPDX-License-Identifier: MIT
// Parsing the command line of zeph7208 and writing its help texts from one table of commands.
#include "cli/CommandLine.h"

#include "counters/CounterPreset.h"

#include <QCommandLineParser>
#include <QLocale>

#include <cmath>
#include <vector>

namespace zeph::cli {

namespace {

struct OptionEntry {
    QStringList names;
    QString valueName; // empty for a switch
    QString description;
};

struct CommandEntry {
    Command command;
    QString name;
    QString synopsis; // the arguments after the command word
    QString summary;  // one line in the program's help
    QString description;
    std::vector<OptionEntry> options;
};

const OptionEntry PortOption{
    {"port"},
    "PATH",
    "The serial port the device is on, or a serial server: tcp://HOST:PORT, rfc2217://HOST:PORT."};
const OptionEntry FormatOption{{"format"}, "FORMAT", "text (the default), csv or json."};

const std::vector<CommandEntry>& Commands() {
    static const std::vector<CommandEntry> commands = {
        {Command::Ports,
         "ports",
         "[--port PATH]...",
         "list the ports that can be opened now, with adapter details",
         "Lists the serial ports that can be opened now, one a line: the path, a tab and what the system "
         "tells about the adapter (maker, product, serial number, driver, /dev/serial/by-id name).",
         {{{"port"}, "PATH", "Also try PATH (a port the system does not list as a serial device)."}}},
        {Command::Read,
         "read",
         "--port PATH [--factory] [-o FILE.zsf] [--json]",
         "read the settings (or the factory defaults)",
         "Reads the device's settings and prints them as the text of a settings file, so that "
         "'zeph7208 read --port PATH > FILE.zsf' keeps them. -o saves them as the configurator's save "
         "does: the values are checked first, and an existing file keeps its other sections.",
         {PortOption,
          {{"factory"}, "", "Read the factory defaults instead of the settings."},
          {{"o", "output"}, "FILE", "Save the settings into FILE."},
          {{"json"}, "", "Print the settings as one JSON object."}}},
        {Command::Write,
         "write",
         "--port PATH FILE.zsf [--no-verify]",
         "write the settings of a settings file",
         "Loads FILE as the configurator loads a settings file, checks every value as the configurator "
         "does (each fault on standard error, starting with its key), writes the settings and reads them "
         "back to compare, reporting each difference by key.",
         {PortOption, {{"no-verify"}, "", "Do not read the settings back."}}},
        {Command::Counters,
         "counters",
         "--port PATH [--watch SECONDS] [--count N] [--format text|csv|json]",
         "print the counters, intervals and error flags",
         "Reads the counters, the intervals between the last two pulses, the input flags, the current and "
         "latched error flags and the data source. --watch repeats every SECONDS (fractions allowed, 0 "
         "polls back to back, each read 3.5 character times (1.8 ms at 19200 baud) after the device's last "
         "answer instead of the 20 ms every other request leaves it) until interrupted or --count reports "
         "are printed; --count alone repeats "
         "every second. CSV prints a header, then one line a report with the pulse rates since the line "
         "before; JSON prints one object a line.",
         {PortOption,
          {{"watch"}, "SECONDS", "Repeat every SECONDS."},
          {{"count"}, "N", "Stop after N reports."},
          FormatOption}},
        {Command::Clear,
         "clear",
         "--port PATH [--format text|csv|json]",
         "clear the latched error flags",
         "Clears the latched error flags and prints the report the device answers with.",
         {PortOption, FormatOption}},
        {Command::Preset,
         "preset",
         "--port PATH INPUT=VALUE... [--format text|csv|json]",
         "set counters to new values (INPUT 1..8, VALUE 0..3999999999)",
         "Sets the counters of the given inputs to the given values in one request, and prints the "
         "report the device answers with.",
         {PortOption, FormatOption}},
        {Command::Init,
         "init",
         "--port PATH [--format text|csv|json]",
         "first initialization, as the configurator runs it",
         "Runs the first initialization, then reads the settings and the counters as the configurator "
         "does, and prints the counter report.",
         {PortOption, FormatOption}},
        {Command::Commission,
         "commission",
         "--template FILE.zsf --devices LIST.csv --out DIR [--operator NAME] [--jobs N] [--resume] "
         "[--init-if-needed]",
         "set up many devices from a template and a device list, with a report",
         "For each device of LIST (a CSV file: tag, port, settings that differ from the template named by "
         "their JSON paths, counters to preset as preset_1 ... preset_8): opens its port, reads its "
         "settings, "
         "checks its counter report, writes the template with the row's values when the device differs, "
         "reads them back to compare, presets the counters, reads the counters. Devices on different ports "
         "run at once. DIR receives summary.csv, audit.jsonl (appended, a record per write, preset and first "
         "initialization, chained by SHA-256), report.pdf and each device's settings as TAG.zsf. Exit status "
         "7 when a device failed or did not run.",
         {{{"template"}, "FILE", "The settings every device takes (a settings file)."},
          {{"devices"}, "LIST", "The device list (CSV, UTF-8, a header row)."},
          {{"out"}, "DIR", "The folder for the summary, the audit trail, the report and the settings files."},
          {{"operator"}, "NAME", "Who commissions, for the audit trail (default: the login name)."},
          {{"jobs"}, "N", "Devices at once, 1 to 64 (default 8)."},
          {{"resume"}, "", "Skip the devices that passed in an earlier run into DIR."},
          {{"init-if-needed"},
           "",
           "Run the first initialization on a device that reports invalid settings or lost counts."}}},
        {Command::Audit,
         "audit",
         "verify FILE [--last-hash HASH]",
         "check the chain of a commissioning audit trail",
         "Checks that no record of FILE (an audit.jsonl) was changed, removed or moved. With --last-hash "
         "(the hash a summary or report carries) records cut from the end are found too. Exit status 8 "
         "when the chain is broken.",
         {{{"last-hash"}, "HASH", "The SHA-256 the last record must have."}}},
    };
    return commands;
}

const CommandEntry* FindCommand(const QString& name) {
    for (const CommandEntry& entry : Commands())
        if (entry.name == name) return &entry;
    return nullptr;
}

// Words wrapped at 79 columns for a text that starts at column indent; the lines after the first are
// indented to it.
QString Wrapped(const QString& text, int indent = 0) {
    QString wrapped;
    qsizetype lineLength = indent;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!wrapped.isEmpty() && lineLength + 1 + word.size() > 79) {
            wrapped += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            lineLength = indent;
        } else if (!wrapped.isEmpty()) {
            wrapped += QLatin1Char(' ');
            ++lineLength;
        }
        wrapped += word;
        lineLength += word.size();
    }
    return wrapped;
}

QString OptionList(const std::vector<OptionEntry>& options) {
    QString text;
    for (const OptionEntry& option : options) {
        QStringList names;
        for (const QString& name : option.names)
            names << (name.size() == 1 ? "-" : "--") + name;
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName.isEmpty()) left += QLatin1Char(' ') + option.valueName;
        text += QStringLiteral("  %1  ").arg(left, -22) + Wrapped(option.description, 26) + QLatin1Char('\n');
    }
    return text;
}

const std::vector<OptionEntry> CommonOptions = {{{"h", "help"}, "", "Show this help."},
                                                {{"v", "version"}, "", "Show the version."}};

QString ProgramHelp() {
    QString text =
        QStringLiteral("Usage: zeph7208 COMMAND [OPTIONS]\n\n"
                       "Reads, writes, watches and commissions ZEPH7208 pulse collectors from scripts.\n\n"
                       "Commands:\n");
    for (const CommandEntry& entry : Commands())
        text += QStringLiteral("  %1 %2\n").arg(entry.name, -11).arg(entry.summary);
    text += QStringLiteral("\nOptions:\n") + OptionList(CommonOptions) +
            QStringLiteral("\n'zeph7208 COMMAND --help' shows a command's options.\n\n") +
            Wrapped(QStringLiteral("Exit status: 0 done, 1 a file could not be written, 2 bad usage or an "
                                   "unusable settings file, 3 the port cannot be opened, 4 no answer, 5 an "
                                   "error status from the device, 6 the settings read back differ, 7 a "
                                   "device of a commissioning run failed or did not run, 8 an audit trail "
                                   "does not verify.")) +
            QLatin1Char('\n');
    return text;
}

QString CommandHelp(const CommandEntry& entry) {
    return QStringLiteral("%1\n\n%2\n\nOptions:\n%3")
        .arg(Wrapped(QStringLiteral("Usage: zeph7208 %1 %2").arg(entry.name, entry.synopsis), 7),
             Wrapped(entry.description), OptionList(entry.options) + OptionList(CommonOptions));
}

ParsedCommandLine Outcome(ParsedCommandLine::Action action, const QString& text,
                          const QString& command = {}) {
    ParsedCommandLine parsed;
    parsed.action = action;
    parsed.text = text;
    parsed.commandName = command;
    return parsed;
}

// The preset arguments INPUT=VALUE, each value checked as the configurator checks a preset field.
std::optional<QString> ReadPresets(const QStringList& arguments, device::PresetSelection* presets) {
    if (arguments.isEmpty()) return QStringLiteral("give at least one INPUT=VALUE");
    for (const QString& argument : arguments) {
        bool inputOk = false;
        const int input = argument.section(QLatin1Char('='), 0, 0).toInt(&inputOk);
        if (!argument.contains(QLatin1Char('=')) || !inputOk || input < 1 || input > 8)
            return QStringLiteral("%1: want INPUT=VALUE with INPUT 1..8").arg(argument);
        auto& slot = (*presets)[std::size_t(input - 1)];
        if (slot) return QStringLiteral("%1: input %2 is given twice").arg(argument).arg(input);
        // Numbers on a command line do not follow the user's locale: a point is the decimal separator.
        const device::NumberCheckResult checked =
            counters::CheckPresetValue(argument.section(QLatin1Char('='), 1), QLocale::c(), argument);
        if (!checked.passed) return checked.message;
        slot = counters::PresetValue(checked.editText, QLocale::c());
    }
    return std::nullopt;
}

// The values of the report options (--watch and --count only where the command has them); what is wrong
// with them otherwise.
std::optional<QString> ReadReportOptions(const QCommandLineParser& parser, bool repeats,
                                         Invocation* invocation) {
    if (repeats && parser.isSet(QStringLiteral("watch"))) {
        bool ok = false;
        const double seconds = QLocale::c().toDouble(parser.value(QStringLiteral("watch")), &ok);
        if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 1e6)
            return QStringLiteral("--watch wants seconds from 0 to 1000000, not '%1'")
                .arg(parser.value(QStringLiteral("watch")));
        invocation->watchSeconds = seconds;
    }
    if (repeats && parser.isSet(QStringLiteral("count"))) {
        bool ok = false;
        const int count = parser.value(QStringLiteral("count")).toInt(&ok);
        if (!ok || count < 1)
            return QStringLiteral("--count wants a whole number from 1, not '%1'")
                .arg(parser.value(QStringLiteral("count")));
        invocation->count = count;
    }
    if (parser.isSet(QStringLiteral("format"))) {
        const QString format = parser.value(QStringLiteral("format"));
        if (format == QLatin1String("text"))
            invocation->format = ReportFormat::Text;
        else if (format == QLatin1String("csv"))
            invocation->format = ReportFormat::Csv;
        else if (format == QLatin1String("json"))
            invocation->format = ReportFormat::Json;
        else
            return QStringLiteral("--format wants text, csv or json, not '%1'").arg(format);
    }
    return std::nullopt;
}

std::optional<QString> ReadCommission(const QCommandLineParser& parser, Invocation* invocation) {
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first());
    for (const char* needed : {"template", "devices", "out"})
        if (parser.value(QLatin1String(needed)).isEmpty())
            return QStringLiteral("give --%1").arg(QLatin1String(needed));
    invocation->templateFile = parser.value(QStringLiteral("template"));
    invocation->devicesFile = parser.value(QStringLiteral("devices"));
    invocation->outDir = parser.value(QStringLiteral("out"));
    invocation->operatorName = parser.value(QStringLiteral("operator"));
    invocation->resume = parser.isSet(QStringLiteral("resume"));
    invocation->initIfNeeded = parser.isSet(QStringLiteral("init-if-needed"));
    if (parser.isSet(QStringLiteral("jobs"))) {
        bool ok = false;
        invocation->jobs = parser.value(QStringLiteral("jobs")).toInt(&ok);
        if (!ok || invocation->jobs < 1 || invocation->jobs > 64)
            return QStringLiteral("--jobs wants a whole number from 1 to 64, not '%1'")
                .arg(parser.value(QStringLiteral("jobs")));
    }
    return std::nullopt;
}

// The options and arguments of one command; what is wrong with them otherwise.
std::optional<QString> ReadCommand(const CommandEntry& entry, const QCommandLineParser& parser,
                                   Invocation* invocation) {
    invocation->command = entry.command;
    const QStringList arguments = parser.positionalArguments();
    if (entry.command == Command::Ports) {
        invocation->extraPorts = parser.values(QStringLiteral("port"));
    } else if (entry.command == Command::Commission) {
        return ReadCommission(parser, invocation);
    } else if (entry.command == Command::Audit) {
        if (arguments.size() != 2 || arguments.first() != QLatin1String("verify"))
            return QStringLiteral("give verify FILE");
        invocation->auditFile = arguments.at(1);
        invocation->lastHash = parser.value(QStringLiteral("last-hash"));
        return std::nullopt;
    } else {
        if (parser.values(QStringLiteral("port")).size() != 1) return QStringLiteral("give one --port PATH");
        invocation->port = parser.value(QStringLiteral("port"));
    }
    const bool takesArguments = entry.command == Command::Write || entry.command == Command::Preset;
    if (!takesArguments && !arguments.isEmpty())
        return QStringLiteral("unexpected argument '%1'").arg(arguments.first());
    switch (entry.command) {
    case Command::Read:
        invocation->factory = parser.isSet(QStringLiteral("factory"));
        invocation->outputFile = parser.value(QStringLiteral("o"));
        invocation->json = parser.isSet(QStringLiteral("json"));
        if (parser.isSet(QStringLiteral("o")) && invocation->outputFile.isEmpty())
            return QStringLiteral("-o wants a file name");
        break;
    case Command::Write:
        if (arguments.size() != 1) return QStringLiteral("give one settings file");
        invocation->settingsFile = arguments.first();
        invocation->verify = !parser.isSet(QStringLiteral("no-verify"));
        break;
    case Command::Preset:
        if (const auto problem = ReadPresets(arguments, &invocation->presets)) return problem;
        break;
    default:
        break;
    }
    if (entry.command == Command::Counters || entry.command == Command::Clear ||
        entry.command == Command::Preset || entry.command == Command::Init)
        return ReadReportOptions(parser, entry.command == Command::Counters, invocation);
    return std::nullopt;
}

} // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    using Action = ParsedCommandLine::Action;
    const QString first = arguments.value(1);
    if (first.isEmpty()) return Outcome(Action::UsageError, QStringLiteral("no command given"));
    if (first == QLatin1String("-h") || first == QLatin1String("--help"))
        return Outcome(Action::ShowHelp, ProgramHelp());
    if (first == QLatin1String("-v") || first == QLatin1String("--version"))
        return Outcome(Action::ShowVersion, {});
    if (first == QLatin1String("help")) {
        if (arguments.size() < 3) return Outcome(Action::ShowHelp, ProgramHelp());
        const CommandEntry* entry = FindCommand(arguments.at(2));
        if (!entry)
            return Outcome(Action::UsageError, QStringLiteral("unknown command '%1'").arg(arguments.at(2)));
        return Outcome(Action::ShowHelp, CommandHelp(*entry), entry->name);
    }
    const CommandEntry* entry = FindCommand(first);
    if (!entry) {
        return Outcome(Action::UsageError, first.startsWith(QLatin1Char('-'))
                                               ? QStringLiteral("a command comes first, not '%1'").arg(first)
                                               : QStringLiteral("unknown command '%1'").arg(first));
    }

    QCommandLineParser parser;
    std::vector<OptionEntry> options = entry->options;
    options.insert(options.end(), CommonOptions.begin(), CommonOptions.end());
    for (const OptionEntry& option : options)
        parser.addOption(QCommandLineOption(option.names, option.description, option.valueName));
    const bool parsed = parser.parse(QStringList{arguments.first()} + arguments.mid(2));
    if (parser.isSet(QStringLiteral("help")))
        return Outcome(Action::ShowHelp, CommandHelp(*entry), entry->name);
    if (parser.isSet(QStringLiteral("version"))) return Outcome(Action::ShowVersion, {}, entry->name);
    if (!parsed) return Outcome(Action::UsageError, parser.errorText(), entry->name);

    ParsedCommandLine result = Outcome(Action::Run, {}, entry->name);
    if (const auto problem = ReadCommand(*entry, parser, &result.invocation))
        return Outcome(Action::UsageError, *problem, entry->name);
    return result;
}

} // namespace zeph::cli
