// SPDX-License-Identifier: MIT
// The device list of a commissioning run: a CSV file with a header row, a row per device with its tag,
// its port, the settings it takes other than the template's (columns named by the settings' JSON paths,
// "modbus.address", "inputs.3.max_time_ms") and the counters to preset ("preset_1" ... "preset_8").
#pragma once

#include "device/DevicePayloads.h"
#include "device/SettingsBlock.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zeph::commissioning {

struct SettingOverride {
    device::FieldRef field;
    QString text; // as `read --json` prints the value: "contact", "19200", "true"
    int column = 1;
};

struct DeviceRow {
    int line = 0; // in the file
    QString tag;
    QString port;
    std::vector<SettingOverride> overrides; // the non-empty cells, in column order
    device::PresetSelection presets{};
    // SHA-256 (hex) of the row's meaning: its tag, port, overrides and presets by column name, so that a
    // resumed run sees a changed row whatever the column order.
    QByteArray digest;
};

struct DeviceList {
    std::vector<DeviceRow> rows;
    // "FILE:LINE:COLUMN: what is wrong", every fault found; the list is usable only when this is empty.
    QStringList problems;
};

// The list in bytes as read from fileName (named in the problems). Besides the CSV and the values, it
// checks that tags are unique and that no device node or network port comes twice.
DeviceList ParseDeviceList(const QByteArray& bytes, const QString& fileName);

// The columns a list may have, for a message: "tag, port, modbus.parity, ..., preset_8".
QStringList AllowedColumns();

// The settings a device is to hold: the template with the row's overrides.
device::SettingsPageState TargetSettings(const device::SettingsPageState& templatePage, const DeviceRow& row);

// The list a technician starts from: the header and a row per port, tagged "DEVICE-1", "DEVICE-2", ...
QByteArray StarterList(const QStringList& ports);

} // namespace zeph::commissioning
