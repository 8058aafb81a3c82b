// SPDX-License-Identifier: MIT
// The payload encoders of the device's requests and the decoders of its answers.
#include "device/DevicePayloads.h"

#include <algorithm>

namespace zeph::device {

namespace {
// Positions counted from 1, status byte at 1, as the device documents them.
constexpr int FirstCounterPosition = 7;
constexpr int FirstIntervalPosition = 39;

quint32 UInt32At(std::span<const std::uint8_t, CounterStatusReportSize> payload, int position) {
    const std::size_t i = std::size_t(position - 1);
    return quint32(payload[i]) | quint32(payload[i + 1]) << 8 | quint32(payload[i + 2]) << 16 |
           quint32(payload[i + 3]) << 24;
}

void AppendUInt32(link::Bytes& bytes, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(std::uint8_t(value >> (8 * i)));
}
} // namespace

CounterStatusReport DecodeCounterStatusReport(std::span<const std::uint8_t> answer) {
    std::array<std::uint8_t, CounterStatusReportSize> payload{};
    std::copy_n(answer.begin(), std::min(answer.size(), payload.size()), payload.begin());
    CounterStatusReport report;
    report.status = payload[0];
    report.activity = payload[1];
    report.namurOpen = payload[2];
    report.namurShort = payload[3];
    report.timeLimit = payload[4];
    report.overflow = payload[5];
    for (int k = 0; k < 8; ++k) {
        report.counters[k] = UInt32At(payload, FirstCounterPosition + 4 * k);
        report.intervals[k] = UInt32At(payload, FirstIntervalPosition + 4 * k);
    }
    report.currentErrors = payload[70];
    report.latchedErrors = payload[71];
    report.dataSource = payload[72];
    return report;
}

link::Bytes CounterPresetPayload(const PresetSelection& selected) {
    std::uint8_t mask = 0;
    for (int k = 0; k < 8; ++k)
        if (selected[k]) mask |= std::uint8_t(1u << k);
    link::Bytes payload{4, 6, mask};
    for (int k = 0; k < 8; ++k)
        AppendUInt32(payload, selected[k].value_or(0));
    return payload;
}

SettingsAnswer DecodeSettingsAnswer(std::span<const std::uint8_t> payload, bool withDataSource) {
    // Position 1 is the status byte, the block follows, then the data-source code.
    const auto at = [&](std::size_t index) -> std::uint8_t {
        return index < payload.size() ? payload[index] : 0;
    };
    SettingsBlock block{};
    for (std::size_t p = 0; p < block.size(); ++p)
        block[p] = at(p + 1);
    SettingsAnswer answer{DecodeSettingsBlock(block), std::nullopt};
    if (withDataSource) answer.dataSource = at(SettingsBlockSize + 1);
    return answer;
}

link::Bytes SettingsWritePayload(const SettingsBlock& block) {
    // Built at its full size: GCC 12 misjudges an insert into a two-byte vector as out of bounds.
    link::Bytes payload(2 + block.size());
    payload[0] = 4;
    payload[1] = 3;
    std::copy(block.begin(), block.end(), payload.begin() + 2);
    return payload;
}

DataSource DataSourceOf(unsigned code) {
    if (code >= 1 && code <= 3) return {DataSource::Kind::Ram, int(code)};
    if (code >= 11 && code <= 13) return {DataSource::Kind::Eeprom, int(code - 10)};
    if (code == 21) return {DataSource::Kind::SettingsFailed};
    if (code == 31) return {DataSource::Kind::EepromError};
    return {};
}

} // namespace zeph::device
