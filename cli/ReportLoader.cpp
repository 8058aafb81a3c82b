// SPDX-License-Identifier: MIT
// Finding the report module and taking its entry points.
#include "cli/ReportLoader.h"

#include "report/ReportModule.h"

#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

namespace zeph::cli {

namespace {

report::RunUnderGuiFunction runUnderGui = nullptr;
report::WriteReportFunction writeReport = nullptr;

// The program's own folder, before any QCoreApplication exists to say it.
QString ProgramFolder() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

} // namespace

bool LoadReportModule(QString* error) {
    if (runUnderGui && writeReport) return true;
    const QString folder = ProgramFolder();
    // The build tree keeps the program in cli/ and the module in report/; the package installs the
    // program in bin/ and the module in its private folder of the library tree.
    const QStringList candidates{
        folder + QStringLiteral("/../report/") + QLatin1String(report::ModuleFileName),
        folder + QStringLiteral("/../" ZEPH_PRIVATE_LIBDIR "/") + QLatin1String(report::ModuleFileName)};
    QStringList reasons;
    for (const QString& candidate : candidates) {
        if (!QFileInfo::exists(candidate)) continue;
        void* handle = ::dlopen(QFileInfo(candidate).canonicalFilePath().toLocal8Bit().constData(),
                                RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            reasons << QString::fromLocal8Bit(::dlerror());
            continue;
        }
        const auto abi = reinterpret_cast<report::AbiFunction>(::dlsym(handle, report::AbiName));
        runUnderGui = reinterpret_cast<report::RunUnderGuiFunction>(::dlsym(handle, report::RunUnderGuiName));
        writeReport = reinterpret_cast<report::WriteReportFunction>(::dlsym(handle, report::WriteReportName));
        if (abi && QByteArray(abi()) == ZEPH_REPORT_ABI && runUnderGui && writeReport) return true;
        runUnderGui = nullptr;
        writeReport = nullptr;
        ::dlclose(handle);
        reasons << candidate + QStringLiteral(": not the report module of this program (another build)");
    }
    if (error)
        *error = reasons.isEmpty()
                     ? QStringLiteral("%1 is not installed (looked in %2)")
                           .arg(QLatin1String(report::ModuleFileName), candidates.join(QStringLiteral(", ")))
                     : reasons.join(QStringLiteral("; "));
    return false;
}

int RunUnderGuiApplication(int& argc, char** argv, int (*run)()) {
    return runUnderGui(argc, argv, run);
}

bool WriteReport(const QString& path, const commissioning::BatchOutcome& batch, QString* error) {
    if (!writeReport) {
        if (error) *error = QStringLiteral("the report module is not loaded");
        return false;
    }
    return writeReport(path, batch, error);
}

} // namespace zeph::cli
