// SPDX-License-Identifier: MIT
// What the rooms of the main window (its two pages, its right-hand panel, its frame-monitor control) reach
// the rest of the window through: the device session, the message boxes and file dialogs, and what the
// window remembers between runs.
#pragma once

#include "app/MessageKind.h"
#include "app/UserDialogs.h"
#include "app/WindowMemory.h"

#include <QString>

#include <functional>

namespace zeph::session {
class DeviceSession;
}

namespace zeph::app {

struct WindowServices {
    session::DeviceSession* session = nullptr;
    // A modal box; one that comes while another is open waits for it to close.
    std::function<void(MessageKind, const QString&)> showMessage;
    // The seam of every box and file dialog, which a test may swap while the window runs.
    std::function<UserDialogs&()> dialogs;
    // The folders of the file dialogs and the rest of the window's memory, read at start-up.
    WindowMemory* memory = nullptr;
    // The application INI file, known once start-up has read it.
    std::function<QString()> iniPath;
};

} // namespace zeph::app
