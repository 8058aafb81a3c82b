// zeph7208: the command-line tool for scripting and batch commissioning of ZEPH7208 pulse collectors.
#include "cli/Tool.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zeph7208"));
    QCoreApplication::setApplicationVersion(QStringLiteral("08-12-2014"));
    return zeph::cli::RunTool(QCoreApplication::arguments());
}
