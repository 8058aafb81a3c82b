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
#include "session/SettingsFileMapping.h"

#include <QCoreApplication>
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

// The two data-source labels: where the device took its settings from, or in red that they failed; a
// code that says nothing leaves them as they are.
void TForm_Main::ShowDataSource(unsigned code) {
    const device::DataSource source = device::DataSourceOf(code);
    const QString prefix = QCoreApplication::translate("Device", "Data source at startup: ");
    QString text;
    bool failed = false;
    switch (source.kind) {
    case device::DataSource::Kind::Ram:
        text = prefix + QStringLiteral("RAM%1").arg(source.copy);
        break;
    case device::DataSource::Kind::Eeprom:
        text = prefix + QStringLiteral("EEPROM%1").arg(source.copy);
        break;
    case device::DataSource::Kind::SettingsFailed:
        text = QCoreApplication::translate("Device", "The settings failed.");
        failed = true;
        break;
    case device::DataSource::Kind::EepromError:
        text = QCoreApplication::translate("Device", "EEPROM error.");
        failed = true;
        break;
    case device::DataSource::Kind::Unknown:
        return;
    }
    for (TColorLabel* label : {Label_7208ParameterAdatforras, Label_7208Adatforras}) {
        label->setText(text);
        label->SetColor(failed ? SignalRed : ButtonFace());
    }
}

QString TForm_Main::CaptionOf(device::FieldRef field) const {
    const QString control = session::FileKey(field);
    if (const auto* group = findChild<const TRadioGroup*>(control)) return group->title();
    if (const auto* edit = findChild<const TLabeledEdit*>(control)) return edit->EditLabel()->text();
    return session::EnglishCaption(field);
}

bool TForm_Main::ValidateSettings() {
    device::SettingsPageState page = ReadSettingsPage(this);
    const std::optional<device::ValidationFailure> failure = device::ValidateSettings(
        page, QLocale(), [this](device::FieldRef field) { return CaptionOf(field); });
    // Every edit that passed is now in plain integer form.
    ShowSettingsEditTexts(this, page);
    if (!failure) return true;
    ShowMessage(MessageKind::Error, failure->message);
    auto* control = findChild<QWidget*>(session::FileKey(failure->field));
    if (auto* edit = qobject_cast<TLabeledEdit*>(control); edit && failure->editText)
        edit->setText(*failure->editText);
    if (control) control->setFocus();
    return false;
}

} // namespace zeph::app
