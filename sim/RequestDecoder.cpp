// SPDX-License-Identifier: MIT
// Request frame reception on the device's side of the link.
#include "sim/RequestDecoder.h"

#include <span>

namespace zeph::sim {

namespace {
bool CrcMatches(std::span<const std::uint8_t> covered, std::uint8_t low, std::uint8_t high) {
    const std::uint16_t crc = Crc16(covered);
    return low == (crc & 0xFF) && high == (crc >> 8);
}
} // namespace

void RequestDecoder::Abandon() {
    if (m_inFrame) ++m_rejected;
    m_inFrame = false;
    m_lowNibble.reset();
    m_frame.clear();
}

std::vector<ReceivedRequest> RequestDecoder::Feed(const QByteArray& characters) {
    std::vector<ReceivedRequest> requests;
    for (char ch : characters) {
        const auto c = static_cast<std::uint8_t>(ch);
        const bool high = c & HighNibbleBit;
        const bool marked = c & FirstByteMark;
        if (!high && marked) {
            // A frame start always wins: whatever was being collected can no longer be completed.
            Abandon();
            m_inFrame = true;
            m_lowNibble = c & 0x0F;
            continue;
        }
        if (!m_inFrame) continue;
        const bool expectMark = m_frame.empty();
        if (marked != expectMark || high != m_lowNibble.has_value()) {
            Abandon();
            continue;
        }
        if (!high) {
            m_lowNibble = c & 0x0F;
            continue;
        }
        const auto byte = static_cast<std::uint8_t>((c & 0x0F) << 4 | *m_lowNibble);
        m_lowNibble.reset();
        if (auto request = AddByte(byte)) requests.push_back(std::move(*request));
    }
    return requests;
}

std::optional<ReceivedRequest> RequestDecoder::AddByte(std::uint8_t byte) {
    m_frame.push_back(byte);
    if (m_frame.size() < 4) return std::nullopt;
    if (m_frame.size() == 4 && (!CrcMatches(std::span(m_frame).first(2), m_frame[2], m_frame[3]) ||
                                m_frame[1] > MaxRequestPayload)) {
        Abandon();
        return std::nullopt;
    }
    const std::size_t n = m_frame[1];
    const std::size_t total = n == 0 ? 4 : n + 6;
    if (m_frame.size() < total) return std::nullopt;
    if (n > 0 && !CrcMatches(std::span(m_frame).subspan(4, n), m_frame[4 + n], m_frame[5 + n])) {
        Abandon();
        return std::nullopt;
    }
    ReceivedRequest request{m_frame[0], Bytes(m_frame.begin() + 4, m_frame.begin() + 4 + long(n))};
    m_inFrame = false;
    m_frame.clear();
    return request;
}

} // namespace zeph::sim
