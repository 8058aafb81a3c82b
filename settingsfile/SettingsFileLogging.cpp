// SPDX-License-Identifier: MIT
// The files' logging category.
#include "settingsfile/SettingsFileLogging.h"

namespace zeph::settingsfile {
Q_LOGGING_CATEGORY(lcSettingsFile, "zeph.settingsfile", QtWarningMsg)
}
