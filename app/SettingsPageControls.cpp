// SPDX-License-Identifier: MIT
// Reading and filling the settings page's controls by their names, which are the settings file's keys.
#include "app/SettingsPageControls.h"

#include "app/widgets/ListBoxIndex.h"
#include "app/widgets/TRadioGroup.h"
#include "settingsfile/SettingsFile.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

namespace zeph::app {

namespace {

template <typename Visit> void ForEachControl(const QWidget* root, Visit visit) {
    for (const settingsfile::SettingsKey& key : settingsfile::SettingsKeys()) {
        QWidget* control = root->findChild<QWidget*>(key.name);
        Q_ASSERT_X(control, "settings page", qPrintable(key.name));
        if (control) visit(key.name, control);
    }
}

} // namespace

device::SettingsPageState ReadSettingsPage(const QWidget* root) {
    device::SettingsPageState page;
    ForEachControl(root, [&page](const QString& name, QWidget* control) {
        if (auto* group = qobject_cast<TRadioGroup*>(control))
            *device::ChoiceField(page, name) = group->ItemIndex();
        else if (auto* list = qobject_cast<QListWidget*>(control))
            *device::ChoiceField(page, name) = ListItemIndex(list);
        else if (auto* check = qobject_cast<QCheckBox*>(control))
            *device::CheckField(page, name) = check->isChecked();
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            *device::TextField(page, name) = edit->text();
    });
    return page;
}

void ShowSettingsPage(QWidget* root, const device::SettingsPageState& page) {
    device::SettingsPageState copy = page;
    ForEachControl(root, [&copy](const QString& name, QWidget* control) {
        if (auto* group = qobject_cast<TRadioGroup*>(control))
            group->SetItemIndex(*device::ChoiceField(copy, name));
        else if (auto* list = qobject_cast<QListWidget*>(control))
            SetListItemIndex(list, *device::ChoiceField(copy, name));
        else if (auto* check = qobject_cast<QCheckBox*>(control))
            check->setChecked(*device::CheckField(copy, name));
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(*device::TextField(copy, name));
    });
}

void ShowSettingsEditTexts(QWidget* root, const device::SettingsPageState& page) {
    device::SettingsPageState copy = page;
    ForEachControl(root, [&copy](const QString& name, QWidget* control) {
        auto* edit = qobject_cast<QLineEdit*>(control);
        const QString* text = device::TextField(copy, name);
        if (edit && text && edit->text() != *text) edit->setText(*text);
    });
}

} // namespace zeph::app
