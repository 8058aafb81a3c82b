// The settings page: reading the device settings into the controls, validating and writing them, and
// the mapping between the controls and the settings file's values.
#include "app/TForm_Main.h"

#include "app/widgets/ListBoxIndex.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TRadioGroup.h"
#include "device/NumberCheck.h"
#include "device/OperationMachine.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>

namespace zeph::app {

namespace {

const QColor SignalRed(255, 0, 0);

// Position of the data-source code in the answer to a current-settings read: after the status and the
// 47 block bytes.
constexpr int DataSourcePosition = 1 + device::SettingsBlockSize + 1;

} // namespace

void TForm_Main::Button_ZT7208AktBeallKiolvasasClick() {
    // Unconditional: an operation waiting for its answer is abandoned for the read.
    OperationStep() = device::StepReadSettings;
}

void TForm_Main::Button_ZT7208GyariBeallClick() {
    OperationStep() = device::StepReadFactoryDefaults;
}

void TForm_Main::Button_ZT7208LetoltesClick() {
    if (ValidateSettings()) OperationStep() = device::StepWriteSettings;
}

void TForm_Main::Button_GyariElsoInicClick() {
    if (OperationStep() <= device::StepIdle) SequenceStep() = device::SequenceFirstInit;
}

device::SettingsPageState TForm_Main::SettingsPage() const {
    device::SettingsPageState state;
    for (int k = 0; k < device::InputCount; ++k) {
        state.inputType[k] = RadioGroup_7208BemTip[k]->ItemIndex();
        state.countedEdge[k] = RadioGroup_7208BemEl[k]->ItemIndex();
        state.debounced[k] = CheckBox_7208PergMentesites[k]->isChecked();
        state.maxTimeText[k] = LabeledEdit_7208BemTimeOut[k]->text();
    }
    state.parity = RadioGroup_7208MbParitas->ItemIndex();
    state.baudRate = ListItemIndex(ListBox_7208MbSebesseg);
    state.addressText = LabeledEdit_7208MbKeszulekcim->text();
    state.rFelLe = CheckBox_7208MbRFelLe->isChecked();
    state.rLezaro = CheckBox_7208MbRLezaro->isChecked();
    state.commTimeoutText = LabeledEdit_7208MbIdokorlat->text();
    state.answerDelayText = LabeledEdit_7208MbValaszKeslIdo->text();
    return state;
}

void TForm_Main::SetSettingsPage(const device::SettingsPageState& state) {
    for (int k = 0; k < device::InputCount; ++k) {
        RadioGroup_7208BemTip[k]->SetItemIndex(state.inputType[k]);
        CheckBox_7208PergMentesites[k]->setChecked(state.debounced[k]);
        RadioGroup_7208BemEl[k]->SetItemIndex(state.countedEdge[k]);
        LabeledEdit_7208BemTimeOut[k]->setText(state.maxTimeText[k]);
    }
    RadioGroup_7208MbParitas->SetItemIndex(state.parity);
    SetListItemIndex(ListBox_7208MbSebesseg, state.baudRate);
    LabeledEdit_7208MbKeszulekcim->setText(state.addressText);
    CheckBox_7208MbRLezaro->setChecked(state.rLezaro);
    CheckBox_7208MbRFelLe->setChecked(state.rFelLe);
    LabeledEdit_7208MbIdokorlat->setText(state.commTimeoutText);
    LabeledEdit_7208MbValaszKeslIdo->setText(state.answerDelayText);
}

void TForm_Main::ShowSettingsBlock() {
    // The operation machine calls this only for a full answer: a status-only one never reaches here.
    const bool currentSettings = Machine->RequestCode == 1;
    device::SettingsBlock block{};
    for (int p = 1; p <= device::SettingsBlockSize; ++p)
        block[std::size_t(p - 1)] = Engine->ResponseData(p + 1);
    SetSettingsPage(device::DecodeSettingsBlock(block));
    if (currentSettings) ShowDataSource(Engine->ResponseData(DataSourcePosition));
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

bool TForm_Main::CheckRadioGroupChosen(TRadioGroup* group) {
    if (group->ItemIndex() >= 0) return true;
    ShowMessage(MessageKind::Error, device::UncheckedMessage(group->title()));
    group->setFocus();
    return false;
}

bool TForm_Main::CheckListBoxChosen(QListWidget* list, const QString& name) {
    if (ListItemIndex(list) >= 0) return true;
    ShowMessage(MessageKind::Error, device::UnselectedMessage(name));
    list->setFocus();
    return false;
}

bool TForm_Main::CheckNumberInRange(TLabeledEdit* edit, double minimum, double maximum) {
    const device::NumberCheckResult result =
        device::CheckNumber(edit->text(), minimum, maximum, QLocale(), edit->EditLabel()->text());
    if (result.passed) {
        edit->setText(result.editText);
        return true;
    }
    ShowMessage(MessageKind::Error, result.message);
    edit->setText(result.editText);
    edit->setFocus();
    return false;
}

bool TForm_Main::ValidateSettings() {
    for (TRadioGroup* group : RadioGroup_7208BemTip)
        if (!CheckRadioGroupChosen(group)) return false;
    for (TRadioGroup* group : RadioGroup_7208BemEl)
        if (!CheckRadioGroupChosen(group)) return false;
    if (!CheckRadioGroupChosen(RadioGroup_7208MbParitas)) return false;
    if (!CheckListBoxChosen(ListBox_7208MbSebesseg, QStringLiteral("Baud rate"))) return false;
    // The time-out limit stays below 2^32, so every accepted value fits the block's four bytes.
    for (TLabeledEdit* edit : LabeledEdit_7208BemTimeOut)
        if (!CheckNumberInRange(edit, 0, 3999999999.0)) return false;
    return CheckNumberInRange(LabeledEdit_7208MbKeszulekcim, 1, 247) &&
           CheckNumberInRange(LabeledEdit_7208MbIdokorlat, 0, 65535) &&
           CheckNumberInRange(LabeledEdit_7208MbValaszKeslIdo, 0, 255);
}

QString TForm_Main::BuildSettingsPayload() {
    return device::SettingsWritePayload(device::EncodeSettingsBlock(SettingsPage(), QLocale()));
}

settingsfile::SettingsValues TForm_Main::SettingsFileValues() const {
    settingsfile::SettingsValues values;
    for (const settingsfile::SettingsKey& key : settingsfile::SettingsKeys()) {
        settingsfile::ControlState state;
        QWidget* control = findChild<QWidget*>(key.name);
        Q_ASSERT_X(control, "SettingsFileValues", qPrintable(key.name));
        if (auto* group = qobject_cast<TRadioGroup*>(control))
            state.index = group->ItemIndex();
        else if (auto* list = qobject_cast<QListWidget*>(control))
            state.index = ListItemIndex(list);
        else if (auto* check = qobject_cast<QCheckBox*>(control))
            state.checked = check->isChecked();
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            state.text = edit->text();
        values.push_back(state);
    }
    return values;
}

void TForm_Main::ApplySettingsFileValues(const settingsfile::SettingsValues& values) {
    const auto& keys = settingsfile::SettingsKeys();
    const std::size_t count = std::min(keys.size(), values.size());
    for (std::size_t i = 0; i < count; ++i) {
        QWidget* control = findChild<QWidget*>(keys[i].name);
        Q_ASSERT_X(control, "ApplySettingsFileValues", qPrintable(keys[i].name));
        const settingsfile::ControlState& state = values[i];
        if (auto* group = qobject_cast<TRadioGroup*>(control))
            group->SetItemIndex(state.index);
        else if (auto* list = qobject_cast<QListWidget*>(control))
            SetListItemIndex(list, state.index);
        else if (auto* check = qobject_cast<QCheckBox*>(control))
            check->setChecked(state.checked);
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(state.text);
    }
}

} // namespace zeph::app
