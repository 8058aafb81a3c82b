// SPDX-License-Identifier: MIT
// The device settings for a script: as the text of a settings file, checked with the configurator's
// validation, and compared key by key (as JSON: session/SettingsJson.h).
#pragma once

#include "device/DevicePayloads.h"

#include <QByteArray>
#include <QLocale>
#include <QStringList>

#include <optional>

namespace zeph::cli {

// Today's date as the configurator writes it into its files.
QString FileDate();

// The text of the settings file that saving the page would write anew; nothing, with the reason in
// error, when it cannot be made.
std::optional<QByteArray> SettingsFileText(const device::SettingsPageState& page, QString* error);

// The configurator's validation, run to the end instead of stopping at the first fault: one message a
// failing control, each starting with the control's file key. Empty when the page passes; the page then
// holds its numbers in plain integer form, as validation leaves the window's controls.
QStringList ValidationMessages(device::SettingsPageState& page, const QLocale& locale);

// "KEY: written A, read back B" for every file key whose value differs.
QStringList SettingsDifferences(const device::SettingsPageState& written,
                                const device::SettingsPageState& readBack);

} // namespace zeph::cli
