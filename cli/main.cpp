// SPDX-License-Identifier: MIT
// zeph7208: the command-line tool for scripting and batch commissioning of ZEPH7208 pulse collectors.
#include "cli/Tool.h"
#include "ProductVersion.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
#include <memory>

int main(int argc, char* argv[]) {
    // Only the commissioning report needs Qt GUI (fonts, the PDF writer), on the offscreen platform so
    // that it needs no display; every other command stays with Qt Core and starts as quickly as it can.
    std::unique_ptr<QCoreApplication> application;
    if (argc > 1 && std::strcmp(argv[1], "commission") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("zeph7208"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(zeph::ProductVersion));
    return zeph::cli::RunTool(QCoreApplication::arguments());
}
