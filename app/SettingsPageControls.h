// SPDX-License-Identifier: MIT
// The settings page's controls as the plain page state, found by their object names, so the window
// and its tests read and fill the page the same way.
#pragma once

#include "device/SettingsBlock.h"

class QWidget;

namespace zeph::app {

device::SettingsPageState ReadSettingsPage(const QWidget* root);

// Fills every control of the page.
void ShowSettingsPage(QWidget* root, const device::SettingsPageState& page);

// Sets the edits whose text differs from the page's, and leaves every other control alone.
void ShowSettingsEditTexts(QWidget* root, const device::SettingsPageState& page);

} // namespace zeph::app
