// SPDX-License-Identifier: MIT
// The counters page (the tab page TabSheet_Impulzusok): a row per input with its counter, rate, interval,
// flags and preset field, the NAMUR flags, the current and latched error flags, and the buttons that
// refresh, record, clear and preset. It shows each counter/status report, keeps the rates and the counter
// log, polls while the continuous refresh is down and the page is shown, and sums each input up for
// screen readers.
#pragma once

#include "app/CounterLog.h"
#include "app/WindowServices.h"
#include "counters/CounterRateWindow.h"
#include "counters/ReportClock.h"
#include "device/DevicePayloads.h"

#include <QElapsedTimer>
#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;
class QVBoxLayout;

namespace zeph::device {
struct CounterStatusReport;
}
namespace zeph::session {
class CounterPoller;
}

namespace zeph::app {

class TColorLabel;
class TLabeledEdit;
class TSpeedButton;

class CountersPage : public QWidget {
    Q_OBJECT
public:
    // Narrow: the preset fields under the rows and the buttons and error flags under the NAMUR flags, so
    // that the page fits beside the right-hand panel on a screen 1024 pixels wide.
    CountersPage(const WindowServices& services, bool narrow, QWidget* parent = nullptr);

    // Whether the page is the one shown: the continuous refresh reads only then.
    void SetShown(bool shown);
    // A report as the page shows it: activity, flags, counters and intervals, error flags. Its rates and
    // the counter log follow with TakeCounterReport once the rest of the window has shown it too.
    void ShowCounterStatus(const device::CounterStatusReport& report);
    void TakeCounterReport(const device::CounterStatusReport& report);
    // Greys the readings under a banner saying why; empty why: the readings are current again.
    void MarkReadingsStale(const QString& why);
    void ReleaseContinuousRefresh();
    // The accessible names of the readings, and each input's summary, from the texts they show.
    void NameReadings();
    void NameInputSummaries();
    // The controls in the order the Tab key visits them.
    QList<QWidget*> TabOrder() const;

    // Families are indexed by input number - 1, error bits by bit number.
    QGroupBox* GroupBox25 = nullptr;
    std::array<TColorLabel*, 8> Label_7208IN{};
    std::array<TColorLabel*, 8> Label_7208Szamlalo{};
    std::array<QLabel*, 8> Label_CounterRate{}; // our own: pulses per second
    std::array<TColorLabel*, 8> Label_7208Overflow{};
    std::array<TColorLabel*, 8> Label_7208Ido{};
    std::array<TColorLabel*, 8> Label_7208TimeOut{};
    std::array<TLabeledEdit*, 8> LabeledEdit_7208Ertek{};
    std::array<TSpeedButton*, 8> SpeedButton_7208ErtekBeiras{};
    QPushButton* Button_7208ImpulzusertekBeiras = nullptr;
    QGroupBox* GroupBox23 = nullptr;
    std::array<TColorLabel*, 8> Label_7208Szakadas{};
    std::array<TColorLabel*, 8> Label_7208Zarlat{};
    QGroupBox* GroupBox26 = nullptr;
    std::array<TColorLabel*, 8> Label_7208AltHibaBit{};
    QGroupBox* GroupBox27 = nullptr;
    std::array<TColorLabel*, 8> Label_7208MegorzodoAltHibaBit{};
    QPushButton* Button_7208HibabitTorles = nullptr;
    TColorLabel* Label_7208Adatforras = nullptr;
    QPushButton* Button_7208ImpulzusKiolvasas = nullptr;
    TSpeedButton* SpeedButton_7208FolymatosKiolvasas = nullptr;
    QCheckBox* CheckBox_Gyors = nullptr;                // our own: "Fast", the refresh back to back
    TSpeedButton* SpeedButton_RecordCounters = nullptr; // our own: the counter log
    QPushButton* Button_History = nullptr;              // our own: the history window
    QPushButton* Button_GyariElsoInic = nullptr;
    QLabel* Label_StaleReadings = nullptr; // our own: made the first time the readings go stale
    std::array<QTimer*, 8> Timer_ZT7208Imp{};
    QTimer* Timer_InputSummaries = nullptr;

signals:
    // The status bar's word on the counter log; empty while nothing is recorded.
    void CounterLogText(const QString& text);

private:
    // ---- layout (CountersPage.cpp)
    QGroupBox* BuildCounterRows();
    QLabel* MakeInputRow(int k);
    QGroupBox* BuildNamurFlags();
    void BuildErrorFlags();
    QVBoxLayout* BuildActions();
    void PlaceGroups(QVBoxLayout* rows, QVBoxLayout* actions);

    // ---- the buttons and the continuous refresh (CountersPageActions.cpp)
    void ConnectHandlers();
    void Button_7208ImpulzusKiolvasasClick();
    // Polls the counters while the toggle is down and the page shown, at the pace "Fast" asks.
    void ScheduleContinuousRefresh();
    void Button_7208HibabitTorlesClick();
    void Timer_ZT7208Imp1Timer(QObject* sender);
    void SpeedButton_7208ErtekBeiras1Click(QObject* sender);
    void ApplyCounterSelection(QObject* sender);
    bool CheckNumberInRange(TLabeledEdit* edit);
    void LabeledEdit_7208Ertek1DblClick(QObject* sender);
    void Button_7208ImpulzusertekBeirasClick();
    // The selected counters with their values, as the preset request sends them; releases the selection.
    device::PresetSelection TakeCounterSelection();
    void SpeedButton_RecordCountersClick();
    // One box for a log that could not be started or went on failing: the file and the system's reason.
    static QString CounterLogFailureText(const QString& path, const QString& error);

    // ---- screen readers (CountersPageReadings.cpp)
    void SetUpInputSummaries();
    // Each input's summary (the name of its "INn" label), at most once a second.
    void ScheduleInputSummaries();
    QString InputSummaryOf(int k) const;

    WindowServices m_services;
    bool m_narrow;
    bool m_shown = false;
    session::CounterPoller* m_poller = nullptr; // owns Timer_FolyamatosKiolvasas
    CounterLog m_counterLog;
    counters::CounterRateWindow m_rates;
    counters::ReportClock m_reportClock;
    QElapsedTimer m_summariesNamed;
};

} // namespace zeph::app
