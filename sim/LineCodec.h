// SPDX-License-Identifier: MIT
// The device's own end of the line codec: its CRC-16, the answer frame it builds and the two characters
// each frame byte travels as. The simulator keeps this apart from the configurator's link code so that a
// slip in one cannot hide behind the same slip in the other.
//
// A frame byte b goes on the line as its low nibble (b & 0x0F), then its high nibble (0x80 + (b >> 4));
// both characters of the first byte of a frame carry 0x40 as well, which is how a receiver finds a start.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <span>
#include <vector>

namespace zeph::sim {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t HighNibbleBit = 0x80; // set on the character carrying a high nibble
constexpr std::uint8_t FirstByteMark = 0x40; // set on both characters of a frame's first byte
constexpr std::size_t MaxRequestPayload = 250;

// Payload numbers of four bytes travel low byte first.
inline void AppendUInt32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}
inline std::uint32_t ReadUInt32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16 |
           std::uint32_t(bytes[at + 3]) << 24;
}

// CRC-16 with the reflected polynomial 0xA001 from 0xFFFF, no final XOR. Frames carry it low byte first.
std::uint16_t Crc16(std::span<const std::uint8_t> bytes);

// Writes the CRC of everything before the last two bytes of frame into those two bytes.
void SealFrame(Bytes& frame);

// An answer frame: 0x80 + address, payload length, payload, and one CRC over all of these.
Bytes ResponseFrame(int address, std::span<const std::uint8_t> payload);

// The characters that carry frame on the line, two per byte.
QByteArray ToLineCharacters(std::span<const std::uint8_t> frame);

} // namespace zeph::sim
