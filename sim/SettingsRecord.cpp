// SPDX-License-Identifier: MIT
// Settings block encoding, decoding and the device's own plausibility check.
#include "sim/SettingsRecord.h"

namespace zeph::sim {

SettingsRecord SettingsRecord::FactoryDefaults() {
    SettingsRecord record;
    record.inputConfig = {0x04, 0x03, 0, 0, 0, 0, 0, 0};
    record.maxPulseTimeMs = {60000, 1000, 1000, 1000, 1000, 1000, 1000, 1000};
    return record;
}

std::optional<SettingsRecord> SettingsRecord::Decode(std::span<const std::uint8_t> block) {
    if (block.size() != BlockSize) return std::nullopt;
    SettingsRecord record;
    for (std::size_t n = 0; n < 8; ++n) {
        record.inputConfig[n] = block[n];
        record.maxPulseTimeMs[n] = ReadUInt32(block, 8 + 4 * n);
    }
    record.parity = block[40];
    record.baudCode = block[41];
    record.address = block[42];
    record.resistors = block[43];
    record.commTimeout = static_cast<std::uint16_t>(block[44] | block[45] << 8);
    record.answerDelayMs = block[46];
    return record;
}

Bytes SettingsRecord::Encode() const {
    Bytes block(inputConfig.begin(), inputConfig.end());
    for (std::uint32_t limit : maxPulseTimeMs)
        AppendUInt32(block, limit);
    block.insert(block.end(),
                 {parity, baudCode, address, resistors, static_cast<std::uint8_t>(commTimeout & 0xFF),
                  static_cast<std::uint8_t>(commTimeout >> 8), answerDelayMs});
    return block;
}

bool SettingsRecord::IsUsable() const {
    for (std::size_t n = 0; n < 8; ++n) {
        if ((inputConfig[n] & 0xF8) != 0 || maxPulseTimeMs[n] > MaxPulseTimeLimit) return false;
    }
    return parity >= 1 && parity <= 3 && baudCode >= 1 && baudCode <= 9 && address >= 1 && address <= 247 &&
           resistors <= 3;
}

} // namespace zeph::sim
