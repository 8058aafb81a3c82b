// SPDX-License-Identifier: MIT
// The line a port text names: a path is a serial port.
#pragma once

#include "line/Line.h"

#include <functional>
#include <memory>

namespace zeph::line {

using LineFactory = std::function<std::unique_ptr<Line>(const QString& portText)>;

// The line for a port text, not yet open.
std::unique_ptr<Line> CreateLine(const QString& portText);

} // namespace zeph::line
