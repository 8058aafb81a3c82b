// The configurator's command line: extra ports and demo mode, besides --help and --version.
#pragma once

#include "app/StartOptions.h"

class QCommandLineParser;

namespace zeph::app {

void AddCommandLineOptions(QCommandLineParser& parser);

// The start options that a parsed command line asks for.
StartOptions StartOptionsFrom(const QCommandLineParser& parser);

} // namespace zeph::app
