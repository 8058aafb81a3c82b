// SPDX-License-Identifier: MIT
// Frame layouts of the device link and the two-character encoding that carries every frame byte.
//
// Every frame byte travels as two characters: the low nibble first (0x00..0x0F, or 0x40..0x4F for the
// first byte of a frame), then the high nibble (0x80..0x8F, or 0xC0..0xCF for the first byte).
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace zeph::link {

using Bytes = std::vector<std::uint8_t>;

constexpr int MaxPayload = 250;

// First header byte of a request: (address + 0x10) modulo 256, plus 0x40 for the variant flag.
std::uint8_t RequestHeaderByte(int address, bool variantFlag);

// A complete request frame: header byte, length, header CRC, then payload and payload CRC when not empty.
Bytes BuildRequestFrame(int address, bool variantFlag, std::span<const std::uint8_t> payload);

// A complete response frame: 0x80 + address, length, payload, one CRC over all of it.
Bytes BuildResponseFrame(int address, std::span<const std::uint8_t> payload);

// How the engine judged what it received for one attempt: the answer accepted, rejected for the first
// fault found (address byte, then length byte, then CRC), or the time-out reached with too little.
enum class AnswerVerdict { Accepted, WrongAddress, WrongLength, BadCrc, TimedOut };

// The reason a response frame does not answer a request to address with the expected payload length, or
// Accepted when it does. The checks run in the engine's order: address byte, length byte, CRC.
AnswerVerdict JudgeResponse(std::span<const std::uint8_t> frame, int address, int expectedLength);

// Whether a response frame answers a request to address with the expected payload length.
inline bool IsValidResponse(std::span<const std::uint8_t> frame, int address, int expectedLength) {
    return JudgeResponse(frame, address, expectedLength) == AnswerVerdict::Accepted;
}

// Plain words for a verdict, as the logs show it: "accepted", "wrong address", "time-out".
QString VerdictText(AnswerVerdict verdict);

// Line characters as the logs and the frame monitor show them: "4F C1 02 80".
QString HexText(const QByteArray& characters);
QString HexText(std::span<const std::uint8_t> bytes);

// Frame bytes to line characters (2 per byte).
QByteArray EncodeFrame(std::span<const std::uint8_t> frame);

// Line characters back to bytes. The pending low nibble survives between chunks, so a byte whose two
// characters arrive in different chunks decodes correctly. Frame starts are not looked for: only bit 7
// and the low four bits of a character count.
class FrameDecoder {
public:
    // Appends the bytes completed by chunk to out.
    void Decode(const QByteArray& chunk, Bytes& out);
    int PendingLowNibble() const { return m_pendingLowNibble; }

private:
    int m_pendingLowNibble = 0;
};

} // namespace zeph::link
