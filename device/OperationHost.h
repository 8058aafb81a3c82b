// What the operation state machine needs from the window: the two long payloads, the two decoders,
// releasing the continuous refresh and the message boxes.
#pragma once

#include "device/MessageKind.h"

#include <QString>

namespace zeph::device {

class OperationHost {
public:
    virtual ~OperationHost() = default;
    // The whole write-settings payload text "4,3,...", built from the settings page as it is now.
    virtual QString BuildSettingsPayload() = 0;
    // The whole counter-preset payload text "4,6,..."; building it also releases the Select buttons.
    virtual QString BuildCounterPresetPayload() = 0;
    // Decoders of an accepted full answer; the engine's ResponseData holds it.
    virtual void ShowSettingsBlock() = 0;
    virtual void ShowCounterStatus() = 0;
    virtual void ReleaseContinuousRefresh() = 0;
    // A modal box with one OK button.
    virtual void ShowMessage(MessageKind kind, const QString& text) = 0;
};

} // namespace zeph::device
