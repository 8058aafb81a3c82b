// SPDX-License-Identifier: MIT
// zeph7208: the command-line tool for scripting and batch commissioning of ZEPH7208 pulse collectors.
#include "cli/Tool.h"
#include "ProductVersion.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zeph7208"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(zeph::ProductVersion));
    return zeph::cli::RunTool(QCoreApplication::arguments());
}
