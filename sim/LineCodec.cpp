// SPDX-License-Identifier: MIT
// The simulated device's CRC, answer frames and line characters.
#include "sim/LineCodec.h"

namespace zeph::sim {

std::uint16_t Crc16(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            const bool carry = crc & 1;
            crc >>= 1;
            if (carry) crc ^= 0xA001;
        }
    }
    return crc;
}

void SealFrame(Bytes& frame) {
    const std::size_t covered = frame.size() - 2;
    const std::uint16_t crc = Crc16(std::span(frame).first(covered));
    frame[covered] = static_cast<std::uint8_t>(crc & 0xFF);
    frame[covered + 1] = static_cast<std::uint8_t>(crc >> 8);
}

Bytes ResponseFrame(int address, std::span<const std::uint8_t> payload) {
    Bytes frame;
    frame.reserve(payload.size() + 4);
    frame.push_back(static_cast<std::uint8_t>(0x80 + address));
    frame.push_back(static_cast<std::uint8_t>(payload.size()));
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.resize(frame.size() + 2); // room for the CRC
    SealFrame(frame);
    return frame;
}

QByteArray ToLineCharacters(std::span<const std::uint8_t> frame) {
    QByteArray characters;
    characters.reserve(qsizetype(frame.size()) * 2);
    bool first = true;
    for (const std::uint8_t byte : frame) {
        const std::uint8_t mark = first ? FirstByteMark : 0;
        characters.append(char(mark | (byte & 0x0F)));
        characters.append(char(mark | HighNibbleBit | (byte >> 4)));
        first = false;
    }
    return characters;
}

} // namespace zeph::sim
