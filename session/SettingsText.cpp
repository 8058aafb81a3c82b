// SPDX-License-Identifier: MIT
// The settings as file text, as JSON, validated and compared, all through the settings file's own keys
// and the configurator's own validation.
#include "session/SettingsText.h"

#include "device/SettingsValidation.h"
#include "session/DeviceSession.h"
#include "session/SettingsFileMapping.h"
#include "settingsfile/SettingsFile.h"

#include <QDate>
#include <QFile>

namespace zeph::session {

namespace {

// A control's value as the settings file stores it.
QString StoredValue(const settingsfile::SettingsKey& key, const settingsfile::ControlState& state) {
    switch (key.kind) {
    case settingsfile::ControlKind::RadioGroup:
    case settingsfile::ControlKind::ListBox:
        return QString::number(state.index);
    case settingsfile::ControlKind::CheckBox:
        return state.checked ? QStringLiteral("1") : QStringLiteral("0");
    case settingsfile::ControlKind::Edit:
        break;
    }
    return state.text.isEmpty() ? QStringLiteral("(empty)") : state.text;
}

} // namespace

QString FileDate() {
    return QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
}

std::optional<QByteArray> SettingsFileText(const device::SettingsPageState& page, QString* error) {
    // The save's own content, so that it is the same as a saved file to the byte.
    return settingsfile::NewSettingsFileBytes(SettingsFileValues(page), FileDate(), error);
}

std::optional<device::SettingsPageState> LoadSettingsPage(const QString& path, QString* problem) {
    const settingsfile::LoadResult loaded = settingsfile::LoadSettingsFile(path);
    switch (loaded.outcome) {
    case settingsfile::LoadResult::Outcome::Loaded:
        return SettingsPageFromFile(loaded.values);
    case settingsfile::LoadResult::Outcome::Unreadable:
        if (problem) *problem = path + QStringLiteral(": cannot read: ") + loaded.reason;
        break;
    case settingsfile::LoadResult::Outcome::NotSettingsFile:
        if (problem) *problem = path + QStringLiteral(": This file is not a ZEPH7208 settings.");
        break;
    }
    return std::nullopt;
}

std::vector<device::ValidationFailure> ValidationFailures(device::SettingsPageState& page,
                                                          const QLocale& locale) {
    std::vector<device::ValidationFailure> failures;
    device::SettingsPageState probe = page;
    // Each run stops at its first fault; the fault is mended in the probe (as the window writes the
    // violated limit into an edit) and the run goes on from the start, so every faulty setting is named once.
    for (std::size_t run = 0; run <= device::SettingsValidationRules().size(); ++run) {
        std::optional<device::ValidationFailure> failure =
            device::ValidateSettings(probe, locale, EnglishCaption);
        if (!failure) break;
        if (int* choice = device::ChoiceField(probe, failure->field)) *choice = 0;
        if (QString* text = device::NumberField(probe, failure->field))
            *text = failure->editText.value_or(QStringLiteral("0"));
        failures.push_back(std::move(*failure));
    }
    if (failures.empty()) page = probe;
    return failures;
}

QStringList ValidationMessages(device::SettingsPageState& page, const QLocale& locale) {
    QStringList messages;
    for (const device::ValidationFailure& failure : ValidationFailures(page, locale))
        messages << FileKey(failure.field) + QStringLiteral(": ") + failure.message;
    return messages;
}

QStringList SettingsDifferences(const device::SettingsPageState& written,
                                const device::SettingsPageState& readBack) {
    const auto& keys = settingsfile::SettingsKeys();
    const settingsfile::SettingsValues expected = SettingsFileValues(written);
    const settingsfile::SettingsValues found = SettingsFileValues(readBack);
    QStringList differences;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const QString want = StoredValue(keys[i], expected[i]);
        const QString got = StoredValue(keys[i], found[i]);
        if (want != got)
            differences << QStringLiteral("%1: written %2, read back %3").arg(keys[i].name, want, got);
    }
    return differences;
}

const char* FailureTextSource(device::OperationOutcome outcome) {
    using device::OperationOutcome;
    switch (outcome) {
    case OperationOutcome::NoAnswer:
        return QT_TRANSLATE_NOOP("Device", "The ZEPH7208 have not responded.");
    case OperationOutcome::NotThisDevice:
        return QT_TRANSLATE_NOOP("Device", "A #%1 This is not a ZEPH7208.");
    case OperationOutcome::ParameterError:
        return QT_TRANSLATE_NOOP("Device", "Parameters error.");
    case OperationOutcome::EepromError:
        return QT_TRANSLATE_NOOP("Device", "EEPROM error.");
    case OperationOutcome::IgnoredStatus:
        return QT_TRANSLATE_NOOP("Device", "The device refused the request with status %1.");
    case OperationOutcome::Succeeded:
    case OperationOutcome::Abandoned:
        break;
    }
    return nullptr;
}

QString FailureText(device::OperationOutcome outcome, std::optional<std::uint8_t> status) {
    const char* source = FailureTextSource(outcome);
    if (!source) return {};
    const QString text = QString::fromUtf8(source);
    if (outcome == device::OperationOutcome::NotThisDevice) return text.arg(DeviceSession::DeviceAddress);
    if (outcome == device::OperationOutcome::IgnoredStatus) return text.arg(status.value_or(0));
    return text;
}

} // namespace zeph::session
