// SPDX-License-Identifier: MIT
// The simulated device's configuration record and its 47-byte settings block image.
#pragma once

#include "sim/LineCodec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace zeph::sim {

struct SettingsRecord {
    static constexpr std::size_t BlockSize = 47;
    static constexpr std::uint32_t MaxPulseTimeLimit = 3999999999u;

    // Bit 0 openings counted, bit 1 debouncing off, bit 2 contact input; bits 3..7 reserved (zero).
    std::array<std::uint8_t, 8> inputConfig{};
    // Longest allowed time between two pulses per input, ms; 0 switches the check off.
    std::array<std::uint32_t, 8> maxPulseTimeMs{};
    std::uint8_t parity = 2;   // 1 None, 2 Even, 3 Odd
    std::uint8_t baudCode = 8; // 1..9 for 300..38400 bit/s
    std::uint8_t address = 1;
    std::uint8_t resistors = 1;      // bit 0 termination, bit 1 pull-up/pull-down
    std::uint16_t commTimeout = 100; // units of 10 ms
    std::uint8_t answerDelayMs = 5;

    // What the device leaves the factory with: input 1 contact and debounced, input 2 NAMUR counting
    // openings without debouncing, the rest NAMUR, debounced, closings; limits 60000 ms and 1000 ms.
    static SettingsRecord FactoryDefaults();

    // Any 47 bytes decode; whether the values are usable is IsUsable's question.
    static std::optional<SettingsRecord> Decode(std::span<const std::uint8_t> block);
    Bytes Encode() const;

    // The device refuses to store a record it could not run with.
    bool IsUsable() const;

    bool operator==(const SettingsRecord&) const = default;
};

} // namespace zeph::sim
