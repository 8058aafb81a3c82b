// SPDX-License-Identifier: MIT
// The JSON names of the settings, their values as words and numbers, and the settings as one object.
#include "session/SettingsJson.h"

#include <QJsonArray>
#include <QStringList>

#include <span>

namespace zeph::session {

namespace {

using device::FieldRef;
using device::SettingsField;

// The words of a choice, in the order of its index; empty for the fields that are no word choice.
std::span<const char* const> ChoiceWords(SettingsField field) {
    static constexpr const char* inputTypes[] = {"namur", "contact"};
    static constexpr const char* edges[] = {"close", "open"};
    static constexpr const char* parities[] = {"none", "even", "odd"};
    switch (field) {
    case SettingsField::InputType:
        return inputTypes;
    case SettingsField::CountedEdge:
        return edges;
    case SettingsField::Parity:
        return parities;
    default:
        return {};
    }
}

// The last part of a path, after "inputs.N." or "modbus.".
const char* LeafName(SettingsField field) {
    switch (field) {
    case SettingsField::InputType:
        return "type";
    case SettingsField::CountedEdge:
        return "counted";
    case SettingsField::Debounced:
        return "debounced";
    case SettingsField::MaxTime:
        return "max_time_ms";
    case SettingsField::Parity:
        return "parity";
    case SettingsField::BaudRate:
        return "baud";
    case SettingsField::PullResistors:
        return "pull_resistors";
    case SettingsField::Termination:
        return "termination";
    case SettingsField::Address:
        return "address";
    case SettingsField::CommTimeout:
        return "comm_timeout_10ms";
    case SettingsField::AnswerDelay:
        return "answer_delay_ms";
    }
    return "";
}

QJsonValue NumberOrNull(const QString& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

QString WordList(std::span<const char* const> words) {
    QStringList list;
    for (const char* word : words)
        list << QString::fromLatin1(word);
    return list.join(QStringLiteral(", "));
}

} // namespace

QString JsonPath(FieldRef field) {
    const QString leaf = QString::fromLatin1(LeafName(field.field));
    if (field.input >= 0) return QStringLiteral("inputs.%1.%2").arg(field.input + 1).arg(leaf);
    return QStringLiteral("modbus.") + leaf;
}

std::optional<FieldRef> FieldOfJsonPath(const QString& path) {
    for (const FieldRef field : device::AllSettingsFields())
        if (JsonPath(field) == path) return field;
    return std::nullopt;
}

QJsonValue JsonValue(const device::SettingsPageState& page, FieldRef field) {
    auto& state = const_cast<device::SettingsPageState&>(page); // the accessors hand out pointers to change
    if (const bool* on = device::SwitchField(state, field)) return *on;
    if (const QString* text = device::NumberField(state, field)) return NumberOrNull(*text);
    const int index = *device::ChoiceField(state, field);
    if (field.field == SettingsField::BaudRate) {
        if (index < 0 || index >= int(device::BaudRates.size())) return QJsonValue::Null;
        return device::BaudRates[std::size_t(index)];
    }
    const auto words = ChoiceWords(field.field);
    if (index < 0 || index >= int(words.size())) return QJsonValue::Null;
    return QString::fromLatin1(words[std::size_t(index)]);
}

QString JsonValueText(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(value.toInteger());
    case QJsonValue::String:
        return value.toString();
    default:
        return QStringLiteral("null");
    }
}

bool SetJsonValue(device::SettingsPageState& page, FieldRef field, const QString& text, QString* why) {
    if (bool* on = device::SwitchField(page, field)) {
        if (text != QLatin1String("true") && text != QLatin1String("false")) {
            if (why) *why = QStringLiteral("not true or false");
            return false;
        }
        *on = text == QLatin1String("true");
        return true;
    }
    bool isNumber = false;
    const qint64 number = text.toLongLong(&isNumber);
    if (QString* edit = device::NumberField(page, field)) {
        if (!isNumber) {
            if (why) *why = QStringLiteral("not a whole number");
            return false;
        }
        *edit = QString::number(number);
        return true;
    }
    int* choice = device::ChoiceField(page, field);
    if (field.field == SettingsField::BaudRate) {
        const auto found = std::find(device::BaudRates.begin(), device::BaudRates.end(), number);
        if (!isNumber || found == device::BaudRates.end()) {
            QStringList rates;
            for (const int rate : device::BaudRates)
                rates << QString::number(rate);
            if (why) *why = QStringLiteral("not one of %1").arg(rates.join(QStringLiteral(", ")));
            return false;
        }
        *choice = int(found - device::BaudRates.begin());
        return true;
    }
    const auto words = ChoiceWords(field.field);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (text == QLatin1String(words[i])) {
            *choice = int(i);
            return true;
        }
    }
    if (why) *why = QStringLiteral("not one of %1").arg(WordList(words));
    return false;
}

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
    auto value = [&](SettingsField field, int input = -1) { return JsonValue(page, {field, input}); };
    QJsonArray inputs;
    for (int n = 0; n < device::InputCount; ++n) {
        inputs.append(QJsonObject{{"input", n + 1},
                                  {"type", value(SettingsField::InputType, n)},
                                  {"counted", value(SettingsField::CountedEdge, n)},
                                  {"debounced", value(SettingsField::Debounced, n)},
                                  {"max_time_ms", value(SettingsField::MaxTime, n)}});
    }
    const QJsonObject modbus{{"parity", value(SettingsField::Parity)},
                             {"baud", value(SettingsField::BaudRate)},
                             {"address", value(SettingsField::Address)},
                             {"comm_timeout_10ms", value(SettingsField::CommTimeout)},
                             {"answer_delay_ms", value(SettingsField::AnswerDelay)},
                             {"pull_resistors", value(SettingsField::PullResistors)},
                             {"termination", value(SettingsField::Termination)}};
    QJsonObject settings{{"inputs", inputs}, {"modbus", modbus}, {"data_source", QJsonValue()}};
    if (answer.dataSource) {
        if (const auto name = DataSourceName(*answer.dataSource)) settings["data_source"] = *name;
        settings["data_source_code"] = int(*answer.dataSource);
    }
    return settings;
}

} // namespace zeph::session
