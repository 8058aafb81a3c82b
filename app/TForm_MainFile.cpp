// The settings-file group: saving the settings page to a ".zsf" file and loading it back.
#include "app/TForm_Main.h"

#include "settingsfile/SettingsFile.h"

#include <QDate>
#include <QFileInfo>
#include <QGroupBox>
#include <QLocale>

namespace zeph::app {

namespace {

FileDialogRequest SettingsFileDialog(const QString& title) {
    return {title, QStringLiteral("ZEPH7208 Settings File (*.zsf)"), QStringLiteral("zsf")};
}

// A dialog that did not add the default extension must not leave a bare name: "plant" becomes
// "plant.zsf", while "plant.txt" stays as the user typed it.
QString WithDefaultSuffix(const QString& path) {
    const QFileInfo info(path);
    if (!info.suffix().isEmpty()) return path;
    return path.endsWith(QLatin1Char('.')) ? path + QStringLiteral("zsf") : path + QStringLiteral(".zsf");
}

} // namespace

void TForm_Main::Button_FileMentesClick() {
    if (!ValidateSettings()) return;
    const QString chosen =
        Dialogs().GetSaveFileName(SettingsFileDialog(QStringLiteral("Save settings to file")));
    if (chosen.isEmpty()) return;
    const QString path = WithDefaultSuffix(chosen);

    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    // The save replaces the file whole or not at all, so a failure leaves the earlier file intact.
    if (!settingsfile::SaveSettingsFile(path, SettingsFileValues(), date)) {
        ShowMessage(
            MessageKind::Error,
            QStringLiteral("The save operation is failed.\n\rCheck the write-protected mode in storage "
                           "and there is enough free space on it."));
        return;
    }
    GroupBox_FajlMuveletek->setTitle(QStringLiteral("Settings   Last used file: ") +
                                     QFileInfo(path).fileName());
}

void TForm_Main::Button_FileMegnyitasClick() {
    const QString path = Dialogs().GetOpenFileName(SettingsFileDialog(QStringLiteral("Open settings file")));
    if (path.isEmpty()) return;
    const settingsfile::LoadResult loaded = settingsfile::LoadSettingsFile(path);
    switch (loaded.outcome) {
    case settingsfile::LoadResult::Outcome::NotSettingsFile:
        ShowMessage(MessageKind::Error, QStringLiteral("This file is not a ZEPH7208 settings."));
        return;
    case settingsfile::LoadResult::Outcome::Corrupt:
        ShowMessage(MessageKind::Error, QStringLiteral("The file is corrupt."));
        return;
    case settingsfile::LoadResult::Outcome::Loaded:
        ApplySettingsFileValues(loaded.values);
        return;
    }
}

} // namespace zeph::app
