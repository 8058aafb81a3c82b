// SPDX-License-Identifier: MIT
// The device settings for a script: as the text of a settings file, as JSON, checked with the
// configurator's validation, and compared key by key.
#pragma once

#include "device/DevicePayloads.h"

#include <QByteArray>
#include <QJsonObject>
#include <QLocale>
#include <QStringList>

#include <optional>

namespace zeph::cli {

// Today's date as the configurator writes it into its files.
QString FileDate();

// The text of the settings file that saving the page would write anew; nothing, with the reason in
// error, when it cannot be made.
std::optional<QByteArray> SettingsFileText(const device::SettingsPageState& page, QString* error);

// {"inputs": [{"input": 1, "type": "namur", "counted": "close", "debounced": true, "max_time_ms": 60000},
// ...], "modbus": {"parity": "even", "baud": 19200, "address": 1, "comm_timeout_10ms": 100,
// "answer_delay_ms": 5, "pull_resistors": false, "termination": true}, "data_source": "EEPROM1",
// "data_source_code": 11}. A value the device holds but cannot mean is null; the data source is null
// after a read of the factory defaults (and the code absent).
QJsonObject SettingsJson(const device::SettingsAnswer& answer);

// The name of a data-source code as the configurator shows it ("EEPROM1", "The settings failed."), or
// nothing for a code it does not show.
std::optional<QString> DataSourceName(unsigned code);

// The configurator's validation, run to the end instead of stopping at the first fault: one message a
// failing control, each starting with the control's file key. Empty when the page passes; the page then
// holds its numbers in plain integer form, as validation leaves the window's controls.
QStringList ValidationMessages(device::SettingsPageState& page, const QLocale& locale);

// "KEY: written A, read back B" for every file key whose value differs.
QStringList SettingsDifferences(const device::SettingsPageState& written,
                                const device::SettingsPageState& readBack);

} // namespace zeph::cli
