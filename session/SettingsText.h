// SPDX-License-Identifier: MIT
// The device settings as text for the front ends that run without the window: as a settings file, checked
// with the configurator's validation, compared key by key, and a failed operation in the window's words
// (as JSON: session/SettingsJson.h).
#pragma once

#include "device/DevicePayloads.h"
#include "device/OperationResult.h"
#include "device/SettingsValidation.h"

#include <QByteArray>
#include <QLocale>
#include <QStringList>

#include <optional>

namespace zeph::session {

// Today's date as the configurator writes it into its files.
QString FileDate();

// The text of the settings file that saving the page would write anew; nothing, with the reason in
// error, when it cannot be made.
std::optional<QByteArray> SettingsFileText(const device::SettingsPageState& page, QString* error);

// The page a settings file holds, loaded as the window loads it; nothing, with "PATH: cannot read: REASON"
// or "PATH: This file is not a ZEPH7208 settings." in problem, when it holds none.
std::optional<device::SettingsPageState> LoadSettingsPage(const QString& path, QString* problem);

// The configurator's validation, run to the end instead of stopping at the first fault: one message a
// failing control, each starting with the control's file key. Empty when the page passes; the page then
// holds its numbers in plain integer form, as validation leaves the window's controls.
QStringList ValidationMessages(device::SettingsPageState& page, const QLocale& locale);
// The same run, each fault with its setting.
std::vector<device::ValidationFailure> ValidationFailures(device::SettingsPageState& page,
                                                          const QLocale& locale);

// "KEY: written A, read back B" for every file key whose value differs.
QStringList SettingsDifferences(const device::SettingsPageState& written,
                                const device::SettingsPageState& readBack);

// The window's words for an operation that did not succeed: "The ZEPH7208 have not responded.",
// "Parameters error.", ...; empty for a success and for an operation abandoned unjudged.
QString FailureText(device::OperationOutcome outcome, std::optional<std::uint8_t> status);
// The same words untranslated, marked for the translation file under the "Device" context, where the
// window finds them in its language; "A #%1 ..." takes the device's address, the refusal its status.
// Null for a success and for an operation abandoned unjudged.
const char* FailureTextSource(device::OperationOutcome outcome);

} // namespace zeph::session
