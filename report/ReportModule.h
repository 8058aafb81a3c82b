// SPDX-License-Identifier: MIT
// The commissioning report as a module that zeph7208 loads for `commission` alone, so that every other
// command starts without Qt GUI. Its two entry points, by name and type, for the loader.
#pragma once

#include "commissioning/DeviceOutcome.h"

#include <QString>

namespace zeph::report {

// Runs run() under a QGuiApplication on the offscreen platform made from argc and argv, returning what
// run() returns.
using RunUnderGuiFunction = int (*)(int& argc, char** argv, int (*run)());
inline constexpr char RunUnderGuiName[] = "zeph_report_run_under_gui";

// report::WriteCommissioningReport.
using WriteReportFunction = bool (*)(const QString& path, const commissioning::BatchOutcome& batch,
                                     QString* error);
inline constexpr char WriteReportName[] = "zeph_report_write";

// The module's file name in the build tree (beside report/) and where the package installs it.
inline constexpr char ModuleFileName[] = "libzeph7208-report.so";

} // namespace zeph::report
