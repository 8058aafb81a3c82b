// SPDX-License-Identifier: MIT
// The settings as file text, as JSON, validated and compared, all through the settings file's own keys
// and the configurator's own validation.
#include "cli/SettingsOutput.h"

#include "device/SettingsValidation.h"
#include "session/SettingsFileMapping.h"
#include "settingsfile/SettingsFile.h"

#include <QDate>
#include <QFile>
#include <QJsonArray>

namespace zeph::cli {

namespace {

QJsonValue NumberOrNull(const QString& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

// The word for a choice index, null for no choice or one beyond the words.
QJsonValue Choice(int index, std::initializer_list<const char*> words) {
    if (index < 0 || index >= int(words.size())) return QJsonValue::Null;
    return QString::fromLatin1(words.begin()[index]);
}

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
    return settingsfile::NewSettingsFileBytes(session::SettingsFileValues(page), FileDate(), error);
}

// "EEPROM1", "RAM2", or the window's words for a fault; nothing for a code that says nothing.
std::optional<QString> DataSourceName(unsigned code) {
    const device::DataSource source = device::DataSourceOf(code);
    switch (source.kind) {
    case device::DataSource::Kind::Ram:
        return QStringLiteral("RAM%1").arg(source.copy);
    case device::DataSource::Kind::Eeprom:
        return QStringLiteral("EEPROM%1").arg(source.copy);
    case device::DataSource::Kind::SettingsFailed:
        return QStringLiteral("The settings failed.");
    case device::DataSource::Kind::EepromError:
        return QStringLiteral("EEPROM error.");
    case device::DataSource::Kind::Unknown:
        break;
    }
    return std::nullopt;
}

QJsonObject SettingsJson(const device::SettingsAnswer& answer) {
    const device::SettingsPageState& page = answer.page;
    QJsonArray inputs;
    for (int n = 0; n < device::InputCount; ++n) {
        inputs.append(QJsonObject{{"input", n + 1},
                                  {"type", Choice(page.inputType[n], {"namur", "contact"})},
                                  {"counted", Choice(page.countedEdge[n], {"close", "open"})},
                                  {"debounced", page.debounced[n]},
                                  {"max_time_ms", NumberOrNull(page.maxTimeText[n])}});
    }
    const bool baudKnown = page.baudRate >= 0 && page.baudRate < int(device::BaudRates.size());
    const QJsonObject modbus{
        {"parity", Choice(page.parity, {"none", "even", "odd"})},
        {"baud", baudKnown ? QJsonValue(device::BaudRates[std::size_t(page.baudRate)]) : QJsonValue()},
        {"address", NumberOrNull(page.addressText)},
        {"comm_timeout_10ms", NumberOrNull(page.commTimeoutText)},
        {"answer_delay_ms", NumberOrNull(page.answerDelayText)},
        {"pull_resistors", page.pullResistors},
        {"termination", page.termination}};
    QJsonObject settings{{"inputs", inputs}, {"modbus", modbus}, {"data_source", QJsonValue()}};
    if (answer.dataSource) {
        if (const auto name = DataSourceName(*answer.dataSource)) settings["data_source"] = *name;
        settings["data_source_code"] = int(*answer.dataSource);
    }
    return settings;
}

QStringList ValidationMessages(device::SettingsPageState& page, const QLocale& locale) {
    QStringList messages;
    device::SettingsPageState probe = page;
    // Each run stops at its first fault; the fault is mended in the probe (as the window writes the
    // violated limit into an edit) and the run goes on from the start, so every faulty key is named once.
    for (std::size_t run = 0; run <= device::SettingsValidationRules().size(); ++run) {
        const std::optional<device::ValidationFailure> failure =
            device::ValidateSettings(probe, locale, session::EnglishCaption);
        if (!failure) break;
        messages << session::FileKey(failure->field) + QStringLiteral(": ") + failure->message;
        if (int* choice = device::ChoiceField(probe, failure->field)) *choice = 0;
        if (QString* text = device::NumberField(probe, failure->field))
            *text = failure->editText.value_or(QStringLiteral("0"));
    }
    if (messages.isEmpty()) page = probe;
    return messages;
}

QStringList SettingsDifferences(const device::SettingsPageState& written,
                                const device::SettingsPageState& readBack) {
    const auto& keys = settingsfile::SettingsKeys();
    const settingsfile::SettingsValues expected = session::SettingsFileValues(written);
    const settingsfile::SettingsValues found = session::SettingsFileValues(readBack);
    QStringList differences;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const QString want = StoredValue(keys[i], expected[i]);
        const QString got = StoredValue(keys[i], found[i]);
        if (want != got)
            differences << QStringLiteral("%1: written %2, read back %3").arg(keys[i].name, want, got);
    }
    return differences;
}

} // namespace zeph::cli
