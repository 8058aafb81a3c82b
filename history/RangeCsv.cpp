// SPDX-License-Identifier: MIT
// Writing the visible range as CSV.
#include "history/RangeCsv.h"

#include "history/RowRates.h"

#include "counters/CounterCsv.h"

#include <QDateTime>
#include <QSaveFile>

namespace zeph::history {

bool WriteRangeCsv(const HistorySource& source, qint64 fromMs, qint64 toMs,
                   const std::array<bool, InputCount>& inputs, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    QByteArray header = "time";
    for (int n = 0; n < InputCount; ++n)
        if (inputs[std::size_t(n)]) header += QStringLiteral(",counter_%1,rate_%1").arg(n + 1).toLatin1();
    file.write(header + '\n');
    RowRates rates;
    QByteArray line;
    QString reason;
    const bool read = source.VisitRows(
        fromMs, toMs,
        [&](const Row& row) {
            const RowStep step = rates.Take(row);
            if (row.timeMs < fromMs) return true; // the row before the range gives the first its rate
            line = counters::CsvTime(QDateTime::fromMSecsSinceEpoch(row.timeMs).toLocalTime()).toLatin1();
            for (std::size_t k = 0; k < std::size_t(InputCount); ++k) {
                if (!inputs[k]) continue;
                line += ',' + QByteArray::number(row.counters[k]) + ',';
                if (step.rates[k]) line += QByteArray::number(*step.rates[k], 'f', 3);
            }
            line += '\n';
            return file.write(line) == line.size();
        },
        &reason);
    if (!read) {
        *error = reason;
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace zeph::history
