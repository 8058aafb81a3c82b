// SPDX-License-Identifier: MIT
// The right-hand panel: its groups and buttons, the settings file saved from and loaded into the settings
// page, the settings read from and written to the device, and the language box.
#include "app/RightPanel.h"

#include "app/Language.h"
#include "app/PortGroup.h"
#include "app/SettingsPage.h"
#include "app/widgets/MakeNamed.h"
#include "device/SettingsBlock.h"
#include "session/DeviceSession.h"
#include "session/SettingsFileMapping.h"
#include "settingsfile/SettingsFile.h"

#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeph::app {

namespace {

FileDialogRequest SettingsFileDialog(const QString& title) {
    return {title, RightPanel::tr("ZEPH7208 Settings File (*.zsf)"), QStringLiteral("zsf")};
}

// The save-failure box: the real reason when the chosen file was refused before anything was written,
// the original's advice and then the system's reason when the file could not be written.
QString SaveFailureText(settingsfile::SaveFailure failure, const QString& error) {
    const QString lineBreak = QStringLiteral("\n\r");
    const QString failed = RightPanel::tr("The save operation is failed.") + lineBreak;
    if (failure == settingsfile::SaveFailure::ExistingFileTooLarge ||
        failure == settingsfile::SaveFailure::ExistingFileUnreadable)
        return failed + error;
    const QString advice =
        RightPanel::tr("Check the write-protected mode in storage and there is enough free space on it.");
    return failed + advice + (error.isEmpty() ? QString() : lineBreak + error);
}

} // namespace

RightPanel::RightPanel(const WindowServices& services, const StartOptions& options, SettingsPage& settings,
                       QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_settings(settings) {
    setObjectName(QStringLiteral("Panel_Side"));
    // Wide enough for the longest device button caption, no wider: the pages need the room.
    setFixedWidth(262);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(6);
    Ports = new PortGroup(services, options, this);
    stack->addWidget(Ports);
    BuildFileAndDeviceGroups();
    stack->addWidget(GroupBox_FajlMuveletek);
    stack->addWidget(GroupBox_KeszulekOlvasasIras);
    Button_FrameMonitor = MakeNamed<QPushButton>("Button_FrameMonitor", tr("Frame monitor"), this);
    Button_FrameMonitor->setToolTip(tr("Every frame on the line with the verdict on each answer (F12)"));
    stack->addWidget(Button_FrameMonitor);
    Button_Commissioning = MakeNamed<QPushButton>("Button_Commissioning", tr("Commissioning…"), this);
    Button_Commissioning->setToolTip(
        tr("Sets up many devices from a template settings file and a device list, with a report"));
    stack->addWidget(Button_Commissioning);
    BuildLanguage();
    stack->addStretch(1);

    connect(Button_FileMegnyitas, &QPushButton::clicked, this, &RightPanel::Button_FileMegnyitasClick);
    connect(Button_FileMentes, &QPushButton::clicked, this, &RightPanel::Button_FileMentesClick);
    // Unconditional: an operation waiting for its answer is abandoned for the read.
    connect(Button_ZT7208AktBeallKiolvasas, &QPushButton::clicked, this,
            [this] { m_services.session->ReadSettings(); });
    connect(Button_ZT7208GyariBeall, &QPushButton::clicked, this,
            [this] { m_services.session->ReadFactoryDefaults(); });
    connect(Button_ZT7208Letoltes, &QPushButton::clicked, this, &RightPanel::Button_ZT7208LetoltesClick);
}

void RightPanel::BuildFileAndDeviceGroups() {
    // Its caption stays empty until a save names the file.
    GroupBox_FajlMuveletek = new QGroupBox(this);
    GroupBox_FajlMuveletek->setObjectName(QStringLiteral("GroupBox_FajlMuveletek"));
    auto* file = new QVBoxLayout(GroupBox_FajlMuveletek);
    file->setContentsMargins(6, 6, 6, 6);
    Button_FileMegnyitas =
        MakeNamed<QPushButton>("Button_FileMegnyitas", tr("Open settings file"), GroupBox_FajlMuveletek);
    Button_FileMentes =
        MakeNamed<QPushButton>("Button_FileMentes", tr("Save settings to file"), GroupBox_FajlMuveletek);
    file->addWidget(Button_FileMegnyitas);
    file->addWidget(Button_FileMentes);

    GroupBox_KeszulekOlvasasIras = new QGroupBox(this);
    GroupBox_KeszulekOlvasasIras->setObjectName(QStringLiteral("GroupBox_KeszulekOlvasasIras"));
    auto* device = new QVBoxLayout(GroupBox_KeszulekOlvasasIras);
    device->setContentsMargins(6, 6, 6, 6);
    Button_ZT7208GyariBeall = MakeNamed<QPushButton>(
        "Button_ZT7208GyariBeall", tr("Read factory defaults from instrument"), GroupBox_KeszulekOlvasasIras);
    Button_ZT7208AktBeallKiolvasas = MakeNamed<QPushButton>(
        "Button_ZT7208AktBeallKiolvasas", tr("Read settings from instrument"), GroupBox_KeszulekOlvasasIras);
    Button_ZT7208Letoltes = MakeNamed<QPushButton>(
        "Button_ZT7208Letoltes", tr("Write settings to instrument"), GroupBox_KeszulekOlvasasIras);
    for (QPushButton* button :
         {Button_ZT7208GyariBeall, Button_ZT7208AktBeallKiolvasas, Button_ZT7208Letoltes}) {
        button->setEnabled(false);
        device->addWidget(button);
    }
}

// Our own: the window's language, taken at the next start (the texts are built with the window).
void RightPanel::BuildLanguage() {
    auto* language = new QHBoxLayout;
    Label_Language = new QLabel(tr("Language"), this);
    Label_Language->setObjectName(QStringLiteral("Label_Language"));
    ComboBox_Language = new QComboBox(this);
    ComboBox_Language->setObjectName(QStringLiteral("ComboBox_Language"));
    // Each language in its own words, so that a user who cannot read the other finds theirs.
    ComboBox_Language->addItem(QStringLiteral("English"), LanguageCode(Language::English));
    ComboBox_Language->addItem(QStringLiteral("Magyar"), LanguageCode(Language::Hungarian));
    ComboBox_Language->setCurrentIndex(InstalledLanguage() == Language::Hungarian ? 1 : 0);
    Label_Language->setBuddy(ComboBox_Language);
    language->addWidget(Label_Language);
    language->addWidget(ComboBox_Language, 1);
    auto* stack = static_cast<QVBoxLayout*>(layout());
    stack->addLayout(language);
    Label_LanguageNote = new QLabel(tr("The window changes its language at the next start."), this);
    Label_LanguageNote->setObjectName(QStringLiteral("Label_LanguageNote"));
    Label_LanguageNote->setWordWrap(true);
    Label_LanguageNote->setVisible(false);
    stack->addWidget(Label_LanguageNote);
    connect(ComboBox_Language, &QComboBox::activated, this, &RightPanel::ComboBox_LanguageChange);
}

void RightPanel::ComboBox_LanguageChange(int index) {
    const std::optional<Language> chosen = LanguageFromCode(ComboBox_Language->itemData(index).toString());
    if (!chosen) return;
    RememberLanguage(m_services.iniPath(), *chosen);
    const bool later = *chosen != InstalledLanguage();
    Label_LanguageNote->setVisible(later);
    ComboBox_Language->setAccessibleDescription(later ? Label_LanguageNote->text() : QString());
}

void RightPanel::Button_ZT7208LetoltesClick() {
    if (!m_settings.ValidateSettings()) return;
    // The block is built from the controls as they are when the request goes out.
    m_services.session->WriteSettings(
        [this] { return device::EncodeSettingsBlock(m_settings.Read(), QLocale()); });
}

void RightPanel::Button_FileMentesClick() {
    if (!m_settings.ValidateSettings()) return;
    // The dialog has added the default extension to a bare name and asked before overwriting.
    const QString path =
        AskForFile(m_services.dialogs(), FileDialogKind::Save,
                   SettingsFileDialog(tr("Save settings to file")), &m_services.memory->settingsFileFolder);
    if (path.isEmpty()) return;

    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    // The save replaces the file whole or not at all, so a failure leaves the earlier file intact.
    QString error;
    settingsfile::SaveFailure failure = settingsfile::SaveFailure::None;
    if (!settingsfile::SaveSettingsFile(path, session::SettingsFileValues(m_settings.Read()), date, &error,
                                        &failure)) {
        m_services.showMessage(MessageKind::Error, SaveFailureText(failure, error));
        return;
    }
    const QString caption = tr("Settings   Last used file: %1").arg(QFileInfo(path).fileName());
    // An "&" in the file name is a character, not a mnemonic; the group's name for screen readers stays
    // "Settings file", so they hear the file in its description.
    GroupBox_FajlMuveletek->setTitle(QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
    GroupBox_FajlMuveletek->setAccessibleDescription(caption);
}

void RightPanel::Button_FileMegnyitasClick() {
    const QString path =
        AskForFile(m_services.dialogs(), FileDialogKind::Open, SettingsFileDialog(tr("Open settings file")),
                   &m_services.memory->settingsFileFolder);
    if (path.isEmpty()) return;
    OpenSettingsFile(path);
}

void RightPanel::OpenSettingsFile(const QString& path) {
    const settingsfile::LoadResult loaded = settingsfile::LoadSettingsFile(path);
    switch (loaded.outcome) {
    case settingsfile::LoadResult::Outcome::Loaded:
        break;
    case settingsfile::LoadResult::Outcome::Unreadable:
        m_services.showMessage(MessageKind::Error, tr("Cannot read %1: %2.").arg(path, loaded.reason));
        return;
    case settingsfile::LoadResult::Outcome::NotSettingsFile:
        m_services.showMessage(MessageKind::Error, tr("This file is not a ZEPH7208 settings."));
        return;
    }
    m_settings.Show(session::SettingsPageFromFile(loaded.values));
}

QList<QWidget*> RightPanel::TabOrder() const {
    const PortGroup& p = *Ports;
    return {p.ListBox_ComPortLista,         p.Button_PortokLekerdezese, p.Button_AddNetworkPort,
            p.Button_RemoveNetworkPort,     p.Button_Megnyitas,         p.Button_Bezaras,
            Button_FileMegnyitas,           Button_FileMentes,          Button_ZT7208GyariBeall,
            Button_ZT7208AktBeallKiolvasas, Button_ZT7208Letoltes,      Button_FrameMonitor,
            Button_Commissioning,           ComboBox_Language};
}

} // namespace zeph::app
