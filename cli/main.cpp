// SPDX-License-Identifier: MIT
// zeph7208: the command-line tool for scripting and batch commissioning of ZEPH7208 pulse collectors.
#include "cli/ReportLoader.h"
#include "cli/Tool.h"
#include "ProductVersion.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

int Run() {
    QCoreApplication::setApplicationName(QStringLiteral("zeph7208"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(zeph::ProductVersion));
    return zeph::cli::RunTool(QCoreApplication::arguments());
}

} // namespace

int main(int argc, char* argv[]) {
    // Only the commissioning report needs Qt GUI (fonts, the PDF writer): that command runs under the
    // report module's application on the offscreen platform, refused before any device is touched when the
    // module is missing; every other command starts with Qt Core alone.
    if (argc > 1 && std::strcmp(argv[1], "commission") == 0) {
        QString error;
        if (!zeph::cli::LoadReportModule(&error)) {
            std::fprintf(stderr, "zeph7208 commission: the report cannot be made: %s\n", qPrintable(error));
            return 1;
        }
        return zeph::cli::RunUnderGuiApplication(argc, argv, Run);
    }
    QCoreApplication application(argc, argv);
    return Run();
}
