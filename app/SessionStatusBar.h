// SPDX-License-Identifier: MIT
// The main window's status bar: the port with its line settings, the last operation with its result and
// time, the continuous refresh's reports per second with its retries and failures, and the counter log.
#pragma once

#include "device/OperationResult.h"

#include <QDateTime>
#include <QStatusBar>

#include <deque>
#include <functional>

class QLabel;

namespace zeph::session {
class DeviceSession;
}

namespace zeph::app {

class SessionStatusBar : public QStatusBar {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    // Reports per second are counted over this many of the latest reports.
    static constexpr std::size_t RateReports = 10;

    // Without a clock of its own, the bar reads the local time as counter reports are stamped.
    explicit SessionStatusBar(const session::DeviceSession& session, QWidget* parent = nullptr,
                              Clock clock = {});

    // The window says when its continuous refresh starts and stops: only the toggle knows.
    void SetContinuousRefresh(bool on);
    // The counter log's line; empty hides it.
    void SetCounterLogText(const QString& text);

private:
    void OperationFinished(const device::OperationResult& result);
    void ReportShown();
    void ShowRefresh();

    const session::DeviceSession& m_session;
    Clock m_clock;
    QLabel* Label_StatusPort;
    QLabel* Label_StatusOperation;
    QLabel* Label_StatusRefresh;
    QLabel* Label_StatusCounterLog;

    QDateTime m_operationStart;
    bool m_refreshing = false;
    bool m_countingRead = false; // the operation under way is a read the refresh started
    int m_reports = 0;
    int m_retries = 0;
    int m_failures = 0;
    std::deque<QDateTime> m_reportTimes; // the latest RateReports
};

} // namespace zeph::app
