// SPDX-License-Identifier: MIT
// Between the settings and the settings file's values, key by key, and the settings' English captions.
#include "session/SettingsFileMapping.h"

#include <QCoreApplication>

namespace zeph::session {

namespace {

// The file keeps its keys in the order of the settings: key i is the key of setting i.
static_assert(std::tuple_size_v<std::decay_t<decltype(device::AllSettingsFields())>> == 39);

template <typename Visit> void ForEachKey(device::SettingsPageState& page, Visit visit) {
    const auto& fields = device::AllSettingsFields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        visit(i, device::ChoiceField(page, fields[i]), device::SwitchField(page, fields[i]),
              device::NumberField(page, fields[i]));
}

} // namespace

QString FileKey(device::FieldRef field) {
    const auto& fields = device::AllSettingsFields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i] == field) return settingsfile::SettingsKeys().at(i).name;
    return {};
}

std::optional<device::FieldRef> FieldOfKey(const QString& key) {
    const int index = settingsfile::SettingsKeyIndex(key);
    if (index < 0) return std::nullopt;
    return device::AllSettingsFields().at(std::size_t(index));
}

QString EnglishCaption(device::FieldRef field) {
    using device::SettingsField;
    switch (field.field) {
    case SettingsField::InputType:
        return QStringLiteral("Type");
    case SettingsField::CountedEdge:
        return QStringLiteral("Counted event");
    case SettingsField::MaxTime:
        return QStringLiteral("Max. time between pulses [ms]:");
    case SettingsField::Parity:
        return QStringLiteral("Parity");
    case SettingsField::BaudRate:
        return QCoreApplication::translate("Device", "Baud rate");
    case SettingsField::Address:
        return QStringLiteral("Address [1-247]:");
    case SettingsField::CommTimeout:
        return QStringLiteral("Comm. timeout [10 ms]:");
    case SettingsField::AnswerDelay:
        return QStringLiteral("Answer delay [ms]:");
    case SettingsField::Debounced:
    case SettingsField::PullResistors:
    case SettingsField::Termination:
        break;
    }
    return FileKey(field);
}

settingsfile::SettingsValues SettingsFileValues(const device::SettingsPageState& page) {
    device::SettingsPageState copy = page;
    settingsfile::SettingsValues values(settingsfile::SettingsKeys().size());
    ForEachKey(copy, [&](std::size_t i, int* choice, bool* check, QString* text) {
        if (choice) values[i].index = *choice;
        if (check) values[i].checked = *check;
        if (text) values[i].text = *text;
    });
    return values;
}

device::SettingsPageState SettingsPageFromFile(const settingsfile::SettingsValues& values) {
    device::SettingsPageState page;
    ForEachKey(page, [&](std::size_t i, int* choice, bool* check, QString* text) {
        if (i >= values.size()) return;
        if (choice) *choice = values[i].index;
        if (check) *check = values[i].checked;
        if (text) *text = values[i].text;
    });
    return page;
}

} // namespace zeph::session
