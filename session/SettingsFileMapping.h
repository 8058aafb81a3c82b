// SPDX-License-Identifier: MIT
// The settings as the settings file keeps them: each setting under the name of the window control that
// shows it, which is its key in the file; and the English caption a message names a setting by.
#pragma once

#include "device/SettingsBlock.h"
#include "settingsfile/SettingsFile.h"

#include <optional>

namespace zeph::session {

// The setting's key in the settings file, which is also its control's object name in the window:
// "RadioGroup_7208BemTip3", "LabeledEdit_7208MbKeszulekcim".
QString FileKey(device::FieldRef field);
// The setting a key names (letter case ignored), if any.
std::optional<device::FieldRef> FieldOfKey(const QString& key);

// The caption of the setting's control under the English captions ("Type", "Address [1-247]:"); the
// baud-rate list, which has no caption of its own, is "Baud rate".
QString EnglishCaption(device::FieldRef field);

// The settings in the file's key order.
settingsfile::SettingsValues SettingsFileValues(const device::SettingsPageState& page);

// The settings a loaded file describes; the loader has already given absent or unusable keys their defaults.
device::SettingsPageState SettingsPageFromFile(const settingsfile::SettingsValues& values);

} // namespace zeph::session
