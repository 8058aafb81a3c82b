// SPDX-License-Identifier: MIT
// The counters page: the counter/status report, the refreshes, clearing and presetting counters.
#include "app/TForm_Main.h"

#include "app/AccessibleNames.h"
#include "app/widgets/ChangedOnly.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TSpeedButton.h"
#include "counters/CounterPreset.h"
#include "counters/CounterText.h"
#include "device/DevicePayloads.h"
#include "session/CounterPoller.h"
#include "session/DeviceSession.h"

#include <QCheckBox>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <array>
#include <optional>

namespace zeph::app {

namespace {
const QColor ActivityOrange(254, 101, 35);
const QColor FlagRed(255, 0, 0);
constexpr int HighlightMs = 500;

// Values of seven digits and more get a smaller font to stay inside their label.
int CounterFontPointSize(quint32 value) {
    return value >= 1000000 ? 8 : 12;
}

// A set error flag is red with white text; a clear one looks like the rest of the window. A screen
// reader hears the state in words.
void ShowErrorFlag(TColorLabel* label, bool set) {
    label->SetColor(set ? FlagRed : ButtonFace());
    label->SetFontColor(set ? QColor(Qt::white) : WindowText());
    SetDescriptionIfChanged(label, FlagStateText(set));
}

// Input flags also grey out while clear, so only the inputs at fault stand out in a row.
void ShowInputFlag(TColorLabel* label, bool set) {
    ShowErrorFlag(label, set);
    label->setEnabled(set);
}

void ShowFlagRow(const std::array<TColorLabel*, 8>& labels, std::uint8_t flags) {
    for (int k = 0; k < 8; ++k)
        ShowInputFlag(labels[k], device::InputFlag(flags, k));
}
} // namespace

void TForm_Main::ShowCounterStatus(const device::CounterStatusReport& report) {
    // Every report that flags an input starts a fresh highlight period; the others leave it running out.
    for (int k = 0; k < 8; ++k) {
        if (!device::InputFlag(report.activity, k)) continue;
        Label_7208IN[k]->SetColor(ActivityOrange);
        SetDescriptionIfChanged(Label_7208IN[k], ActivityText(true));
        Timer_ZT7208Imp[k]->stop();
        Timer_ZT7208Imp[k]->setInterval(HighlightMs);
        Timer_ZT7208Imp[k]->start();
    }

    ShowFlagRow(Label_7208Szakadas, report.namurOpen);
    ShowFlagRow(Label_7208Zarlat, report.namurShort);
    ShowFlagRow(Label_7208TimeOut, report.timeLimit);
    ShowFlagRow(Label_7208Overflow, report.overflow);

    for (int k = 0; k < 8; ++k) {
        const quint32 count = report.counters[k];
        Label_7208Szamlalo[k]->setText(counters::FormatCounterValue(count));
        Label_7208Szamlalo[k]->SetFontSize(CounterFontPointSize(count));
        const quint32 interval = report.intervals[k];
        Label_7208Ido[k]->setText(counters::IntervalText(interval));
        Label_7208Ido[k]->SetFontSize(CounterFontPointSize(interval));
    }

    const std::uint8_t current = report.currentErrors;
    ShowErrorFlag(Label_7208AltHibaBit[0], current & 0x01);
    ShowErrorFlag(Label_7208AltHibaBit[1], current & 0x02);
    const bool offerFirstInitialization = device::NeedsFirstInitialization(current);
    Button_GyariElsoInic->setVisible(offerFirstInitialization);
    Button_GyariElsoInicB->setVisible(offerFirstInitialization);
    for (int bit = 2; bit < 8; ++bit)
        ShowErrorFlag(Label_7208AltHibaBit[bit], (current >> bit) & 1);

    for (int bit = 0; bit < 8; ++bit)
        ShowErrorFlag(Label_7208MegorzodoAltHibaBit[bit], (report.latchedErrors >> bit) & 1);

    ShowDataSource(report.dataSource);
    // The readings are named for screen readers once the rates beside them are shown too
    // (TakeCounterReport).
}

device::PresetSelection TForm_Main::TakeCounterSelection() {
    // The mask comes from the buttons as they are now, before any of them is released below.
    std::array<bool, 8> wasDown{};
    for (int k = 0; k < 8; ++k)
        wasDown[k] = SpeedButton_7208ErtekBeiras[k]->Down();

    device::PresetSelection selected{};
    for (int k = 0; k < 8; ++k) {
        if (!wasDown[k]) continue;
        // The field was checked when it was selected and has been frozen since.
        selected[k] = counters::PresetValue(LabeledEdit_7208Ertek[k]->text(), QLocale());
        SpeedButton_7208ErtekBeiras[k]->SetDown(false);
        SpeedButton_7208ErtekBeiras1Click(SpeedButton_7208ErtekBeiras[k]);
    }
    return selected;
}

void TForm_Main::ReleaseContinuousRefresh() {
    SpeedButton_7208FolymatosKiolvasas->SetDown(false);
}

void TForm_Main::Button_7208ImpulzusKiolvasasClick() {
    // A read never interrupts another operation; a failure just reported does not block it.
    m_session->RefreshCounters();
}

// The poller reads only while the toggle is down and the counters page is shown; showing the settings page
// pauses it without releasing the toggle. By default a read begins no sooner than 200 ms after the
// previous one began, the pace the original's timers gave and a device was built for; "Fast" reads back to
// back, as close behind the device's last answer as the line allows.
void TForm_Main::ScheduleContinuousRefresh() {
    const bool wanted = SpeedButton_7208FolymatosKiolvasas->Down() &&
                        PageControl_ZT7208->currentWidget() == TabSheet_Impulzusok;
    if (!wanted) {
        m_poller->Stop();
        return;
    }
    m_poller->SetPace(CheckBox_Gyors->isChecked() ? session::CounterPoller::Pace::BackToBack()
                                                  : session::CounterPoller::Pace::DeviceDefault());
    m_poller->Start();
}

void TForm_Main::Button_7208HibabitTorlesClick() {
    // Released even when the clear cannot start, so the refresh does not take over the next idle tick.
    SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    m_session->ClearErrors();
}

void TForm_Main::Timer_ZT7208Imp1Timer(QObject* sender) {
    auto* timer = qobject_cast<QTimer*>(sender);
    if (!timer) return;
    for (int k = 0; k < 8; ++k)
        if (timer->objectName() == QStringLiteral("Timer_ZT7208Imp%1").arg(k + 1)) {
            Label_7208IN[k]->SetColor(ButtonFace());
            SetDescriptionIfChanged(Label_7208IN[k], ActivityText(false));
        }
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
        TLabeledEdit* field = LabeledEdit_7208Ertek[k];
        if (!SpeedButton_7208ErtekBeiras[k]->Down()) {
            field->setEnabled(true);
            return;
        }
        // The field is frozen from the check on, so the value sent is the value that passed.
        if (CheckNumberInRange(field))
            field->setEnabled(false);
        else
            SpeedButton_7208ErtekBeiras[k]->SetDown(false);
        return;
    }
}

bool TForm_Main::CheckNumberInRange(TLabeledEdit* edit) {
    const device::NumberCheckResult result =
        counters::CheckPresetValue(edit->text(), QLocale(), edit->EditLabel()->text());
    if (result.passed) {
        edit->setText(result.editText);
        return true;
    }
    ShowMessage(MessageKind::Error, result.message);
    edit->setText(result.editText);
    edit->setFocus();
    return false;
}

void TForm_Main::LabeledEdit_7208Ertek1DblClick(QObject* sender) {
    // A selected counter's field is frozen: its value has been checked and waits to be sent.
    auto* edit = qobject_cast<TLabeledEdit*>(sender);
    if (edit && edit->isEnabled()) edit->setText(QStringLiteral("0"));
}

void TForm_Main::Button_7208ImpulzusertekBeirasClick() {
    SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    m_session->PresetCounters([this] { return TakeCounterSelection(); });
}

} // namespace zeph::app
