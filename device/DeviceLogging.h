// SPDX-License-Identifier: MIT
// The device operations' logging category, "zeph.device": each operation started, its steps and its
// result. Off unless QT_LOGGING_RULES says so.
#pragma once

#include <QLoggingCategory>

namespace zeph::device {
Q_DECLARE_LOGGING_CATEGORY(lcDevice)
}
