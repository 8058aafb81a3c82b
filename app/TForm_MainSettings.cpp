// SPDX-License-Identifier: MIT
// The settings page: the device buttons, the settings read from the device shown in the controls, and
// the validation of the controls before a write or a save.
#include "app/TForm_Main.h"

#include "app/SettingsPageControls.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TRadioGroup.h"
#include "device/SettingsValidation.h"
#include "session/DeviceSession.h"

#include <QLabel>
#include <QLocale>

namespace zeph::app {

namespace {
const QColor SignalRed(255, 0, 0);
} // namespace

void TForm_Main::Button_ZT7208AktBeallKiolvasasClick() {
    // Unconditional: an operation waiting for its answer is abandoned for the read.
    m_session->ReadSettings();
}

void TForm_Main::Button_ZT7208GyariBeallClick() {
    m_session->ReadFactoryDefaults();
}

void TForm_Main::Button_ZT7208LetoltesClick() {
    if (!ValidateSettings()) return;
    // The block is built from the controls as they are when the request goes out.
    m_session->WriteSettings(
        [this] { return device::EncodeSettingsBlock(ReadSettingsPage(this), QLocale()); });
}

void TForm_Main::Button_GyariElsoInicClick() {
    m_session->FirstInitialization();
}

void TForm_Main::ShowSettingsBlock(const device::SettingsAnswer& answer) {
    ShowSettingsPage(this, answer.page);
    // A factory-defaults read carries no data source: the labels keep what they show.
    if (answer.dataSource) ShowDataSource(*answer.dataSource);
}

void TForm_Main::ShowDataSource(unsigned code) {
    const device::DataSourceDisplay shown = device::DataSourceFor(code);
    if (!shown.changes) return;
    const QColor background = shown.red ? SignalRed : ButtonFace();
    for (TColorLabel* label : {Label_7208ParameterAdatforras, Label_7208Adatforras}) {
        label->setText(shown.text);
        label->SetColor(background);
    }
}

QString TForm_Main::CaptionOf(const QString& control) const {
    if (const auto* group = findChild<const TRadioGroup*>(control)) return group->title();
    if (const auto* edit = findChild<const TLabeledEdit*>(control)) return edit->EditLabel()->text();
    return device::EnglishCaption(control);
}

bool TForm_Main::ValidateSettings() {
    device::SettingsPageState page = ReadSettingsPage(this);
    const std::optional<device::ValidationFailure> failure = device::ValidateSettings(
        page, QLocale(), [this](const QString& control) { return CaptionOf(control); });
    // Every edit that passed is now in plain integer form.
    ShowSettingsEditTexts(this, page);
    if (!failure) return true;
    ShowMessage(MessageKind::Error, failure->message);
    auto* control = findChild<QWidget*>(failure->control);
    if (auto* edit = qobject_cast<TLabeledEdit*>(control); edit && failure->editText)
        edit->setText(*failure->editText);
    if (control) control->setFocus();
    return false;
}

} // namespace zeph::app
