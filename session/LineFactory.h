// SPDX-License-Identifier: MIT
// The line a port text names: a path is a serial port, tcp:// and rfc2217:// a serial server on the
// network.
#pragma once

#include "line/Line.h"

#include <functional>
#include <memory>

namespace zeph::session {

using LineFactory = std::function<std::unique_ptr<line::Line>(const QString& portText)>;

struct LineOptions {
    // A serial port another program holds without a lock is refused before it is opened (the window);
    // off, its holders are looked for only when an open fails (a script that opens a port many times).
    bool checkHoldersBeforeOpen = true;
};

// The line for a port text, not yet open. A malformed network port text gives a line whose open fails
// with the reason.
std::unique_ptr<line::Line> CreateLine(const QString& portText, const LineOptions& options);
inline std::unique_ptr<line::Line> CreateLine(const QString& portText) {
    return CreateLine(portText, LineOptions{});
}

} // namespace zeph::session
