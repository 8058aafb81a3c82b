// SPDX-License-Identifier: MIT
// Fuzz target: the settings answer and block decoders against the encoder. Input: the request code
// (byte 0, 1 for the current settings, 2 for the factory defaults), then the answer's payload with its
// status byte first, of any length.
#include "device/DevicePayloads.h"
#include "device/SettingsBlock.h"
#include "device/SettingsValidation.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>

using namespace zeph::device;

namespace {

// What the block keeps when it goes through the settings page: the bits and codes the page cannot show
// are lost, everything else comes back byte for byte.
SettingsBlock Canonical(SettingsBlock block) {
    for (int n = 0; n < InputCount; ++n)
        block[std::size_t(n)] &= 0x07; // counted edge, debouncing off, contact input
    auto keepCode = [&block](std::size_t index, int highest) {
        if (block[index] < 1 || block[index] > highest) block[index] = 0;
    };
    keepCode(40, 3);   // parity 1..3
    keepCode(41, 9);   // baud rate 1..9
    block[43] &= 0x03; // pull resistors, termination
    return block;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool withDataSource = data[0] % 4 == 1;
    const std::span<const std::uint8_t> payload(data + 1, size - 1);
    const SettingsAnswer answer = DecodeSettingsAnswer(payload, withDataSource);

    // The block follows the status byte; bytes missing from a short payload count as 0.
    SettingsBlock block{};
    for (std::size_t p = 0; p < block.size(); ++p)
        block[p] = p + 1 < payload.size() ? payload[p + 1] : 0;
    FUZZ_CHECK(answer.page == DecodeSettingsBlock(block));
    const std::uint8_t dataSourceByte =
        SettingsBlockSize + 1 < payload.size() ? payload[SettingsBlockSize + 1] : 0;
    FUZZ_CHECK(answer.dataSource ==
               (withDataSource ? std::optional<unsigned>(dataSourceByte) : std::nullopt));

    const SettingsPageState& page = answer.page;
    for (int n = 0; n < InputCount; ++n)
        FUZZ_CHECK(page.inputType[n] >= 0 && page.inputType[n] <= 1 && page.countedEdge[n] >= 0 &&
                   page.countedEdge[n] <= 1);
    FUZZ_CHECK(page.parity >= -1 && page.parity <= 2 && page.baudRate >= -1 && page.baudRate <= 8);

    // Round trip: the page encodes to the block it came from, in any locale.
    const SettingsBlock encoded = EncodeSettingsBlock(page, QLocale::c());
    FUZZ_CHECK(encoded == Canonical(block));
    FUZZ_CHECK(EncodeSettingsBlock(page, QLocale(QLocale::German, QLocale::Germany)) == encoded);
    FUZZ_CHECK(DecodeSettingsBlock(encoded) == page);

    // The write request carries exactly these bytes after its 4, 3.
    const zeph::link::Bytes request = SettingsWritePayload(encoded);
    FUZZ_CHECK(request.size() == 2 + encoded.size() && request[0] == 4 && request[1] == 3);
    FUZZ_CHECK(std::equal(encoded.begin(), encoded.end(), request.begin() + 2));

    // The checks leave numbers shown as read alone: they are in plain integer form already.
    SettingsPageState checked = page;
    const bool passed = !ValidateSettings(checked, QLocale::c(), [](FieldRef) { return QString(); });
    FUZZ_CHECK(checked == page);
    // Every choice and number the device sent lies inside its limits exactly when the page passes.
    const auto number = [&](int position) { return block[std::size_t(position - 1)]; };
    bool inLimits = page.parity >= 0 && page.baudRate >= 0 && number(43) >= 1 && number(43) <= 247;
    for (int n = 0; n < InputCount; ++n) {
        const std::size_t p = std::size_t(4 * n + 8);
        const quint32 maxTime = quint32(block[p]) | quint32(block[p + 1]) << 8 | quint32(block[p + 2]) << 16 |
                                quint32(block[p + 3]) << 24;
        inLimits = inLimits && maxTime <= 3999999999u;
    }
    FUZZ_CHECK(passed == inLimits);
    return 0;
}
