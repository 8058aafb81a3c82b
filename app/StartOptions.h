// SPDX-License-Identifier: MIT
// What the command line (and a test) may tell the window: extra ports, demo mode, a settings file to
// open, where files are, the language.
#pragma once

#include "app/Language.h"

#include <QStringList>

#include <optional>

namespace zeph::app {

struct StartOptions {
    QStringList ports; // --port PATH, in the order given; a network port's text among them
    bool demo = false; // --demo: the simulated device
    // A settings file to open after start-up, as "Open settings file" would; empty: none.
    QString settingsFile;
    // Where the application INI file lives; empty: the user's configuration folder, or a portable copy
    // beside the executable (AppIniPath).
    QString iniPath;
    // Roots of the port probe, so that tests can give it a tree of their own.
    QString sysfsRoot = QStringLiteral("/sys");
    QString devRoot = QStringLiteral("/dev");
    // --language hu|en as given; nothing when not given (the remembered choice or the system decides).
    std::optional<Language> languageChoice;
};

} // namespace zeph::app
