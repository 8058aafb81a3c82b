// The configurator's command line: extra ports and demo mode, besides --help and --version.
#pragma once

#include "app/StartOptions.h"

class QCommandLineParser;

namespace zeph::app {

void AddCommandLineOptions(QCommandLineParser& parser);

// Answers --help and --version and ends the program, before the QApplication (which needs a display)
// exists; anything else is left to the parse that follows it.
void AnswerHelpAndVersion(int argc, char* argv[]);

// The start options that a parsed command line asks for.
StartOptions StartOptionsFrom(const QCommandLineParser& parser);

} // namespace zeph::app
