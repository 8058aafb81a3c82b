// SPDX-License-Identifier: MIT
// What the operation state machine needs from its owner: the two long payloads, the decoders of an
// accepted answer, releasing the continuous refresh and the message boxes.
#pragma once

#include "device/MessageKind.h"

#include <QString>

#include <cstdint>
#include <span>

namespace zeph::device {

class OperationHost {
public:
    virtual ~OperationHost() = default;
    // The whole write-settings payload text "4,3,...", built from the settings as they are now.
    virtual QString BuildSettingsPayload() = 0;
    // The whole counter-preset payload text "4,6,...".
    virtual QString BuildCounterPresetPayload() = 0;
    // An accepted full answer with status 0, handed over once the step is idle again: the answer's
    // payload, status byte first. requestCode tells a current-settings read (1) from factory defaults (2).
    virtual void ShowSettingsBlock(std::span<const std::uint8_t> payload, int requestCode) = 0;
    virtual void ShowCounterStatus(std::span<const std::uint8_t> payload) = 0;
    virtual void ReleaseContinuousRefresh() = 0;
    // A modal box with one OK button. It is asked for from inside the machine's tick, and Qt fires no
    // timer again while its handler runs: a host that opens the box before returning holds the machine
    // until the box closes, so a window opens it from its event loop, and the timers go on ticking.
    virtual void ShowMessage(MessageKind kind, const QString& text) = 0;
};

} // namespace zeph::device
