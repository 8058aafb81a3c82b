// SPDX-License-Identifier: MIT
// Reading and writing comma-separated text, one character at a time with the quote state.
#include "commissioning/Csv.h"

namespace zeph::commissioning {

CsvText ParseCsv(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);

    CsvText result;
    CsvRecord record;
    CsvCell cell;
    int line = 1, column = 1;
    bool quoted = false, afterQuote = false, cellStarted = false;
    auto endCell = [&] {
        record.cells.push_back(cell);
        cell = {};
        cellStarted = afterQuote = false;
    };
    auto endRecord = [&] {
        endCell();
        // A blank line is one empty cell: nothing to keep.
        if (record.cells.size() > 1 || !record.cells.front().text.isEmpty()) result.records.push_back(record);
        record = {};
    };
    auto fail = [&](const QString& why) {
        result.errorLine = line;
        result.errorColumn = column;
        result.error = why;
        result.records.clear();
        return result;
    };

    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!cellStarted) {
            cellStarted = true;
            cell.column = column;
            if (record.cells.empty()) record.line = line;
            if (c == u'"') {
                quoted = true;
                ++column;
                continue;
            }
        }
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                    cell.text += u'"';
                    ++i;
                    column += 2;
                    continue;
                }
                quoted = false;
                afterQuote = true;
            } else if (c == u'\n') {
                cell.text += c;
                ++line;
                column = 0;
            } else {
                cell.text += c;
            }
        } else if (c == u',') {
            endCell();
            cellStarted = false;
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
            endRecord();
            cellStarted = false;
            ++line;
            column = 1;
            continue;
        } else if (afterQuote) {
            return fail(QStringLiteral("text after the closing quote of a cell"));
        } else {
            cell.text += c;
        }
        ++column;
    }
    if (quoted) return fail(QStringLiteral("a quote opened and never closed"));
    if (cellStarted || !record.cells.empty()) endRecord();
    return result;
}

QByteArray CsvLine(const QStringList& cells) {
    QStringList quoted;
    for (const QString& cell : cells) {
        const bool needs =
            cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\n') || cell.contains(u'\r');
        quoted << (needs ? u'"' + QString(cell).replace(u'"', QStringLiteral("\"\"")) + u'"' : cell);
    }
    return quoted.join(u',').toUtf8() + "\r\n";
}

} // namespace zeph::commissioning
