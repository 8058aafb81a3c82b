// The one seam through which the window shows modal message boxes and file dialogs, so a test can
// answer them and check their kind, text and order.
#pragma once

#include "device/MessageKind.h"

#include <QString>

namespace zeph::app {

using zeph::device::MessageKind;

struct FileDialogRequest {
    QString title;
    QString filter;        // e.g. "ZEPH7208 Settings File (*.zsf)"
    QString defaultSuffix; // appended to a typed name that has no extension
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // A modal box with one OK button.
    virtual void ShowMessage(MessageKind kind, const QString& text) = 0;
    // Asks before overwriting an existing file. An empty result means the user cancelled.
    virtual QString GetSaveFileName(const FileDialogRequest& request) = 0;
    // The named file need not exist. An empty result means the user cancelled.
    virtual QString GetOpenFileName(const FileDialogRequest& request) = 0;
};

} // namespace zeph::app
