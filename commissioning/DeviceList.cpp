// SPDX-License-Identifier: MIT
// Reading the device list: the header's columns, each row's cells checked against them, and the rows
// checked against each other.
#include "commissioning/DeviceList.h"

#include "commissioning/Csv.h"
#include "line/PortText.h"
#include "session/SettingsJson.h"

#include <QCryptographicHash>
#include <QHash>

#include <variant>

namespace zeph::commissioning {

namespace {

const QString TagColumn = QStringLiteral("tag");
const QString PortColumn = QStringLiteral("port");
const QString PresetPrefix = QStringLiteral("preset_");

struct TagColumnKind {};
struct PortColumnKind {};
struct PresetColumn {
    int input; // 0..7
};
using ColumnKind = std::variant<TagColumnKind, PortColumnKind, device::FieldRef, PresetColumn>;

std::optional<ColumnKind> ColumnOf(const QString& name) {
    if (name == TagColumn) return TagColumnKind{};
    if (name == PortColumn) return PortColumnKind{};
    if (const auto field = session::FieldOfJsonPath(name)) return *field;
    for (int n = 0; n < device::InputCount; ++n)
        if (name == PresetPrefix + QString::number(n + 1)) return PresetColumn{n};
    return std::nullopt;
}

} // namespace

QStringList AllowedColumns() {
    QStringList names{TagColumn, PortColumn};
    for (int n = 0; n < device::InputCount; ++n) {
        for (const auto kind : {device::SettingsField::InputType, device::SettingsField::CountedEdge,
                                device::SettingsField::Debounced, device::SettingsField::MaxTime})
            names << session::JsonPath({kind, n});
    }
    for (const auto kind :
         {device::SettingsField::Parity, device::SettingsField::BaudRate, device::SettingsField::Address,
          device::SettingsField::CommTimeout, device::SettingsField::AnswerDelay,
          device::SettingsField::PullResistors, device::SettingsField::Termination})
        names << session::JsonPath({kind, -1});
    for (int n = 1; n <= device::InputCount; ++n)
        names << PresetPrefix + QString::number(n);
    return names;
}

DeviceList ParseDeviceList(const QByteArray& bytes, const QString& fileName) {
    DeviceList list;
    auto problem = [&](int line, int column, const QString& what) {
        list.problems << QStringLiteral("%1:%2:%3: %4").arg(fileName).arg(line).arg(column).arg(what);
    };
    const CsvText csv = ParseCsv(bytes);
    if (!csv.error.isEmpty()) {
        problem(csv.errorLine, csv.errorColumn, csv.error);
        return list;
    }
    if (csv.records.empty()) {
        problem(1, 1, QStringLiteral("the list is empty: it needs a header row with tag and port"));
        return list;
    }

    // The header: every column known, none twice, tag and port present.
    const CsvRecord& header = csv.records.front();
    std::vector<ColumnKind> columns;
    QHash<QString, int> seen;
    for (const CsvCell& cell : header.cells) {
        const QString name = cell.text.trimmed();
        const std::optional<ColumnKind> kind = ColumnOf(name);
        if (!kind && header.cells.size() == 1 && name.contains(u';')) {
            problem(header.line, cell.column,
                    QStringLiteral(
                        "the columns are separated by semicolons: save the list with commas (CSV UTF-8)"));
        } else if (!kind) {
            const QString why = name == QLatin1String("data_source")
                                    ? QStringLiteral("data_source cannot be set: the device reports it")
                                    : QStringLiteral("unknown column \"%1\"").arg(name);
            problem(header.line, cell.column,
                    why + QStringLiteral("; the columns are: ") +
                        AllowedColumns().join(QStringLiteral(", ")));
        } else if (seen.contains(name)) {
            problem(header.line, cell.column, QStringLiteral("column \"%1\" comes twice").arg(name));
        }
        seen.insert(name, int(columns.size()));
        columns.push_back(kind.value_or(TagColumnKind{}));
    }
    for (const QString& needed : {TagColumn, PortColumn})
        if (!seen.contains(needed)) problem(header.line, 1, QStringLiteral("no \"%1\" column").arg(needed));
    if (!list.problems.isEmpty()) return list;

    QHash<QString, int> tagLines, portLines;
    for (std::size_t r = 1; r < csv.records.size(); ++r) {
        const CsvRecord& record = csv.records[r];
        if (record.cells.size() > columns.size()) {
            problem(record.line, record.cells[columns.size()].column,
                    QStringLiteral("%1 cells where the header has %2")
                        .arg(record.cells.size())
                        .arg(columns.size()));
            continue;
        }
        DeviceRow row;
        row.line = record.line;
        QStringList meaning;
        for (std::size_t c = 0; c < record.cells.size(); ++c) {
            const CsvCell& cell = record.cells[c];
            const QString text = cell.text.trimmed();
            const QString name = header.cells[c].text.trimmed();
            if (text.isEmpty()) continue;
            meaning << name + u'=' + text;
            const ColumnKind& kind = columns[c];
            if (std::holds_alternative<TagColumnKind>(kind)) {
                row.tag = text;
            } else if (std::holds_alternative<PortColumnKind>(kind)) {
                row.port = text;
                if (QString why; line::LooksLikeNetworkPort(text) && !line::ParsePortText(text, &why))
                    problem(record.line, cell.column, why);
            } else if (const auto* preset = std::get_if<PresetColumn>(&kind)) {
                bool ok = false;
                const qulonglong value = text.toULongLong(&ok);
                if (!ok || value > 0xFFFFFFFFull)
                    problem(record.line, cell.column,
                            QStringLiteral("%1: \"%2\" is not a counter value (0 to 4294967295)")
                                .arg(name, text));
                else
                    row.presets[std::size_t(preset->input)] = quint32(value);
            } else {
                const device::FieldRef field = std::get<device::FieldRef>(kind);
                device::SettingsPageState probe;
                if (QString why; !session::SetJsonValue(probe, field, text, &why))
                    problem(record.line, cell.column,
                            QStringLiteral("%1: \"%2\" is %3").arg(name, text, why));
                else
                    row.overrides.push_back({field, text, cell.column});
            }
        }
        const int firstColumn = record.cells.front().column;
        if (row.tag.isEmpty()) problem(record.line, firstColumn, QStringLiteral("the row has no tag"));
        if (row.port.isEmpty()) problem(record.line, firstColumn, QStringLiteral("the row has no port"));
        if (!row.tag.isEmpty()) {
            // Letter case aside: each tag names a settings file, and some file systems ignore case.
            const QString key = row.tag.toCaseFolded();
            if (const int earlier = tagLines.value(key); earlier)
                problem(record.line, firstColumn,
                        QStringLiteral("tag \"%1\" is already used on line %2").arg(row.tag).arg(earlier));
            tagLines.insert(key, record.line);
        }
        if (!row.port.isEmpty()) {
            const QString identity = line::PortIdentity(row.port);
            if (const int earlier = portLines.value(identity); earlier)
                problem(
                    record.line, firstColumn,
                    QStringLiteral("port \"%1\" is the same port as on line %2").arg(row.port).arg(earlier));
            portLines.insert(identity, record.line);
        }
        meaning.sort();
        row.digest =
            QCryptographicHash::hash(meaning.join(u'\n').toUtf8(), QCryptographicHash::Sha256).toHex();
        list.rows.push_back(std::move(row));
    }
    if (list.rows.empty() && list.problems.isEmpty())
        problem(header.line, 1, QStringLiteral("the list has a header but no device"));
    if (!list.problems.isEmpty()) list.rows.clear();
    return list;
}

device::SettingsPageState TargetSettings(const device::SettingsPageState& templatePage,
                                         const DeviceRow& row) {
    device::SettingsPageState target = templatePage;
    for (const SettingOverride& override : row.overrides)
        session::SetJsonValue(target, override.field, override.text, nullptr);
    return target;
}

QByteArray StarterList(const QStringList& ports) {
    QByteArray text = CsvLine({TagColumn, PortColumn, QStringLiteral("modbus.address")});
    for (int i = 0; i < ports.size(); ++i)
        text += CsvLine({QStringLiteral("DEVICE-%1").arg(i + 1), ports[i], QString()});
    return text;
}

} // namespace zeph::commissioning
