// SPDX-License-Identifier: MIT
// The command line of zeph7208: a command word, its options and arguments, and the help texts.
#pragma once

#include "device/DevicePayloads.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace zeph::cli {

enum class Command { Ports, Read, Write, Counters, Clear, Preset, Init, Commission, Audit };
enum class ReportFormat { Text, Csv, Json };

// What the command line asks for.
struct Invocation {
    Command command = Command::Ports;
    QString port;                       // --port PATH of the device commands
    QStringList extraPorts;             // ports: --port PATH..., offered besides the system's ports
    bool factory = false;               // read --factory
    QString outputFile;                 // read -o FILE
    bool json = false;                  // read --json
    QString settingsFile;               // write FILE
    bool verify = true;                 // write, unless --no-verify
    std::optional<double> watchSeconds; // counters --watch
    std::optional<int> count;           // counters --count
    ReportFormat format = ReportFormat::Text;
    device::PresetSelection presets{}; // preset INPUT=VALUE...
    QString templateFile;              // commission --template
    QString devicesFile;               // commission --devices
    QString outDir;                    // commission --out
    QString operatorName;              // commission --operator
    int jobs = 8;                      // commission --jobs
    bool resume = false;               // commission --resume
    bool initIfNeeded = false;         // commission --init-if-needed
    QString auditFile;                 // audit verify FILE
    QString lastHash;                  // audit verify --last-hash
};

struct ParsedCommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, UsageError };
    Action action = Action::UsageError;
    Invocation invocation;
    // The help text to print, or what is wrong with the command line (one line).
    QString text;
    // The command the help or the error concerns; empty for the program as a whole.
    QString commandName;
};

// arguments[0] is the program, as QCoreApplication::arguments() gives it.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

} // namespace zeph::cli
