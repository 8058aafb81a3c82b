// SPDX-License-Identifier: MIT
// Saving the settings-page state to a settings file and loading it back with the controls' rules.
#include "settingsfile/SettingsFile.h"

#include "settingsfile/IniFile.h"

#include <QCoreApplication>

#include <algorithm>

namespace zeph::settingsfile {

namespace {

const QString headerSection = QStringLiteral("Fejlec");
const QString headerKey = QStringLiteral("ZT");
const QString headerValue = QStringLiteral("ZEPH7208");
const QString settingsSection = QStringLiteral("Beallitas");

std::vector<SettingsKey> BuildKeys() {
    std::vector<SettingsKey> keys;
    auto family = [&keys](const char* prefix, ControlKind kind, int itemCount) {
        for (int input = 1; input <= 8; ++input)
            keys.push_back({QString::fromLatin1(prefix) + QString::number(input), kind, itemCount});
    };
    family("RadioGroup_7208BemTip", ControlKind::RadioGroup, 2);
    family("CheckBox_7208PergMentesites", ControlKind::CheckBox, 0);
    family("RadioGroup_7208BemEl", ControlKind::RadioGroup, 2);
    family("LabeledEdit_7208BemTimeOut", ControlKind::Edit, 0);
    keys.push_back({QStringLiteral("RadioGroup_7208MbParitas"), ControlKind::RadioGroup, 3});
    keys.push_back({QStringLiteral("ListBox_7208MbSebesseg"), ControlKind::ListBox, 9});
    keys.push_back({QStringLiteral("CheckBox_7208MbRFelLe"), ControlKind::CheckBox, 0});
    keys.push_back({QStringLiteral("CheckBox_7208MbRLezaro"), ControlKind::CheckBox, 0});
    keys.push_back({QStringLiteral("LabeledEdit_7208MbKeszulekcim"), ControlKind::Edit, 0});
    keys.push_back({QStringLiteral("LabeledEdit_7208MbIdokorlat"), ControlKind::Edit, 0});
    keys.push_back({QStringLiteral("LabeledEdit_7208MbValaszKeslIdo"), ControlKind::Edit, 0});
    return keys;
}

QString StoredText(const SettingsKey& key, const ControlState& state) {
    switch (key.kind) {
    case ControlKind::RadioGroup:
    case ControlKind::ListBox:
        return QString::number(state.index);
    case ControlKind::CheckBox:
        return state.checked ? QStringLiteral("1") : QStringLiteral("0");
    case ControlKind::Edit:
        break;
    }
    return state.text;
}

ControlState AppliedState(const SettingsKey& key, const IniFile& ini) {
    ControlState state;
    switch (key.kind) {
    case ControlKind::RadioGroup: {
        const int index = ini.ReadInteger(settingsSection, key.name, -1);
        state.index = index < 0 ? -1 : std::min(index, key.itemCount - 1);
        break;
    }
    case ControlKind::ListBox: {
        const int index = ini.ReadInteger(settingsSection, key.name, -1);
        state.index = index >= 0 && index < key.itemCount ? index : -1;
        break;
    }
    case ControlKind::CheckBox:
        state.checked = ini.ReadInteger(settingsSection, key.name, 0) != 0;
        break;
    case ControlKind::Edit:
        state.text = ini.ReadString(settingsSection, key.name, QString());
        break;
    }
    return state;
}

// The header, the keys in their order and the date, written into the document key by key.
bool StoreSettings(IniFile& ini, const SettingsValues& values, const QString& date, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const auto& keys = SettingsKeys();
    if (values.size() != keys.size())
        return fail(QStringLiteral("Expected %1 control states, got %2").arg(keys.size()).arg(values.size()));
    if (!ini.WriteString(headerSection, headerKey, headerValue))
        return fail(QStringLiteral("Cannot store the header"));
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!ini.WriteString(settingsSection, keys[i].name, StoredText(keys[i], values[i])))
            return fail(QStringLiteral("The value of %1 cannot be stored").arg(keys[i].name));
    if (!ini.WriteString(QStringLiteral("Date"), QStringLiteral("Date"), date))
        return fail(QStringLiteral("The date cannot be stored"));
    return true;
}

} // namespace

const std::vector<SettingsKey>& SettingsKeys() {
    static const std::vector<SettingsKey> keys = BuildKeys();
    return keys;
}

int SettingsKeyIndex(const QString& name) {
    const auto& keys = SettingsKeys();
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

bool SaveSettingsFile(const QString& path, const SettingsValues& values, const QString& date, QString* error,
                      SaveFailure* failure) {
    if (failure) *failure = SaveFailure::None;
    auto fail = [error, failure](const QString& why, SaveFailure kind = SaveFailure::NotWritten) {
        if (error) *error = why;
        if (failure) *failure = kind;
        return false;
    };
    // Rewriting a file that was not read whole would lose what else it holds, so such a file is refused.
    IniFile ini;
    QString readError;
    switch (ini.Load(path, &readError)) {
    case IniFile::LoadStatus::Loaded:
    case IniFile::LoadStatus::Missing:
        break;
    case IniFile::LoadStatus::TooLarge:
        return fail(QCoreApplication::translate("SettingsFile",
                                                "The file is larger than 1 MiB: it is not a ZEPH7208 "
                                                "settings file, and it has been left as it was."),
                    SaveFailure::ExistingFileTooLarge);
    case IniFile::LoadStatus::ReadError:
        return fail(QCoreApplication::translate("SettingsFile",
                                                "The file cannot be read (%1), so what else it holds "
                                                "could not be kept; it has been left as it was.")
                        .arg(readError),
                    SaveFailure::ExistingFileUnreadable);
    }

    QString storeError;
    if (!StoreSettings(ini, values, date, &storeError)) return fail(storeError);
    QString writeError;
    if (!ini.Save(path, &writeError)) return fail(writeError);
    return true;
}

std::optional<QByteArray> NewSettingsFileBytes(const SettingsValues& values, const QString& date,
                                               QString* error) {
    IniFile ini;
    if (!StoreSettings(ini, values, date, error)) return std::nullopt;
    return ini.ToBytes();
}

LoadResult LoadSettingsFile(const QString& path) {
    LoadResult result;
    IniFile ini;
    switch (ini.Load(path, &result.reason)) {
    case IniFile::LoadStatus::Loaded:
        break;
    case IniFile::LoadStatus::TooLarge:
        return result;
    case IniFile::LoadStatus::Missing:
    case IniFile::LoadStatus::ReadError:
        // Told apart from a wrong header: a technician must know the file is missing or locked, not
        // that it is of the wrong kind.
        result.outcome = LoadResult::Outcome::Unreadable;
        return result;
    }
    if (ini.ReadString(headerSection, headerKey, QString()) != headerValue) return result;
    result.values.reserve(SettingsKeys().size());
    for (const SettingsKey& key : SettingsKeys())
        result.values.push_back(AppliedState(key, ini));
    result.outcome = LoadResult::Outcome::Loaded;
    return result;
}

} // namespace zeph::settingsfile
