// SPDX-License-Identifier: MIT
// The settings page as the settings file keeps it: each control's state under the control's own name.
#pragma once

#include "device/SettingsBlock.h"
#include "settingsfile/SettingsFile.h"

namespace zeph::session {

// The page's controls in the file's key order.
settingsfile::SettingsValues SettingsFileValues(const device::SettingsPageState& page);

// The page a loaded file describes; the loader has already given absent or unusable keys their defaults.
device::SettingsPageState SettingsPageFromFile(const settingsfile::SettingsValues& values);

} // namespace zeph::session
