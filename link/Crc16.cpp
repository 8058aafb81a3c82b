// SPDX-License-Identifier: MIT
// CRC-16 of the device link.
#include "link/Crc16.h"

namespace zeph::link {

std::uint16_t CalcCrc16(bool init, std::uint8_t value, std::uint16_t crc) {
    if (init) return 0xFFFF;
    crc ^= value;
    for (int bit = 0; bit < 8; ++bit)
        crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                        : static_cast<std::uint16_t>(crc >> 1);
    return crc;
}

std::uint16_t Crc16Of(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = CalcCrc16(true, 0, 0);
    for (std::uint8_t b : bytes)
        crc = CalcCrc16(false, b, crc);
    return crc;
}

} // namespace zeph::link
