// SPDX-License-Identifier: MIT
// The settings-file group: saving the settings page to a ".zsf" file and loading it back.
#include "app/TForm_Main.h"

#include "app/SettingsPageControls.h"
#include "session/SettingsFileMapping.h"
#include "settingsfile/SettingsFile.h"

#include <QDate>
#include <QFileInfo>
#include <QGroupBox>
#include <QLocale>

namespace zeph::app {

namespace {

FileDialogRequest SettingsFileDialog(const QString& title) {
    return {title, TForm_Main::tr("ZEPH7208 Settings File (*.zsf)"), QStringLiteral("zsf")};
}

// The save-failure box: the real reason when the chosen file was refused before anything was written,
// the original's advice and then the system's reason when the file could not be written.
QString SaveFailureText(settingsfile::SaveFailure failure, const QString& error) {
    const QString lineBreak = QStringLiteral("\n\r");
    const QString failed = TForm_Main::tr("The save operation is failed.") + lineBreak;
    if (failure == settingsfile::SaveFailure::ExistingFileTooLarge ||
        failure == settingsfile::SaveFailure::ExistingFileUnreadable)
        return failed + error;
    const QString advice =
        TForm_Main::tr("Check the write-protected mode in storage and there is enough free space on it.");
    return failed + advice + (error.isEmpty() ? QString() : lineBreak + error);
}

} // namespace

void TForm_Main::Button_FileMentesClick() {
    if (!ValidateSettings()) return;
    // The dialog has added the default extension to a bare name and asked before overwriting.
    const QString path =
        AskForFile(*m_dialogs, FileDialogKind::Save, SettingsFileDialog(tr("Save settings to file")),
                   &m_windowMemory.settingsFileFolder);
    if (path.isEmpty()) return;

    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    // The save replaces the file whole or not at all, so a failure leaves the earlier file intact.
    QString error;
    settingsfile::SaveFailure failure = settingsfile::SaveFailure::None;
    if (!settingsfile::SaveSettingsFile(path, session::SettingsFileValues(ReadSettingsPage(this)), date,
                                        &error, &failure)) {
        ShowMessage(MessageKind::Error, SaveFailureText(failure, error));
        return;
    }
    const QString caption = tr("Settings   Last used file: %1").arg(QFileInfo(path).fileName());
    // An "&" in the file name is a character, not a mnemonic; the group's name for screen readers stays
    // "Settings file", so they hear the file in its description.
    GroupBox_FajlMuveletek->setTitle(QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
    GroupBox_FajlMuveletek->setAccessibleDescription(caption);
}

void TForm_Main::Button_FileMegnyitasClick() {
    const QString path =
        AskForFile(*m_dialogs, FileDialogKind::Open, SettingsFileDialog(tr("Open settings file")),
                   &m_windowMemory.settingsFileFolder);
    if (path.isEmpty()) return;
    OpenSettingsFile(path);
}

void TForm_Main::OpenSettingsFile(const QString& path) {
    const settingsfile::LoadResult loaded = settingsfile::LoadSettingsFile(path);
    switch (loaded.outcome) {
    case settingsfile::LoadResult::Outcome::Loaded:
        break;
    case settingsfile::LoadResult::Outcome::Unreadable:
        ShowMessage(MessageKind::Error, tr("Cannot read %1: %2.").arg(path, loaded.reason));
        return;
    case settingsfile::LoadResult::Outcome::NotSettingsFile:
        ShowMessage(MessageKind::Error, tr("This file is not a ZEPH7208 settings."));
        return;
    }
    ShowSettingsPage(this, session::SettingsPageFromFile(loaded.values));
}

} // namespace zeph::app
