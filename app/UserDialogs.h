// SPDX-License-Identifier: MIT
// The one seam through which the window shows modal message boxes and dialogs, so a test can answer
// them and check their kind, text and order.
#pragma once

#include "app/MessageKind.h"

#include <QFileInfo>
#include <QString>

namespace zeph::app {

struct FileDialogRequest {
    QString title;
    QString filter;        // e.g. "ZEPH7208 Settings File (*.zsf)"
    QString defaultSuffix; // appended to a typed name that has no extension
    QString folder = {};   // where the dialog opens; empty leaves it to the dialog
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
    // Asks for a network serial server to add to the port list: its port text, as "tcp://host:4001",
    // already checked; empty when the user cancelled. One that never asks cancels.
    virtual QString GetNetworkPort() { return {}; }
    // An existing folder, chosen from request.folder; empty when the user cancelled. One that never asks
    // cancels.
    virtual QString GetExistingDirectory(const FileDialogRequest& /*request*/) { return {}; }
    // Opens a finished document (a report) in the desktop's viewer for it; nothing waits for the viewer.
    virtual void OpenDocument(const QString& /*path*/) {}
};

enum class FileDialogKind { Open, Save };

// Asks for a file in *folder and, unless the user cancels, keeps the chosen file's folder there for the
// next time.
inline QString AskForFile(UserDialogs& dialogs, FileDialogKind kind, FileDialogRequest request,
                          QString* folder) {
    request.folder = *folder;
    const QString path =
        kind == FileDialogKind::Save ? dialogs.GetSaveFileName(request) : dialogs.GetOpenFileName(request);
    if (!path.isEmpty()) *folder = QFileInfo(path).absolutePath();
    return path;
}

} // namespace zeph::app
