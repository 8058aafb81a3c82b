// SPDX-License-Identifier: MIT
// Reading and writing comma-separated text, one character at a time with the quote state.
#include "commissioning/Csv.h"

#include <QStringDecoder>

#include <algorithm>

namespace zeph::commissioning {

CsvText ParseCsv(const QByteArray& bytes) {
    CsvText result;
    // Text that is not UTF-8 (a spreadsheet's "ANSI" export) would reach tags and the audit trail with
    // its letters replaced: it is refused at its first line that does not decode.
    int lineNumber = 1;
    for (const QByteArray& line : bytes.split('\n')) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString decoded = decoder.decode(line);
        if (decoder.hasError()) {
            result.errorLine = lineNumber;
            result.errorColumn = 1;
            result.error = QStringLiteral("not UTF-8 text: save the list as CSV in UTF-8");
            return result;
        }
        ++lineNumber;
    }
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);

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
        // A blank line, or one of empty cells as spreadsheets write them, holds nothing to keep.
        if (std::any_of(record.cells.begin(), record.cells.end(),
                        [](const CsvCell& c) { return !c.text.isEmpty(); }))
            result.records.push_back(record);
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
