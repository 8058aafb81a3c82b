// SPDX-License-Identifier: MIT
// The dialogs a user really sees: Qt message boxes, file dialogs and our own dialogs over the main window.
#pragma once

#include "app/UserDialogs.h"

class QWidget;

namespace zeph::app {

class QtUserDialogs : public UserDialogs {
public:
    explicit QtUserDialogs(QWidget* owner)
        : m_owner(owner) {}
    void ShowMessage(MessageKind kind, const QString& text) override;
    QString GetSaveFileName(const FileDialogRequest& request) override;
    QString GetOpenFileName(const FileDialogRequest& request) override;
    QString GetNetworkPort() override;
    QString GetExistingDirectory(const FileDialogRequest& request) override;
    void OpenDocument(const QString& path) override;

private:
    QWidget* m_owner;
};

} // namespace zeph::app
