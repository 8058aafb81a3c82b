// SPDX-License-Identifier: MIT
// How the desktop knows the configurator's windows: the window icon and the desktop entry's name.
#pragma once

namespace zeph::app {

// Sets the icon of every window (the hicolor sizes built into the program) and the desktop entry name
// (org.zeph7208.Configurator), by which a Wayland compositor or a task bar finds the menu entry and its
// icon. Needs the QGuiApplication.
void ApplyDesktopIdentity();

} // namespace zeph::app
