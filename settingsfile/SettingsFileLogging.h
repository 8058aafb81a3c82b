// SPDX-License-Identifier: MIT
// The files' logging category, "zeph.settingsfile": saves that failed where nobody could be asked (the
// application INI file, written as the window closes) as warnings, which show on standard error by
// default; how each save went as debug messages, off unless QT_LOGGING_RULES says so.
#pragma once

#include <QLoggingCategory>

namespace zeph::settingsfile {
Q_DECLARE_LOGGING_CATEGORY(lcSettingsFile)
}
