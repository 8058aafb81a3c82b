// SPDX-License-Identifier: MIT
// Pulses per second of each input over the reports of the last few seconds, for the rates the
// counters page shows beside the counters.
#pragma once

#include "counters/CounterCsv.h"

#include <QString>

#include <array>
#include <deque>
#include <optional>

namespace zeph::counters {

using InputRates = std::array<std::optional<double>, 8>;

class CounterRateWindow {
public:
    static constexpr std::size_t MaxReports = 1000;

    // Reports older than spanMs before the newest one leave the window; the one before the newest always
    // stays, so single refreshes minutes apart still give the rate between them.
    explicit CounterRateWindow(qint64 spanMs = 10000);

    // Takes the report in and returns each input's rate: the pulses counted between the oldest report in
    // the window and this one, per second. An input whose counter went down (a preset, a device restart)
    // counts from that report on. Nothing for an input until two reports span some time.
    InputRates Add(const TimedReport& report);
    void Clear() { m_reports.clear(); }
    qint64 SpanMs() const { return m_spanMs; }

private:
    qint64 m_spanMs;
    std::deque<TimedReport> m_reports;
};

// "0.50 /s", "12.5 /s", "1234 /s": three significant figures or more; empty when there is no rate.
QString RateText(const std::optional<double>& rate);

} // namespace zeph::counters
