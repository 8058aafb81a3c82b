// SPDX-License-Identifier: MIT
// The device's 73-byte counter/status report and the texts and font sizes its values are shown with.
#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <cstdint>
#include <span>

namespace zeph::counters {

constexpr int CounterStatusReportSize = 73;
// An interval of all ones means the input has no interval to show.
constexpr quint32 NoInterval = 0xFFFFFFFFu;

// Flag bytes hold one bit per input, bit 0 for input 1.
struct CounterStatusReport {
    std::uint8_t status = 0;
    std::uint8_t activity = 0;
    std::uint8_t namurOpen = 0;
    std::uint8_t namurShort = 0;
    std::uint8_t timeLimit = 0;
    std::uint8_t overflow = 0;
    std::array<quint32, 8> counters{};
    std::array<quint32, 8> intervals{}; // milliseconds between the last two pulses
    std::uint8_t currentErrors = 0;
    std::uint8_t latchedErrors = 0;
    std::uint8_t dataSource = 0;
};

// The report from the answer's payload, status byte first; bytes missing from a short payload count as 0.
CounterStatusReport DecodeCounterStatusReport(std::span<const std::uint8_t> payload);

// Whether input (0..7) has its bit set in a flag byte.
constexpr bool InputFlag(std::uint8_t flags, int input) {
    return (flags >> input) & 1;
}

// The English caption of an error flag bit (0..7), the same for the current and the latched flags.
QString ErrorFlagCaption(int bit);

// "# ### ### ##0": groups of three digits from the right, one blank between groups.
QString FormatCounterValue(quint32 value);
// The interval caption: "-" when there is no interval.
QString IntervalText(quint32 value);
// Large values get a smaller font to stay inside the label.
int CounterFontPointSize(quint32 value);
// The first-initialization buttons are offered while the settings or the counted values are invalid.
bool ShowFirstInitialization(std::uint8_t currentErrors);

} // namespace zeph::counters
