// SPDX-License-Identifier: MIT
// The serial port's logging category, "zeph.comport": open, close, hang-up and errors. Off unless
// QT_LOGGING_RULES says so.
#pragma once

#include <QLoggingCategory>

namespace zeph::comport {
Q_DECLARE_LOGGING_CATEGORY(lcComPort)
}
