// SPDX-License-Identifier: MIT
// The configurator's command line: extra ports, demo mode, the language and a settings file to open,
// besides --help and --version.
#pragma once

#include "app/StartOptions.h"

class QCommandLineParser;
class QCoreApplication;

namespace zeph::app {

void AddCommandLineOptions(QCommandLineParser& parser);

// Answers --help and --version and ends the program, before the QApplication (which needs a display)
// exists; anything else is left to the parse that follows it.
void AnswerHelpAndVersion(int argc, char* argv[]);

// The full parse, once the application has taken Qt's own options (-platform and the like) off: an
// unknown option, a malformed network port or a second settings file ends the program with status 1 and a
// line on standard error.
void ProcessCommandLine(QCommandLineParser& parser, const QCoreApplication& application);

// The start options that a parsed command line asks for.
StartOptions StartOptionsFrom(const QCommandLineParser& parser);

// Where the application INI file of these options lives (StartOptions::iniPath, or AppIniPath's choice).
QString IniPathOf(const StartOptions& options);

// Decides the language (the command line's choice, the remembered one or the system's), remembers a
// choice made on the command line, and puts the translators in place.
Language SetUpLanguage(const StartOptions& options, QLocale::Language system);

} // namespace zeph::app
