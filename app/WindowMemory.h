// SPDX-License-Identifier: MIT
// What the main window keeps between runs in section "Configurator" of the application INI file: its
// place and size, whether it was maximized, the page shown, the pace of the continuous refresh and the
// last folder of each file dialog;
// and where a window goes on the screens there are now.
#pragma once

#include <QRect>
#include <QString>

#include <optional>

namespace zeph::app {

struct WindowMemory {
    std::optional<QRect> place; // the window in its normal (not maximized) state
    bool maximized = false;
    int page = 0;
    bool fastRefresh = false;   // "Fast" beside "Continuous refresh"
    QString settingsFileFolder; // the settings file's open and save dialogs share one
    QString counterLogFolder;
    QString frameMonitorFolder;

    bool operator==(const WindowMemory&) const = default;
};

// Missing or unusable keys leave their member as it starts.
WindowMemory ReadWindowMemory(const QString& iniPath);
// Keeps the rest of the file; false when it cannot be written. Members without a value (no place, an
// empty folder) write no key, so they never clear what an earlier run kept.
bool WriteWindowMemory(const QString& iniPath, const WindowMemory& memory);

// A place is usable while enough of it lies on a screen to grab the window by its title again.
bool OnAScreen(const QRect& place);

// The place a window opens at: the remembered one while it is on a screen, no larger than that screen;
// otherwise its size hint, no larger than the primary screen, in the middle of it.
QRect FirstPlace(const std::optional<QRect>& remembered, const QSize& hint);

} // namespace zeph::app
