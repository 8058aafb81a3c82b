// SPDX-License-Identifier: MIT
// The window icon and the desktop entry name of the configurator.
#include "app/DesktopIdentity.h"

#include <QGuiApplication>
#include <QIcon>

namespace zeph::app {

void ApplyDesktopIdentity() {
    // The same pictures as the installed hicolor icons, so the window shows its icon also when the
    // program runs from the build tree or a stick, with no icon theme that knows it.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/org.zeph7208.Configurator.png").arg(size));
    QGuiApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zeph7208.Configurator"));
}

} // namespace zeph::app
