// SPDX-License-Identifier: MIT
// Pulse rates over a sliding window of counter reports.
#include "counters/CounterRateWindow.h"

namespace zeph::counters {

CounterRateWindow::CounterRateWindow(qint64 spanMs)
    : m_spanMs(spanMs) {}

InputRates CounterRateWindow::Add(const TimedReport& report) {
    m_reports.push_back(report);
    // A clock set back would keep every report inside the span: the count is bounded as well.
    while (m_reports.size() > 2 &&
           (m_reports.front().time.msecsTo(report.time) > m_spanMs || m_reports.size() > MaxReports))
        m_reports.pop_front();

    InputRates rates;
    const std::size_t newest = m_reports.size() - 1;
    for (int k = 0; k < 8; ++k) {
        // Counting starts again after the last report whose counter was below its predecessor's.
        std::size_t first = 0;
        for (std::size_t i = 1; i <= newest; ++i)
            if (m_reports[i].report.counters[k] < m_reports[i - 1].report.counters[k]) first = i;
        if (first == newest) continue;
        rates[k] = PulseRate(m_reports[first].report.counters[k], report.report.counters[k],
                             m_reports[first].time.msecsTo(report.time));
    }
    return rates;
}

QString RateText(const std::optional<double>& rate) {
    if (!rate) return {};
    const int decimals = *rate < 10 ? 2 : *rate < 1000 ? 1 : 0;
    return QString::number(*rate, 'f', decimals) + QStringLiteral(" /s");
}

} // namespace zeph::counters
