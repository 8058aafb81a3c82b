// SPDX-License-Identifier: MIT
// The line a port text names: a path is a serial port.
#pragma once

#include "line/Line.h"

#include <functional>
#include <memory>

namespace zeph::line {

using LineFactory = std::function<std::unique_ptr<Line>(const QString& portText)>;

struct LineOptions {
    // A serial port another program holds without a lock is refused before it is opened (the window);
    // off, its holders are looked for only when an open fails (a script that opens a port many times).
    bool checkHoldersBeforeOpen = true;
};

// The line for a port text, not yet open.
std::unique_ptr<Line> CreateLine(const QString& portText, const LineOptions& options);
inline std::unique_ptr<Line> CreateLine(const QString& portText) {
    return CreateLine(portText, LineOptions{});
}

} // namespace zeph::line
