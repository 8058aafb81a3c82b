// SPDX-License-Identifier: MIT
// Frame layouts and character codec of the device link.
#include "link/FrameCodec.h"

#include "link/Crc16.h"

namespace zeph::link {

namespace {
void AppendCrc(Bytes& frame, std::span<const std::uint8_t> covered) {
    const std::uint16_t crc = Crc16Of(covered);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}
} // namespace

std::uint8_t RequestHeaderByte(int address, bool variantFlag) {
    return static_cast<std::uint8_t>(((address + 0x10) & 0xFF) + (variantFlag ? 0x40 : 0));
}

Bytes BuildRequestFrame(int address, bool variantFlag, std::span<const std::uint8_t> payload) {
    Bytes frame{RequestHeaderByte(address, variantFlag), static_cast<std::uint8_t>(payload.size() & 0xFF)};
    AppendCrc(frame, std::span(frame.data(), 2));
    if (!payload.empty()) {
        frame.insert(frame.end(), payload.begin(), payload.end());
        AppendCrc(frame, payload);
    }
    return frame;
}

Bytes BuildResponseFrame(int address, std::span<const std::uint8_t> payload) {
    Bytes frame{static_cast<std::uint8_t>((0x80 + address) & 0xFF),
                static_cast<std::uint8_t>(payload.size() & 0xFF)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    const Bytes covered = frame;
    AppendCrc(frame, covered);
    return frame;
}

AnswerVerdict JudgeResponse(std::span<const std::uint8_t> frame, int address, int expectedLength) {
    if (expectedLength < 0 || expectedLength > MaxPayload || frame.size() != std::size_t(expectedLength) + 4)
        return AnswerVerdict::WrongLength;
    if (frame[0] - 0x80 != address) return AnswerVerdict::WrongAddress;
    if (frame[1] != expectedLength) return AnswerVerdict::WrongLength;
    const std::uint16_t crc = Crc16Of(frame.first(expectedLength + 2));
    if (frame[expectedLength + 2] != (crc & 0xFF) || frame[expectedLength + 3] != (crc >> 8))
        return AnswerVerdict::BadCrc;
    return AnswerVerdict::Accepted;
}

QString VerdictText(AnswerVerdict verdict) {
    switch (verdict) {
    case AnswerVerdict::Accepted:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Verdict", "accepted"));
    case AnswerVerdict::WrongAddress:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Verdict", "wrong address"));
    case AnswerVerdict::WrongLength:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Verdict", "wrong length"));
    case AnswerVerdict::BadCrc:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Verdict", "bad CRC"));
    case AnswerVerdict::TimedOut:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Verdict", "time-out"));
    }
    return {};
}

QString HexText(const QByteArray& characters) {
    return QString::fromLatin1(characters.toHex(' ').toUpper());
}

QString HexText(std::span<const std::uint8_t> bytes) {
    return HexText(
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
}

QByteArray EncodeFrame(std::span<const std::uint8_t> frame) {
    QByteArray characters;
    characters.reserve(int(frame.size()) * 2);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const int firstByteMark = i == 0 ? 0x40 : 0;
        characters.append(char((frame[i] & 0x0F) + firstByteMark));
        characters.append(char(0x80 + (frame[i] >> 4) + firstByteMark));
    }
    return characters;
}

void FrameDecoder::Decode(const QByteArray& chunk, Bytes& out) {
    for (char ch : chunk) {
        const auto c = static_cast<std::uint8_t>(ch);
        if (c < 0x80)
            m_pendingLowNibble = c & 0x0F;
        else
            out.push_back(static_cast<std::uint8_t>(((c & 0x0F) << 4) + m_pendingLowNibble));
    }
}

} // namespace zeph::link
