// The dialogs a user really sees: Qt message boxes and file dialogs over the main window.
#include "app/QtUserDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace zeph::app {

void QtUserDialogs::ShowMessage(MessageKind kind, const QString& text) {
    if (kind == MessageKind::Error)
        QMessageBox::critical(m_owner, QStringLiteral("Error"), text);
    else
        QMessageBox::information(m_owner, QStringLiteral("Information"), text);
}

namespace {

// The static QFileDialog helpers ignore a default suffix, so the dialog is built by hand.
QString RunFileDialog(QWidget* owner, const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner, request.title, request.folder, request.filter);
    dialog.setAcceptMode(mode);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // Opening accepts a name that does not exist; the loader then reports the missing header.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtUserDialogs::GetSaveFileName(const FileDialogRequest& request) {
    return RunFileDialog(m_owner, request, QFileDialog::AcceptSave);
}

QString QtUserDialogs::GetOpenFileName(const FileDialogRequest& request) {
    return RunFileDialog(m_owner, request, QFileDialog::AcceptOpen);
}

} // namespace zeph::app
