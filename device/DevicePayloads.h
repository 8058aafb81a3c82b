// SPDX-License-Identifier: MIT
// What the device's requests carry and what its answers bring, in one place: the payload of a settings
// write and of a counter preset, and the decoders of the settings answer and the counter/status report.
// Positions in the device's documentation count from 1, status byte first; the code counts from 0.
#pragma once

#include "device/SettingsBlock.h"
#include "link/FrameCodec.h"

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>

namespace zeph::device {

// ---- the counter/status report (the answer to reading, clearing and presetting the counters)

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

    bool operator==(const CounterStatusReport&) const = default;
};

// The report from the answer's payload, status byte first; bytes missing from a short payload count as 0.
CounterStatusReport DecodeCounterStatusReport(std::span<const std::uint8_t> payload);

// Whether input (0..7) has its bit set in a flag byte.
constexpr bool InputFlag(std::uint8_t flags, int input) {
    return (flags >> input) & 1;
}

// The device asks for a first initialization while its settings or its counted values are invalid (error
// bits 0 and 1).
constexpr bool NeedsFirstInitialization(std::uint8_t currentErrors) {
    return (currentErrors & 0x03) != 0;
}

// ---- presetting the counters

// The largest value a counter can be preset to; the counters themselves run up to 4294967295.
constexpr quint32 MaxPresetValue = 3999999999u;

// The counters chosen for presetting, input 1 first, each with its new value; an empty entry leaves its
// counter alone.
using PresetSelection = std::array<std::optional<quint32>, 8>;

// 4, 6, the mask of chosen counters, and eight groups of four value bytes, least significant first; a
// counter not chosen sends four zeros and leaves its mask bit clear.
link::Bytes CounterPresetPayload(const PresetSelection& selected);

// ---- the settings

// What a read of the settings brings: the page, and after a read of the current settings the data-source
// code the device started from; a factory-defaults read carries none.
struct SettingsAnswer {
    SettingsPageState page;
    std::optional<unsigned> dataSource;

    bool operator==(const SettingsAnswer&) const = default;
};

// The answer's payload, status byte first, then the 47 block bytes and, when withDataSource, the
// data-source code. Bytes missing from a short payload count as 0.
SettingsAnswer DecodeSettingsAnswer(std::span<const std::uint8_t> payload, bool withDataSource);

// 4, 3 and the 47 block bytes.
link::Bytes SettingsWritePayload(const SettingsBlock& block);

// What the data-source code says: where the device took its settings from at start-up (RAM or EEPROM,
// copy 1 to 3), that its settings failed, or that its EEPROM failed. Other codes say nothing.
struct DataSource {
    enum class Kind { Unknown, Ram, Eeprom, SettingsFailed, EepromError };
    Kind kind = Kind::Unknown;
    int copy = 0; // 1..3 for Ram and Eeprom

    bool operator==(const DataSource&) const = default;
};
DataSource DataSourceOf(unsigned code);

// ---- what a request carries and what an answer brings, by kind

using RequestData = std::variant<std::monostate, SettingsBlock, PresetSelection>;
using AnswerData = std::variant<std::monostate, SettingsAnswer, CounterStatusReport>;

} // namespace zeph::device
