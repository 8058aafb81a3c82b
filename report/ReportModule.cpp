// SPDX-License-Identifier: MIT
// The entry points of the report module (see ReportModule.h).
#include "report/ReportModule.h"

#include "report/CommissioningReport.h"

#include <QGuiApplication>

extern "C" {

Q_DECL_EXPORT int zeph_report_run_under_gui(int& argc, char** argv, int (*run)()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    return run();
}

Q_DECL_EXPORT bool zeph_report_write(const QString& path, const zeph::commissioning::BatchOutcome& batch,
                                     QString* error) {
    return zeph::report::WriteCommissioningReport(path, batch, error);
}

Q_DECL_EXPORT const char* zeph_report_abi() {
    static const QByteArray abi = ZEPH_REPORT_ABI;
    return abi.constData();
}

} // extern "C"

// The types the loader casts to must be those of these functions.
static_assert(std::is_same_v<decltype(&zeph_report_run_under_gui), zeph::report::RunUnderGuiFunction>);
static_assert(std::is_same_v<decltype(&zeph_report_write), zeph::report::WriteReportFunction>);
static_assert(std::is_same_v<decltype(&zeph_report_abi), zeph::report::AbiFunction>);
