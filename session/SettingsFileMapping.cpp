// SPDX-License-Identifier: MIT
// Between the settings page's state and the settings file's values, key by key.
#include "session/SettingsFileMapping.h"

namespace zeph::session {

namespace {

// The state of the control that a key names, read from or written into the page.
template <typename Visit> void ForEachKey(device::SettingsPageState& page, Visit visit) {
    const auto& keys = settingsfile::SettingsKeys();
    for (std::size_t i = 0; i < keys.size(); ++i)
        visit(i, keys[i], device::ChoiceField(page, keys[i].name), device::CheckField(page, keys[i].name),
              device::TextField(page, keys[i].name));
}

} // namespace

settingsfile::SettingsValues SettingsFileValues(const device::SettingsPageState& page) {
    device::SettingsPageState copy = page;
    settingsfile::SettingsValues values(settingsfile::SettingsKeys().size());
    ForEachKey(copy,
               [&](std::size_t i, const settingsfile::SettingsKey&, int* choice, bool* check, QString* text) {
                   if (choice) values[i].index = *choice;
                   if (check) values[i].checked = *check;
                   if (text) values[i].text = *text;
               });
    return values;
}

device::SettingsPageState SettingsPageFromFile(const settingsfile::SettingsValues& values) {
    device::SettingsPageState page;
    ForEachKey(page,
               [&](std::size_t i, const settingsfile::SettingsKey&, int* choice, bool* check, QString* text) {
                   if (i >= values.size()) return;
                   if (choice) *choice = values[i].index;
                   if (check) *check = values[i].checked;
                   if (text) *text = values[i].text;
               });
    return page;
}

} // namespace zeph::session
