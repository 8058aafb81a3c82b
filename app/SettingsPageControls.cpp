// SPDX-License-Identifier: MIT
// Reading and filling the settings page's controls, one setting each, found by their object names.
#include "app/SettingsPageControls.h"

#include "app/widgets/ListBoxIndex.h"
#include "app/widgets/TRadioGroup.h"
#include "session/SettingsFileMapping.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

namespace zeph::app {

namespace {

// Each setting's control, found by its object name, which is also the setting's key in the settings file.
template <typename Visit> void ForEachControl(const QWidget* root, Visit visit) {
    for (const device::FieldRef field : device::AllSettingsFields()) {
        const QString name = session::FileKey(field);
        QWidget* control = root->findChild<QWidget*>(name);
        Q_ASSERT_X(control, "settings page", qPrintable(name));
        if (control) visit(field, control);
    }
}

} // namespace

device::SettingsPageState ReadSettingsPage(const QWidget* root) {
    device::SettingsPageState page;
    ForEachControl(root, [&page](device::FieldRef field, QWidget* control) {
        if (auto* group = qobject_cast<TRadioGroup*>(control))
            *device::ChoiceField(page, field) = group->ItemIndex();
        else if (auto* list = qobject_cast<QListWidget*>(control))
            *device::ChoiceField(page, field) = ListItemIndex(list);
        else if (auto* check = qobject_cast<QCheckBox*>(control))
            *device::SwitchField(page, field) = check->isChecked();
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            *device::NumberField(page, field) = edit->text();
    });
    return page;
}

void ShowSettingsPage(QWidget* root, const device::SettingsPageState& page) {
    device::SettingsPageState copy = page;
    ForEachControl(root, [&copy](device::FieldRef field, QWidget* control) {
        if (auto* group = qobject_cast<TRadioGroup*>(control))
            group->SetItemIndex(*device::ChoiceField(copy, field));
        else if (auto* list = qobject_cast<QListWidget*>(control))
            SetListItemIndex(list, *device::ChoiceField(copy, field));
        else if (auto* check = qobject_cast<QCheckBox*>(control))
            check->setChecked(*device::SwitchField(copy, field));
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(*device::NumberField(copy, field));
    });
}

void ShowSettingsEditTexts(QWidget* root, const device::SettingsPageState& page) {
    device::SettingsPageState copy = page;
    ForEachControl(root, [&copy](device::FieldRef field, QWidget* control) {
        auto* edit = qobject_cast<QLineEdit*>(control);
        const QString* text = device::NumberField(copy, field);
        if (edit && text && edit->text() != *text) edit->setText(*text);
    });
}

} // namespace zeph::app
