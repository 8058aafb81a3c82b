// SPDX-License-Identifier: MIT
// The configurator's command line: extra ports, demo mode, the language and a settings file to open,
// besides --help and --version.
#pragma once

#include "app/StartOptions.h"

class QCommandLineParser;
class QCoreApplication;

namespace zeph::app {

void AddCommandLineOptions(QCommandLineParser& parser);

// Before the QApplication (which needs a display) exists: answers --help and --version, ends the program
// with status 1 and a line on standard error at any option error, and also when no display can be reached
// and no platform that needs none (offscreen and the like) is named.
void CheckBeforeDisplay(int argc, char* argv[]);

// The full parse, once the application has taken Qt's own options (-platform and the like) off; its
// errors were reported by CheckBeforeDisplay already.
void ProcessCommandLine(QCommandLineParser& parser, const QCoreApplication& application);

// The start options that a parsed command line asks for.
StartOptions StartOptionsFrom(const QCommandLineParser& parser);

// Where the application INI file of these options lives (StartOptions::iniPath, or AppIniPath's choice).
QString IniPathOf(const StartOptions& options);

// Decides the language (the command line's choice, the remembered one or the system's), remembers a
// choice made on the command line, and puts the translators in place.
Language SetUpLanguage(const StartOptions& options, QLocale::Language system);

} // namespace zeph::app
