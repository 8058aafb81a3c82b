// SPDX-License-Identifier: MIT
// The main window's status bar, fed by the device session's signals.
#include "app/SessionStatusBar.h"

#include "app/widgets/ElidingLabel.h"
#include "app/widgets/MakeNamed.h"
#include "app/widgets/SteadyLabelHolder.h"
#include "counters/ReportClock.h"
#include "session/DeviceSession.h"

#include <QCoreApplication>
#include <QLabel>
#include <QStringList>

#include <algorithm>

namespace zeph::app {

namespace {

QString Counted(int n, const QString& one, const QString& many) {
    return (n == 1 ? one : many).arg(n);
}

// Long texts shorten on a narrow window instead of widening it past a small screen.
QLabel* MakeLabel(const char* name, QWidget* parent) {
    auto* label = MakeNamed<ElidingLabel>(name, parent);
    label->setContentsMargins(4, 0, 16, 0); // the texts would otherwise run into each other
    return label;
}

// A text that changes with every report stands in a holder, so that it never lays the window out again,
// and paints its own background, so that the status bar behind it is not drawn again with it.
QLabel* MakeSteadyLabel(const char* name, QWidget* parent) {
    auto* holder = new SteadyLabelHolder(parent);
    holder->setObjectName(QLatin1String(name) + QStringLiteral("_Holder"));
    ElidingLabel* label = holder->Label();
    label->setObjectName(QLatin1String(name));
    label->setContentsMargins(4, 0, 16, 0);
    label->setAutoFillBackground(true);
    return label;
}

} // namespace

SessionStatusBar::SessionStatusBar(const session::DeviceSession& session, QWidget* parent, Clock clock)
    : QStatusBar(parent)
    , m_session(session)
    , m_clock(clock ? std::move(clock)
                    : Clock([time = counters::ReportClock()]() mutable { return time.Now(); }))
    , Label_StatusPort(MakeLabel("Label_StatusPort", this))
    , Label_StatusOperation(MakeSteadyLabel("Label_StatusOperation", this))
    , Label_StatusRefresh(MakeSteadyLabel("Label_StatusRefresh", this))
    , Label_StatusCounterLog(MakeLabel("Label_StatusCounterLog", this)) {
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(false);
    addWidget(Label_StatusPort);
    addWidget(Label_StatusOperation->parentWidget(), 1);
    addWidget(Label_StatusRefresh->parentWidget(), 1);
    addWidget(Label_StatusCounterLog, 1);
    Label_StatusPort->setText(tr("Port closed"));

    using session::DeviceSession;
    connect(&session, &DeviceSession::PortOpened, this, [this](const QString& port) {
        Label_StatusPort->setText(tr("Port %1, %2").arg(port, m_session.LineSettings()));
    });
    connect(&session, &DeviceSession::PortClosed, this,
            [this] { Label_StatusPort->setText(tr("Port closed")); });
    connect(&session, &DeviceSession::PortLost, this, [this](const QString& port) {
        Label_StatusPort->setText(tr("Port %1 lost: the other end hung up").arg(port));
    });
    connect(&session, &DeviceSession::OperationStarted, this, [this](device::Operation operation) {
        m_operationStart = m_clock();
        // What a refresh counts is the reads it started, also the one whose failure released it.
        m_countingRead = m_refreshing && operation == device::Operation::ReadCounters;
    });
    connect(&session, &DeviceSession::OperationFinished, this, &SessionStatusBar::OperationFinished);
    connect(&session, &DeviceSession::RetryStarted, this, [this] {
        if (!m_countingRead) return;
        ++m_retries;
        ShowRefresh();
    });
}

void SessionStatusBar::SetContinuousRefresh(bool on) {
    if (on == m_refreshing) return;
    m_refreshing = on;
    if (on) {
        m_reports = m_retries = m_failures = 0;
        m_reportTimes.clear();
    }
    ShowRefresh();
}

void SessionStatusBar::SetCounterLogText(const QString& text) {
    Label_StatusCounterLog->setText(text);
}

void SessionStatusBar::OperationFinished(const device::OperationResult& result) {
    const device::OperationOutcome outcome = result.outcome;
    if (result.Report()) ReportShown();
    const QDateTime now = m_clock();
    Label_StatusOperation->setText(
        tr("%1: %2 in %3 ms at %4")
            .arg(QCoreApplication::translate("Operation", device::EntryFor(result.operation).name),
                 QCoreApplication::translate("Outcome", device::OutcomeText(outcome).toLatin1()))
            .arg(std::max<qint64>(0, m_operationStart.msecsTo(now)))
            .arg(now.toString(QStringLiteral("HH:mm:ss"))));
    if (!m_countingRead) return;
    m_countingRead = false;
    if (outcome != device::OperationOutcome::Succeeded && outcome != device::OperationOutcome::Abandoned)
        ++m_failures;
    ShowRefresh();
}

void SessionStatusBar::ReportShown() {
    if (!m_countingRead) return;
    ++m_reports;
    m_reportTimes.push_back(m_clock());
    if (m_reportTimes.size() > RateReports) m_reportTimes.pop_front();
}

void SessionStatusBar::ShowRefresh() {
    if (!m_refreshing && m_reports + m_retries + m_failures == 0) {
        Label_StatusRefresh->clear();
        return;
    }
    QStringList parts{Counted(m_reports, tr("%1 report"), tr("%1 reports"))};
    const qint64 spanMs = m_reportTimes.size() < 2 ? 0 : m_reportTimes.front().msecsTo(m_reportTimes.back());
    if (m_refreshing && spanMs > 0)
        parts << QStringLiteral("%1 /s").arg(double(m_reportTimes.size() - 1) * 1000.0 / double(spanMs), 0,
                                             'f', 1);
    parts << Counted(m_retries, tr("%1 retry"), tr("%1 retries"))
          << Counted(m_failures, tr("%1 failure"), tr("%1 failures"));
    const QString list = parts.join(QStringLiteral(", "));
    Label_StatusRefresh->setText(m_refreshing ? tr("Continuous refresh: %1").arg(list)
                                              : tr("Continuous refresh stopped: %1").arg(list));
}

} // namespace zeph::app
