// SPDX-License-Identifier: MIT
// The settings under their JSON names, as `zeph7208 read --json` prints them and a commissioning device
// list overrides them: "inputs.3.type" is "namur" or "contact", "modbus.baud" a number among the baud
// rates, "modbus.pull_resistors" true or false.
#pragma once

#include "device/DevicePayloads.h"
#include "device/SettingsBlock.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace zeph::session {

// "inputs.3.max_time_ms" (inputs numbered 1 to 8), "modbus.answer_delay_ms".
QString JsonPath(device::FieldRef field);
// The setting a path names, exactly as JsonPath writes it; nothing for any other text.
std::optional<device::FieldRef> FieldOfJsonPath(const QString& path);

// The page's value of a setting: a choice's word, a number, true or false; null for a value the device
// holds but cannot mean (a choice out of range, a number that is no number).
QJsonValue JsonValue(const device::SettingsPageState& page, device::FieldRef field);
// The value as a cell or a message shows it: "contact", "19200", "true", "null".
QString JsonValueText(const QJsonValue& value);

// Sets the setting from text written as JsonValueText writes it ("contact", "19200", "true"); numbers are
// taken as whole decimal numbers and left to the validation for their range. False, with what is wrong in
// why ("not one of namur, contact"), when the text is no such value.
bool SetJsonValue(device::SettingsPageState& page, device::FieldRef field, const QString& text, QString* why);

// {"inputs": [{"input": 1, "type": "namur", "counted": "close", "debounced": true, "max_time_ms": 60000},
// ...], "modbus": {"parity": "even", "baud": 19200, "address": 1, "comm_timeout_10ms": 100,
// "answer_delay_ms": 5, "pull_resistors": false, "termination": true}, "data_source": "EEPROM1",
// "data_source_code": 11}. The data source is null after a read of the factory defaults (and the code
// absent).
QJsonObject SettingsJson(const device::SettingsAnswer& answer);

// The name of a data-source code as the configurator shows it ("EEPROM1", "The settings failed."), or
// nothing for a code it does not show.
std::optional<QString> DataSourceName(unsigned code);

} // namespace zeph::session
