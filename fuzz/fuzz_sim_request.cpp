// SPDX-License-Identifier: MIT
// Fuzz target: the simulator's request decoder, the device's side of the line. Input: a byte that sets
// where the characters are cut into chunks, then the line characters.
#include "fuzz/FuzzSupport.h"
#include "link/FrameCodec.h"
#include "sim/RequestDecoder.h"

#include <algorithm>

using namespace zeph::sim;
using zeph::fuzz::InputReader;

namespace {

// The configurator's own codec builds the same request again (its header byte is address + 0x10).
QByteArray Reencoded(const ReceivedRequest& request) {
    return zeph::link::EncodeFrame(
        zeph::link::BuildRequestFrame(int(request.header) - 0x10, false, request.payload));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    std::uint32_t cut = in.Byte() | 1u;
    const QByteArray characters = in.Rest();

    RequestDecoder whole;
    const std::vector<ReceivedRequest> requests = whole.Feed(characters);

    // Chunk borders never matter.
    RequestDecoder chunked;
    std::vector<ReceivedRequest> fromChunks;
    for (qsizetype pos = 0; pos < characters.size();) {
        cut = cut * 1103515245u + 12345u;
        const qsizetype length = 1 + qsizetype((cut >> 16) % 17);
        for (ReceivedRequest& request : chunked.Feed(characters.mid(pos, length)))
            fromChunks.push_back(std::move(request));
        pos += length;
    }
    FUZZ_CHECK(fromChunks == requests);
    FUZZ_CHECK(chunked.RejectedFrames() == whole.RejectedFrames());

    // Every request taken is a well-formed frame: encoded again, a fresh receiver takes it alone.
    const qsizetype starts = std::count_if(characters.begin(), characters.end(),
                                           [](char c) { return (std::uint8_t(c) & 0xC0) == 0x40; });
    FUZZ_CHECK(qsizetype(requests.size()) + whole.RejectedFrames() <= starts);
    for (const ReceivedRequest& request : requests) {
        FUZZ_CHECK(request.payload.size() <= MaxRequestPayload);
        RequestDecoder fresh;
        const std::vector<ReceivedRequest> again = fresh.Feed(Reencoded(request));
        FUZZ_CHECK(again.size() == 1 && again.front() == request && fresh.RejectedFrames() == 0);
    }

    // A frame start always wins: after any characters, a whole request is still taken.
    const ReceivedRequest readCounters{0x1F, {4, 1}};
    const int rejectedBefore = whole.RejectedFrames();
    const std::vector<ReceivedRequest> next = whole.Feed(Reencoded(readCounters));
    FUZZ_CHECK(next.size() == 1 && next.front() == readCounters);
    FUZZ_CHECK(whole.RejectedFrames() - rejectedBefore <= 1);
    return 0;
}
