// SPDX-License-Identifier: MIT
// Commissioning one device: its port opened, its settings read, its counter report checked (a first
// initialization run where it is allowed and needed), the target written when the device differs and read
// back, the counters preset and read, the port closed. One request at a time, each in its own session's
// pace; a failure ends the device at its step with the reason.
#pragma once

#include "commissioning/DeviceList.h"
#include "commissioning/DeviceOutcome.h"
#include "device/OperationResult.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QStringList>

#include <functional>

namespace zeph::session {
class DeviceSession;
}

namespace zeph::commissioning {

// The settings that differ between two pages, by JSON path, with the first page's value as before.
std::vector<FieldChange> ChangedSettings(const device::SettingsPageState& before,
                                         const device::SettingsPageState& after);

class DeviceRun : public QObject {
    Q_OBJECT
public:
    // Takes an audit record (its action, changes and result; the run adds who, where and when) and says
    // whether it was kept; when not, the device fails with the reason given.
    using AuditSink = std::function<bool(const DeviceOutcome& device, QJsonObject record, QString* error)>;

    struct Setup {
        DeviceRow row;
        device::SettingsPageState target; // validated
        QString adapter;
        bool initIfNeeded = false;
    };

    DeviceRun(Setup setup, AuditSink audit, QObject* parent = nullptr);
    ~DeviceRun() override;

    void Start();
    // The request under way finishes; then the device ends, failed at the step it was at.
    void Stop();
    const DeviceOutcome& Outcome() const { return m_outcome; }

signals:
    void StepStarted(zeph::commissioning::Step step);
    void Finished();

private:
    void Begin(Step step);
    void OperationEnded(const device::OperationResult& result);
    void JobEnded(const device::JobResult& result);
    // Goes on from the step that just succeeded.
    void After(Step done);
    void Fail(const QString& reason);
    void Finish(Verdict verdict);
    bool Audit(const QString& action, const std::vector<FieldChange>& changes, const QString& result);
    // The preset counters from the check's reading to after's (null: not known).
    std::vector<FieldChange> PresetChanges(const device::CounterStatusReport* after) const;
    QStringList PresetsNotKept(const device::CounterStatusReport& after) const;

    Setup m_setup;
    AuditSink m_audit;
    session::DeviceSession* m_session;
    DeviceOutcome m_outcome;
    QElapsedTimer m_clock;
    std::optional<device::CounterStatusReport> m_checkReport;
    bool m_stopping = false;
    bool m_finished = false;
};

} // namespace zeph::commissioning
