// SPDX-License-Identifier: MIT
// The commissioning report as a module that zeph7208 loads for `commission` alone, so that every other
// command starts without Qt GUI. Its two entry points, by name and type, for the loader.
#pragma once

#include "commissioning/DeviceOutcome.h"
#include "ProductVersion.h"

#include <QByteArray>

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

// What the module and the program that loads it must agree on: the product version and the size of the
// outcome they hand over, which a module of another build would lay out differently.
using AbiFunction = const char* (*)();
inline constexpr char AbiName[] = "zeph_report_abi";
#define ZEPH_REPORT_ABI                                                                                      \
    (QByteArray(zeph::ProductVersion) + ' ' +                                                                \
     QByteArray::number(qulonglong(sizeof(zeph::commissioning::BatchOutcome))) + ' ' +                       \
     QByteArray::number(qulonglong(sizeof(zeph::commissioning::DeviceOutcome))))

// The module's file name in the build tree (beside report/) and where the package installs it.
inline constexpr char ModuleFileName[] = "libzeph7208-report.so";

} // namespace zeph::report
