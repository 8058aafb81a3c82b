// What the command line (and a test) may tell the window: extra ports, demo mode, where files are.
#pragma once

#include <QStringList>

namespace zeph::app {

struct StartOptions {
    QStringList ports; // --port PATH, in the order given
    bool demo = false; // --demo: the simulated device
    // Where the application INI file lives; empty: beside the executable, or the user's configuration
    // folder when that one cannot be written.
    QString iniPath;
    // Roots of the port probe, so that tests can give it a tree of their own.
    QString sysfsRoot = QStringLiteral("/sys");
    QString devRoot = QStringLiteral("/dev");
};

} // namespace zeph::app
