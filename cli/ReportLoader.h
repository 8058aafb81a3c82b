// SPDX-License-Identifier: MIT
// Loading the report module for zeph7208 commission: Qt GUI comes into the process with it, for that
// command alone.
#pragma once

#include "commissioning/DeviceOutcome.h"

#include <QString>

namespace zeph::cli {

// Loads the module from the build tree beside the program or from where the package installs it; false
// with the reason when neither is there or it is not the module this program was built with.
bool LoadReportModule(QString* error);

// Runs run() under the module's QGuiApplication. The module must be loaded.
int RunUnderGuiApplication(int& argc, char** argv, int (*run)());

// Writes the report with the module; false with the reason, also when the module is not loaded.
bool WriteReport(const QString& path, const commissioning::BatchOutcome& batch, QString* error);

} // namespace zeph::cli
