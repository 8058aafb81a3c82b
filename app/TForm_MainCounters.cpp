// The counters page: the counter/status report, the refreshes, clearing and presetting counters.
#include "app/TForm_Main.h"

#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TSpeedButton.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace zeph::app {

void TForm_Main::ShowCounterStatus() {}
QString TForm_Main::BuildCounterPresetPayload() { return {}; }
void TForm_Main::ReleaseContinuousRefresh() { SpeedButton_7208FolymatosKiolvasas->SetDown(false); }

void TForm_Main::Button_7208ImpulzusKiolvasasClick() {}

void TForm_Main::Timer_FolyamatosKiolvasasTimer() {
    // Showing the settings page pauses the reads without releasing the toggle.
    if (PageControl_ZT7208->currentWidget() == TabSheet_Impulzusok &&
        SpeedButton_7208FolymatosKiolvasas->Down())
        Button_7208ImpulzusKiolvasasClick();
}

void TForm_Main::Button_7208HibabitTorlesClick() {
    SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    // Then, when the operation machine is idle, it starts the clear request.
}

void TForm_Main::Timer_ZT7208Imp1Timer(QObject* sender) {
    auto* timer = qobject_cast<QTimer*>(sender);
    if (!timer) return;
    for (int k = 0; k < 8; ++k)
        if (timer->objectName() == QStringLiteral("Timer_ZT7208Imp%1").arg(k + 1))
            Label_7208IN[k]->SetColor(ButtonFace());
    timer->stop();
}

void TForm_Main::SpeedButton_7208ErtekBeiras1Click(QObject* sender) {
    ApplyCounterSelection(sender);
    bool anyDown = false;
    for (TSpeedButton* button : SpeedButton_7208ErtekBeiras)
        anyDown = anyDown || button->Down();
    Button_7208ImpulzusertekBeiras->setEnabled(anyDown);
}

void TForm_Main::ApplyCounterSelection(QObject* sender) {
    for (int k = 0; k < 8; ++k) {
        if (sender->objectName() != QStringLiteral("SpeedButton_7208ErtekBeiras%1").arg(k + 1)) continue;
        if (!SpeedButton_7208ErtekBeiras[k]->Down()) LabeledEdit_7208Ertek[k]->setEnabled(true);
        // A selection is checked with CheckNumberInRange(field, 0, 3999999999) once the number
        // checks are wired in: a pass freezes the field, a refusal releases the button.
    }
}

void TForm_Main::LabeledEdit_7208Ertek1DblClick(QObject* sender) {
    if (auto* edit = qobject_cast<TLabeledEdit*>(sender)) edit->setText(QStringLiteral("0"));
}

void TForm_Main::Button_7208ImpulzusertekBeirasClick() {
    SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    // Then, when the operation machine is idle, it starts the preset request.
}

} // namespace zeph::app
