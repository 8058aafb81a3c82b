// SPDX-License-Identifier: MIT
// Comma-separated text as spreadsheets write it: cells in double quotes where they hold a comma, a quote
// or a line break, a quote doubled inside them, lines ending in CRLF or LF.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace zeph::commissioning {

struct CsvCell {
    QString text;
    int column = 1; // where the cell starts on its line, in characters from 1
};

struct CsvRecord {
    int line = 1; // the line it starts on, from 1
    std::vector<CsvCell> cells;
};

struct CsvText {
    std::vector<CsvRecord> records; // lines of nothing but empty cells left out
    // Where the text is not CSV (a quote left open, text after a closing quote), with line and column.
    int errorLine = 0;
    int errorColumn = 0;
    QString error;
};

// UTF-8 text, a byte-order mark at the start ignored; other text is refused (error).
CsvText ParseCsv(const QByteArray& bytes);

// One line of cells, quoted where they need it, ended by CRLF as the format asks.
QByteArray CsvLine(const QStringList& cells);

} // namespace zeph::commissioning
