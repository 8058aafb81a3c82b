// SPDX-License-Identifier: MIT
// The window's own colours that the lamps and flag labels fall back to ("button face", window text).
#pragma once

#include <QApplication>
#include <QColor>
#include <QPalette>

namespace zeph::app {

// The face colour of the window's controls: what a lamp or flag label shows while it signals nothing.
inline QColor ButtonFace() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

inline QColor WindowText() {
    return QApplication::palette().color(QPalette::Active, QPalette::WindowText);
}

} // namespace zeph::app
