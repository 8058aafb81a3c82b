// SPDX-License-Identifier: MIT
// Choosing the kind of line from the port text.
#include "line/LineFactory.h"

#include "line/SerialLine.h"

namespace zeph::line {

std::unique_ptr<Line> CreateLine(const QString& portText, const LineOptions& options) {
    return std::make_unique<SerialLine>(portText, options.checkHoldersBeforeOpen);
}

} // namespace zeph::line
