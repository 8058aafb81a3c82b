// SPDX-License-Identifier: MIT
// The dialogs a user really sees: Qt message boxes, file dialogs and our own dialogs over the main window.
#include "app/QtUserDialogs.h"

#include "app/NetworkPortDialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace zeph::app {

namespace {

// The context of these texts in the translation files.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(UserDialogs)
};

// The texts join their lines with a line feed and a carriage return, as the original's boxes did; a
// carriage return alone also breaks a line there. Qt breaks lines at line feeds only and shows a
// carriage return as a blank, which would indent the next line.
QString DisplayedText(QString text) {
    text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

void QtUserDialogs::ShowMessage(MessageKind kind, const QString& text) {
    switch (kind) {
    case MessageKind::Error:
        QMessageBox::critical(m_owner, Texts::tr("Error"), DisplayedText(text));
        break;
    case MessageKind::Warning:
        QMessageBox::warning(m_owner, Texts::tr("Warning"), DisplayedText(text));
        break;
    case MessageKind::Information:
        QMessageBox::information(m_owner, Texts::tr("Information"), DisplayedText(text));
        break;
    }
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

QString QtUserDialogs::GetNetworkPort() {
    NetworkPortDialog dialog(m_owner);
    return dialog.exec() == QDialog::Accepted ? dialog.PortText() : QString();
}

QString QtUserDialogs::GetExistingDirectory(const FileDialogRequest& request) {
    return QFileDialog::getExistingDirectory(m_owner, request.title, request.folder);
}

void QtUserDialogs::OpenDocument(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace zeph::app
