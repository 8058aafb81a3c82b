// SPDX-License-Identifier: MIT
// The visible range as CSV: each reading of the range with the counter and rate of each input shown, in
// the column names of the counter log (time, counter_N, rate_N); a rate is empty after a gap or a drop.
#pragma once

#include "history/HistorySource.h"

#include <QString>

#include <array>

namespace zeph::history {

// Writes the rows of [fromMs, toMs] of the chosen inputs (input 1 first) to path; false with the reason.
bool WriteRangeCsv(const HistorySource& source, qint64 fromMs, qint64 toMs,
                   const std::array<bool, InputCount>& inputs, const QString& path, QString* error);

} // namespace zeph::history
