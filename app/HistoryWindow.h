// SPDX-License-Identifier: MIT
// The history window: the pulse rate and the counter of the inputs chosen, over time, from the readings
// of the continuous refresh (kept for 24 hours, also while the window is closed) or from a recorded
// counter log opened without a device. Zoom and pan by mouse and keyboard, the last 5 minutes, hour, day
// or all, following the newest readings unless the user looks back; the plots as PNG or SVG and the
// visible range as CSV; a summary per input that screen readers reach.
#pragma once

#include "app/UserDialogs.h"
#include "counters/ReportClock.h"
#include "history/LiveHistory.h"
#include "history/LogHistory.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QProgressDialog;
class QPushButton;
class QTableWidget;
class QTimer;

namespace zeph::device {
struct OperationResult;
}
namespace zeph::history {
class LogLoader;
}
namespace zeph::session {
class DeviceSession;
}

namespace zeph::app {

class HistoryPlot;

class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    using DialogsSource = std::function<UserDialogs&()>;

    HistoryWindow(session::DeviceSession& session, DialogsSource dialogs, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    void ShowAndRaise();
    history::LiveHistory& Live() { return m_live; }
    // Opens a log as "Open counter log…" does once the file is chosen.
    void OpenLog(const QString& path);
    // The range shown, ms since the epoch.
    qint64 FromMs() const { return m_fromMs; }
    qint64 ToMs() const { return m_toMs; }
    // Draws what is shown now (the redraw timer does so once a second while following).
    void Redraw();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildWidgets();
    void SetUpKeyboardAndNames();
    void TakeResult(const device::OperationResult& result);
    void ShowLast(qint64 spanMs); // 0: all
    void Zoom(double factor, double anchor);
    void Pan(double fraction);
    void SetFollowing(bool follow);
    void FollowNewest();
    void ShowLive();
    void AskForLog();
    void LogOpened(std::shared_ptr<history::LogHistory> log, const QString& error, const QString& note,
                   bool stoppedEarly);
    void ExportPicture(bool svg);
    void ExportCsv();
    void ShowSummary();
    const history::HistorySource& Source() const;
    bool ShowingLive() const { return !m_log; }
    std::array<bool, history::InputCount> ShownInputs() const;

    DialogsSource m_dialogs;
    history::LiveHistory m_live;
    std::shared_ptr<history::LogHistory> m_log; // while a log is shown
    history::LogLoader* m_loader = nullptr;
    counters::ReportClock m_clock;
    history::HistoryView m_view;
    qint64 m_fromMs = 0;
    qint64 m_toMs = 0;
    qint64 m_spanMs = 5 * 60 * 1000; // of the range while following
    bool m_liveChanged = false;
    QString m_folder;  // of the last file chosen
    QString m_logNote; // what was left out of the log shown

    QPushButton* Button_HistoryOpenLog = nullptr;
    QPushButton* Button_HistoryLive = nullptr;
    QPushButton* Button_HistoryLast5Minutes = nullptr;
    QPushButton* Button_HistoryLastHour = nullptr;
    QPushButton* Button_HistoryLastDay = nullptr;
    QPushButton* Button_HistoryAll = nullptr;
    QCheckBox* CheckBox_HistoryFollow = nullptr;
    QPushButton* Button_HistoryExportPng = nullptr;
    QPushButton* Button_HistoryExportSvg = nullptr;
    QPushButton* Button_HistoryExportCsv = nullptr;
    std::array<QCheckBox*, history::InputCount> CheckBox_HistoryInput{};
    QWidget* m_plots = nullptr;
    HistoryPlot* Plot_HistoryRate = nullptr;
    HistoryPlot* Plot_HistoryCounter = nullptr;
    QTableWidget* Table_HistorySummary = nullptr;
    QLabel* Label_HistorySource = nullptr;
    QProgressDialog* m_progress = nullptr;
    QTimer* Timer_HistoryRedraw = nullptr;
};

} // namespace zeph::app
