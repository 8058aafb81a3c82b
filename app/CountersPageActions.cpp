// SPDX-License-Identifier: MIT
// The counters page's buttons: a refresh, the continuous refresh and its pace, clearing the latched error
// flags, selecting and presetting counters, and recording the reports to a counter log.
#include "app/CountersPage.h"

#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TSpeedButton.h"
#include "counters/CounterPreset.h"
#include "session/CounterPoller.h"
#include "session/DeviceSession.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

namespace zeph::app {

QString CountersPage::CounterLogFailureText(const QString& path, const QString& error) {
    return tr("The counter log cannot be written.") + QStringLiteral("\n\r") + path + QStringLiteral(": ") +
           error;
}

void CountersPage::ConnectHandlers() {
    connect(Button_7208ImpulzusKiolvasas, &QPushButton::clicked, this,
            &CountersPage::Button_7208ImpulzusKiolvasasClick);
    connect(SpeedButton_7208FolymatosKiolvasas, &QPushButton::toggled, this,
            &CountersPage::ScheduleContinuousRefresh);
    connect(CheckBox_Gyors, &QCheckBox::toggled, this, &CountersPage::ScheduleContinuousRefresh);
    connect(Button_7208HibabitTorles, &QPushButton::clicked, this,
            &CountersPage::Button_7208HibabitTorlesClick);
    connect(Button_7208ImpulzusertekBeiras, &QPushButton::clicked, this,
            &CountersPage::Button_7208ImpulzusertekBeirasClick);
    connect(Button_GyariElsoInic, &QPushButton::clicked, this,
            [this] { m_services.session->FirstInitialization(); });
    for (int k = 0; k < 8; ++k) {
        QTimer* timer = Timer_ZT7208Imp[k];
        connect(timer, &QTimer::timeout, this, [this, timer] { Timer_ZT7208Imp1Timer(timer); });
        TSpeedButton* select = SpeedButton_7208ErtekBeiras[k];
        connect(select, &TSpeedButton::clicked, this,
                [this, select] { SpeedButton_7208ErtekBeiras1Click(select); });
        TLabeledEdit* value = LabeledEdit_7208Ertek[k];
        connect(value, &TLabeledEdit::DoubleClicked, this,
                [this, value] { LabeledEdit_7208Ertek1DblClick(value); });
    }
    connect(SpeedButton_RecordCounters, &TSpeedButton::clicked, this,
            &CountersPage::SpeedButton_RecordCountersClick);
    // However it is released (by hand, by closing the port, by a failed write), the file is closed.
    connect(SpeedButton_RecordCounters, &QPushButton::toggled, this, [this](bool down) {
        if (down) return;
        m_counterLog.Stop();
        emit CounterLogText({});
        SpeedButton_RecordCounters->setToolTip(tr("Writes every counter report shown into a CSV file"));
    });
    // Rates never span two openings: the device at the other end may not be the same one.
    connect(m_services.session, &session::DeviceSession::PortOpened, this, [this] { m_rates.Clear(); });
}

void CountersPage::SetShown(bool shown) {
    m_shown = shown;
    ScheduleContinuousRefresh();
}

void CountersPage::ReleaseContinuousRefresh() {
    SpeedButton_7208FolymatosKiolvasas->SetDown(false);
}

void CountersPage::Button_7208ImpulzusKiolvasasClick() {
    // A read never interrupts another operation; a failure just reported does not block it.
    m_services.session->RefreshCounters();
}

// The poller reads only while the toggle is down and the page is shown; showing the settings page pauses
// it without releasing the toggle. By default a read begins no sooner than 200 ms after the previous one
// began, the pace the original's timers gave and a device was built for; "Fast" reads back to back, as
// close behind the device's last answer as the line allows.
void CountersPage::ScheduleContinuousRefresh() {
    if (!SpeedButton_7208FolymatosKiolvasas->Down() || !m_shown) {
        m_poller->Stop();
        return;
    }
    m_poller->SetPace(CheckBox_Gyors->isChecked() ? session::CounterPoller::Pace::BackToBack()
                                                  : session::CounterPoller::Pace::DeviceDefault());
    m_poller->Start();
}

void CountersPage::Button_7208HibabitTorlesClick() {
    // Released even when the clear cannot start, so the refresh does not take over the next idle tick.
    SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    m_services.session->ClearErrors();
}

void CountersPage::SpeedButton_7208ErtekBeiras1Click(QObject* sender) {
    ApplyCounterSelection(sender);
    bool anyDown = false;
    for (TSpeedButton* button : SpeedButton_7208ErtekBeiras)
        anyDown = anyDown || button->Down();
    Button_7208ImpulzusertekBeiras->setEnabled(anyDown);
}

void CountersPage::ApplyCounterSelection(QObject* sender) {
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

bool CountersPage::CheckNumberInRange(TLabeledEdit* edit) {
    const device::NumberCheckResult result =
        counters::CheckPresetValue(edit->text(), QLocale(), edit->EditLabel()->text());
    if (result.passed) {
        edit->setText(result.editText);
        return true;
    }
    m_services.showMessage(MessageKind::Error, result.message);
    edit->setText(result.editText);
    edit->setFocus();
    return false;
}

void CountersPage::LabeledEdit_7208Ertek1DblClick(QObject* sender) {
    // A selected counter's field is frozen: its value has been checked and waits to be sent.
    auto* edit = qobject_cast<TLabeledEdit*>(sender);
    if (edit && edit->isEnabled()) edit->setText(QStringLiteral("0"));
}

void CountersPage::Button_7208ImpulzusertekBeirasClick() {
    SpeedButton_7208FolymatosKiolvasas->SetDown(false);
    m_services.session->PresetCounters([this] { return TakeCounterSelection(); });
}

device::PresetSelection CountersPage::TakeCounterSelection() {
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

void CountersPage::SpeedButton_RecordCountersClick() {
    if (!SpeedButton_RecordCounters->Down()) return; // the toggled handler has closed the file
    const QString path = AskForFile(m_services.dialogs(), FileDialogKind::Save,
                                    {tr("Record counters"), tr("CSV files (*.csv)"), QStringLiteral("csv")},
                                    &m_services.memory->counterLogFolder);
    if (path.isEmpty()) {
        SpeedButton_RecordCounters->SetDown(false);
        return;
    }
    QString error;
    if (!m_counterLog.Start(path, &error)) {
        SpeedButton_RecordCounters->SetDown(false);
        m_services.showMessage(MessageKind::Error, CounterLogFailureText(path, error));
        return;
    }
    SpeedButton_RecordCounters->setToolTip(tr("Recording to %1").arg(path));
    emit CounterLogText(tr("Recording counters to %1").arg(QFileInfo(path).fileName()));
}

} // namespace zeph::app
