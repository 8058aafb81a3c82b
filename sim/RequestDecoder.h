// SPDX-License-Identifier: MIT
// The device's receiver: line characters to request frames, found by the first-byte mark and checked
// with both CRCs.
#pragma once

#include "sim/LineCodec.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

namespace zeph::sim {

struct ReceivedRequest {
    std::uint8_t header = 0; // first frame byte: address + 0x10, plus 0x40 for the variant flag
    Bytes payload;
    bool operator==(const ReceivedRequest&) const = default;
};

class RequestDecoder {
public:
    // Feeds characters; returns the frames they complete whose CRCs hold.
    std::vector<ReceivedRequest> Feed(const QByteArray& characters);

    // Frames dropped so far: bad header or payload CRC, broken nibble pairs, cut off by a new frame start.
    int RejectedFrames() const { return m_rejected; }

private:
    void Abandon();
    std::optional<ReceivedRequest> AddByte(std::uint8_t byte);

    bool m_inFrame = false;
    std::optional<std::uint8_t> m_lowNibble;
    Bytes m_frame;
    int m_rejected = 0;
};

} // namespace zeph::sim
