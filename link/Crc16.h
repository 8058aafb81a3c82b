// SPDX-License-Identifier: MIT
// CRC-16 that protects every frame on the device link (reflected polynomial 0xA001, start 0xFFFF).
#pragma once

#include <cstdint>
#include <span>

namespace zeph::link {

// With init set, returns the start value 0xFFFF and ignores the rest; otherwise folds value into crc.
std::uint16_t CalcCrc16(bool init, std::uint8_t value, std::uint16_t crc);

// The CRC of a whole byte range, from the start value.
std::uint16_t Crc16Of(std::span<const std::uint8_t> bytes);

} // namespace zeph::link
