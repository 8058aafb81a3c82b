// The settings page: reading the device settings into the controls, validating and writing them.
#include "app/TForm_Main.h"

namespace zeph::app {

void TForm_Main::ShowSettingsBlock() {}
void TForm_Main::ShowDataSource(unsigned) {}
bool TForm_Main::CheckRadioGroupChosen(TRadioGroup*) { return false; }
bool TForm_Main::CheckListBoxChosen(QListWidget*, const QString&) { return false; }
bool TForm_Main::CheckNumberInRange(TLabeledEdit*, double, double) { return false; }
bool TForm_Main::ValidateSettings() { return false; }
QString TForm_Main::BuildSettingsPayload() { return {}; }
device::SettingsPageState TForm_Main::SettingsPage() const { return {}; }
void TForm_Main::SetSettingsPage(const device::SettingsPageState&) {}
settingsfile::SettingsValues TForm_Main::SettingsFileValues() const { return {}; }
void TForm_Main::ApplySettingsFileValues(const settingsfile::SettingsValues&) {}

void TForm_Main::Button_ZT7208GyariBeallClick() {}
void TForm_Main::Button_ZT7208AktBeallKiolvasasClick() {}
void TForm_Main::Button_ZT7208LetoltesClick() {}
void TForm_Main::Button_GyariElsoInicClick() {}

void TForm_Main::Button_FileMegnyitasClick() {}
void TForm_Main::Button_FileMentesClick() {}

} // namespace zeph::app
