// SPDX-License-Identifier: MIT
// Fuzz target: the files a commissioning run reads that somebody else wrote: a device list (CSV) and an
// audit trail (JSON lines). Input: the file's bytes, taken as both.
#include "commissioning/AuditLog.h"
#include "commissioning/Csv.h"
#include "commissioning/DeviceList.h"
#include "fuzz/FuzzSupport.h"

#include <QSet>

using namespace zeph::commissioning;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Whatever CSV reads, written out again, reads the same.
    const CsvText csv = ParseCsv(bytes);
    FUZZ_CHECK(csv.error.isEmpty() || (csv.records.empty() && csv.errorLine >= 1 && csv.errorColumn >= 1));
    for (const CsvRecord& record : csv.records) {
        QStringList cells;
        for (const CsvCell& cell : record.cells)
            cells << cell.text;
        const CsvText again = ParseCsv(CsvLine(cells));
        if (cells.size() == 1 && cells.first().isEmpty()) continue; // a blank line is no record
        FUZZ_CHECK(again.error.isEmpty() && again.records.size() == 1);
        for (std::size_t c = 0; c < record.cells.size(); ++c)
            FUZZ_CHECK(again.records.front().cells.at(c).text == record.cells[c].text);
    }

    // A list is either refused with its problems, each naming the file, or usable with unique tags.
    const DeviceList list = ParseDeviceList(bytes, QStringLiteral("f.csv"));
    FUZZ_CHECK(list.problems.isEmpty() != list.rows.empty());
    for (const QString& problem : list.problems)
        FUZZ_CHECK(problem.startsWith(QLatin1String("f.csv:")));
    QSet<QString> tags;
    for (const DeviceRow& row : list.rows) {
        FUZZ_CHECK(!row.tag.isEmpty() && !row.port.isEmpty() && !tags.contains(row.tag));
        FUZZ_CHECK(row.digest.size() == 64);
        tags.insert(row.tag);
    }

    // The audit check counts every line and never takes a changed log for the one it hashed.
    const AuditCheck check = VerifyAuditLog(bytes);
    FUZZ_CHECK(check.lastHash.size() == 64);
    FUZZ_CHECK(check.records == (bytes.isEmpty() ? 0 : bytes.count('\n') + (bytes.endsWith('\n') ? 0 : 1)));
    return 0;
}
