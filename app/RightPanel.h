// SPDX-License-Identifier: MIT
// The column beside the pages (Panel_Side): the serial-port group, the settings-file group and the device
// group whose buttons carry the settings page to a file or the device and back, the frame monitor's and
// the commissioning window's buttons, and the window's language.
#pragma once

#include "app/StartOptions.h"
#include "app/WindowServices.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace zeph::app {

class PortGroup;
class SettingsPage;

class RightPanel : public QWidget {
    Q_OBJECT
public:
    RightPanel(const WindowServices& services, const StartOptions& options, SettingsPage& settings,
               QWidget* parent = nullptr);

    // What "Open settings file" does once the file is chosen; also for a file given on the command line.
    void OpenSettingsFile(const QString& path);
    // The controls in the order the Tab key visits them.
    QList<QWidget*> TabOrder() const;

    PortGroup* Ports = nullptr; // GroupBox_SorosPortKivalasztasa
    QGroupBox* GroupBox_FajlMuveletek = nullptr;
    QPushButton* Button_FileMegnyitas = nullptr;
    QPushButton* Button_FileMentes = nullptr;
    QGroupBox* GroupBox_KeszulekOlvasasIras = nullptr;
    QPushButton* Button_ZT7208GyariBeall = nullptr;
    QPushButton* Button_ZT7208AktBeallKiolvasas = nullptr;
    QPushButton* Button_ZT7208Letoltes = nullptr;
    // Our own: the frame monitor, commissioning and the language.
    QPushButton* Button_FrameMonitor = nullptr;
    QPushButton* Button_Commissioning = nullptr;
    QLabel* Label_Language = nullptr;
    QComboBox* ComboBox_Language = nullptr;
    QLabel* Label_LanguageNote = nullptr; // says that a change shows from the next start

private:
    void BuildFileAndDeviceGroups();
    void BuildLanguage();
    void Button_FileMegnyitasClick();
    void Button_FileMentesClick();
    void Button_ZT7208LetoltesClick();
    // The language box: remembered at once, shown from the next start.
    void ComboBox_LanguageChange(int index);

    WindowServices m_services;
    SettingsPage& m_settings;
};

} // namespace zeph::app
