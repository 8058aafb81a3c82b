// SPDX-License-Identifier: MIT
// Fuzz target: the counter/status report decoder and the texts its values are shown with. Input: the
// answer's payload, status byte first, of any length.
#include "counters/CounterText.h"
#include "device/DevicePayloads.h"
#include "fuzz/FuzzSupport.h"

#include <QStringList>

#include <array>

using namespace zeph::counters;
using namespace zeph::device;

namespace {

// The report packed back into the device's layout: every payload byte must be in exactly one field.
std::array<std::uint8_t, CounterStatusReportSize> Packed(const CounterStatusReport& report) {
    std::array<std::uint8_t, CounterStatusReportSize> bytes{};
    std::size_t i = 0;
    for (std::uint8_t flags : {report.status, report.activity, report.namurOpen, report.namurShort,
                               report.timeLimit, report.overflow})
        bytes[i++] = flags;
    for (const auto& values : {report.counters, report.intervals})
        for (quint32 value : values)
            for (int shift = 0; shift < 32; shift += 8)
                bytes[i++] = std::uint8_t(value >> shift);
    bytes[i++] = report.currentErrors;
    bytes[i++] = report.latchedErrors;
    bytes[i++] = report.dataSource;
    FUZZ_CHECK(i == bytes.size());
    return bytes;
}

// "# ### ### ##0": the digits of the value, grouped by three from the right.
void CheckCounterText(quint32 value) {
    const QString text = FormatCounterValue(value);
    const QStringList groups = text.split(QLatin1Char(' '));
    FUZZ_CHECK(groups.join(QString()) == QString::number(value));
    FUZZ_CHECK(!groups.first().isEmpty() && groups.first().size() <= 3);
    for (qsizetype g = 1; g < groups.size(); ++g)
        FUZZ_CHECK(groups[g].size() == 3);
    FUZZ_CHECK(IntervalText(value) == (value == NoInterval ? QStringLiteral("-") : text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CounterStatusReport report = DecodeCounterStatusReport({data, size});
    // Bytes missing from a short payload count as 0; bytes past the report are ignored.
    std::array<std::uint8_t, CounterStatusReportSize> expected{};
    std::copy_n(data, std::min(size, expected.size()), expected.begin());
    FUZZ_CHECK(Packed(report) == expected);
    for (int k = 0; k < 8; ++k) {
        CheckCounterText(report.counters[k]);
        CheckCounterText(report.intervals[k]);
    }
    return 0;
}
