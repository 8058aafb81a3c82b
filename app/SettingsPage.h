// SPDX-License-Identifier: MIT
// The settings page (the tab page TabSheet_BeallithatoLetolthetoPar): the eight input groups, the MODBUS
// RS-485 group, the data source and the page's first-initialization button; the settings shown in the
// controls and checked before a write or a save.
#pragma once

#include "app/WindowServices.h"
#include "device/SettingsBlock.h"
#include "device/SettingsValidation.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace zeph::app {

class TColorLabel;
class TLabeledEdit;
class TRadioGroup;

class SettingsPage : public QWidget {
    Q_OBJECT
public:
    // Narrow: the groups reflowed to fit beside the right-hand panel on a screen 1024 pixels wide.
    SettingsPage(const WindowServices& services, bool narrow, QWidget* parent = nullptr);

    device::SettingsPageState Read() const;
    void Show(const device::SettingsPageState& page);
    // Checks every control; a failure shows its box and leaves the focus on the control at fault. The
    // edits that passed are left in plain integer form.
    bool ValidateSettings();
    // The controls in the order the Tab key visits them.
    QList<QWidget*> TabOrder() const;

    // Families are indexed by input number - 1.
    std::array<QGroupBox*, 8> GroupBox_Input{}; // GroupBox8, GroupBox22, ... (ControlNames.h)
    std::array<TRadioGroup*, 8> RadioGroup_7208BemTip{};
    std::array<QCheckBox*, 8> CheckBox_7208PergMentesites{};
    std::array<QLabel*, 8> Label_Debounce{}; // Label4, Label9, ... (ControlNames.h)
    std::array<TRadioGroup*, 8> RadioGroup_7208BemEl{};
    std::array<TLabeledEdit*, 8> LabeledEdit_7208BemTimeOut{};
    QGroupBox* GroupBox_7208MODBUS = nullptr;
    TRadioGroup* RadioGroup_7208MbParitas = nullptr;
    QLabel* Label5 = nullptr;
    QListWidget* ListBox_7208MbSebesseg = nullptr;
    TLabeledEdit* LabeledEdit_7208MbKeszulekcim = nullptr;
    QCheckBox* CheckBox_7208MbRFelLe = nullptr;
    QCheckBox* CheckBox_7208MbRLezaro = nullptr;
    TLabeledEdit* LabeledEdit_7208MbIdokorlat = nullptr;
    TLabeledEdit* LabeledEdit_7208MbValaszKeslIdo = nullptr;
    TColorLabel* Label_7208ParameterAdatforras = nullptr;
    QPushButton* Button_GyariElsoInicB = nullptr;

private:
    QGroupBox* BuildInputGroup(int k);
    QGroupBox* BuildModbusGroup();
    // The caption a setting's message names: its radio group's title or its edit's label.
    QString CaptionOf(device::FieldRef field) const;

    WindowServices m_services;
    bool m_narrow;
};

} // namespace zeph::app
