// SPDX-License-Identifier: MIT
// One device's commissioning as a chain of operations on its own device session.
#include "commissioning/DeviceRun.h"

#include "counters/CounterText.h"
#include "line/PortText.h"
#include "session/DeviceSession.h"
#include "session/SettingsJson.h"
#include "session/SettingsText.h"

#include <QJsonArray>
#include <QLocale>

#include <cstdlib>

namespace zeph::commissioning {

namespace {

constexpr std::uint8_t FirstInitializationFlags = 0x03; // invalid settings, invalid counted values

// What a counter report says that asks for a first initialization, in the counters page's words; empty
// when it asks for none.
QString InitializationNeed(const device::CounterStatusReport& report) {
    if (!device::NeedsFirstInitialization(report.currentErrors)) return {};
    return counters::ErrorFlagCaptions(report.currentErrors & FirstInitializationFlags)
        .join(QStringLiteral(", "));
}

QJsonArray ChangesJson(const std::vector<FieldChange>& changes) {
    QJsonArray array;
    for (const FieldChange& change : changes)
        array.append(
            QJsonObject{{"field", change.field}, {"before", change.before}, {"after", change.after}});
    return array;
}

bool IsNetworkPort(const QString& port) {
    const auto address = line::ParsePortText(port);
    return address && address->IsNetwork();
}

} // namespace

std::vector<FieldChange> ChangedSettings(const device::SettingsPageState& before,
                                         const device::SettingsPageState& after) {
    std::vector<FieldChange> changes;
    for (const device::FieldRef field : device::AllSettingsFields()) {
        const QJsonValue was = session::JsonValue(before, field);
        const QJsonValue is = session::JsonValue(after, field);
        if (was != is) changes.push_back({session::JsonPath(field), was, is});
    }
    return changes;
}

DeviceRun::DeviceRun(Setup setup, AuditSink audit, QObject* parent)
    : QObject(parent)
    , m_setup(std::move(setup))
    , m_audit(std::move(audit))
    , m_session(new session::DeviceSession(this)) {
    m_outcome.tag = m_setup.row.tag;
    m_outcome.port = m_setup.row.port;
    m_outcome.adapter = m_setup.adapter;
    m_outcome.target = m_setup.target;
    m_outcome.presets = m_setup.row.presets;
    connect(m_session, &session::DeviceSession::OperationFinished, this, &DeviceRun::OperationEnded);
    connect(m_session, &session::DeviceSession::JobFinished, this, &DeviceRun::JobEnded);
    connect(m_session, &session::DeviceSession::PortLost, this, [this] {
        const QString lost = IsNetworkPort(m_outcome.port)
                                 ? QStringLiteral("The connection to %1 was lost.")
                                       .arg(line::ParsePortText(m_outcome.port)->Endpoint())
                                 : QStringLiteral("The serial port was disconnected.");
        // A request that changes the device may have reached it before the line went: the trail says so.
        if (m_outcome.step == Step::Write) Audit(QStringLiteral("write settings"), m_outcome.changes, lost);
        if (m_outcome.step == Step::Preset)
            Audit(QStringLiteral("preset counters"), PresetChanges(nullptr), lost);
        if (m_outcome.step == Step::FirstInitialization)
            Audit(QStringLiteral("first initialization"), {}, lost);
        Fail(lost);
    });
}

DeviceRun::~DeviceRun() = default;

void DeviceRun::Start() {
    m_clock.start();
    m_outcome.verdict = Verdict::Running;
    Begin(Step::Open);
}

void DeviceRun::Stop() {
    m_stopping = true;
}

void DeviceRun::Begin(Step step) {
    if (m_finished) return;
    m_outcome.step = step;
    if (m_stopping) {
        Fail(QStringLiteral("stopped before this step"));
        return;
    }
    emit StepStarted(step);
    bool started = true;
    switch (step) {
    case Step::Open: {
        line::LineError error;
        if (!m_session->Open(m_outcome.port, &error)) {
            Fail(IsNetworkPort(m_outcome.port)
                     ? error.text
                     : QStringLiteral("cannot open %1: %2").arg(m_outcome.port, error.text));
            return;
        }
        After(Step::Open);
        return;
    }
    case Step::ReadSettings:
    case Step::ReadBack:
        m_session->ReadSettings();
        break;
    case Step::Check:
    case Step::ReadCounters:
        started = m_session->RefreshCounters();
        break;
    case Step::FirstInitialization:
        started = m_session->FirstInitialization();
        break;
    case Step::Write:
        m_session->WriteSettings(device::EncodeSettingsBlock(m_setup.target, QLocale()));
        break;
    case Step::Preset:
        started = m_session->PresetCounters(m_setup.row.presets);
        break;
    case Step::Validate:
    case Step::Done:
        Finish(Verdict::Passed);
        return;
    }
    // The session is idle between steps; should it ever refuse, the device must not wait for ever.
    if (!started) Fail(QStringLiteral("the session did not start the request"));
}

std::vector<FieldChange> DeviceRun::PresetChanges(const device::CounterStatusReport* after) const {
    std::vector<FieldChange> changes;
    for (int n = 0; n < device::InputCount; ++n) {
        if (!m_setup.row.presets[std::size_t(n)]) continue;
        const auto reading = [&](const device::CounterStatusReport* report) {
            return report ? QJsonValue(qint64(report->counters[std::size_t(n)])) : QJsonValue();
        };
        changes.push_back({QStringLiteral("counter.%1").arg(n + 1),
                           reading(m_checkReport ? &*m_checkReport : nullptr), reading(after)});
    }
    return changes;
}

// The counters a preset was to set, where the device's answer shows one nearer its earlier reading than
// the value asked for: the device acknowledged the preset without keeping it. Pulses that came meanwhile
// move a kept value only a little from the one asked for.
QStringList DeviceRun::PresetsNotKept(const device::CounterStatusReport& after) const {
    QStringList notKept;
    for (int n = 0; n < device::InputCount; ++n) {
        const auto wanted = m_setup.row.presets[std::size_t(n)];
        if (!wanted) continue;
        const qint64 reading = after.counters[std::size_t(n)];
        const qint64 fromWanted = std::llabs(reading - qint64(*wanted));
        const qint64 fromEarlier = m_checkReport
                                       ? std::llabs(reading - qint64(m_checkReport->counters[std::size_t(n)]))
                                       : fromWanted + 1;
        if (fromWanted > fromEarlier)
            notKept
                << QStringLiteral("counter.%1 preset to %2, reads %3").arg(n + 1).arg(*wanted).arg(reading);
    }
    return notKept;
}

void DeviceRun::OperationEnded(const device::OperationResult& result) {
    if (m_finished || result.outcome == device::OperationOutcome::Abandoned) return;
    m_outcome.sends += result.sends;
    // The first initialization's own three operations end in its job's result.
    if (m_outcome.step == Step::FirstInitialization) return;
    if (!result.Succeeded()) {
        const QString text = session::FailureText(result.outcome, result.status);
        if (m_outcome.step == Step::Write) Audit(QStringLiteral("write settings"), m_outcome.changes, text);
        if (m_outcome.step == Step::Preset)
            Audit(QStringLiteral("preset counters"), PresetChanges(nullptr), text);
        Fail(text);
        return;
    }
    switch (m_outcome.step) {
    case Step::ReadSettings:
        m_outcome.before = *result.Settings();
        break;
    case Step::Check:
        m_checkReport = *result.Report();
        if (const QString need = InitializationNeed(*m_checkReport); !need.isEmpty()) {
            if (!m_setup.initIfNeeded) {
                Fail(QStringLiteral("the device reports %1: it needs a first initialization, which this run "
                                    "was not allowed to do")
                         .arg(need));
                return;
            }
            Begin(Step::FirstInitialization);
            return;
        }
        break;
    case Step::Write:
        if (!Audit(QStringLiteral("write settings"), m_outcome.changes, device::OutcomeText(result.outcome)))
            return;
        break;
    case Step::ReadBack: {
        m_outcome.readBack = *result.Settings();
        const std::vector<FieldChange> differences =
            ChangedSettings(m_setup.target, m_outcome.readBack->page);
        if (!differences.empty()) {
            // The write was acknowledged and recorded as done; what the device kept is recorded beside it.
            Audit(QStringLiteral("read back"), differences,
                  QStringLiteral("differs from the settings written"));
            Fail(QStringLiteral("the settings read back differ from those written (written -> read back): ") +
                 ChangesText(differences));
            return;
        }
        break;
    }
    case Step::Preset: {
        const device::CounterStatusReport& after = *result.Report();
        const QStringList notKept = PresetsNotKept(after);
        if (!Audit(QStringLiteral("preset counters"), PresetChanges(&after),
                   notKept.isEmpty() ? device::OutcomeText(result.outcome) : QStringLiteral("not kept")))
            return;
        if (!notKept.isEmpty()) {
            Fail(QStringLiteral("the device did not keep the preset: ") + notKept.join(QStringLiteral("; ")));
            return;
        }
        break;
    }
    case Step::ReadCounters:
        m_outcome.counters = *result.Report();
        break;
    default:
        break;
    }
    After(m_outcome.step);
}

void DeviceRun::JobEnded(const device::JobResult& result) {
    // An abandoned job is this run's own close or a lost line, which is told by PortLost.
    if (m_finished || m_outcome.step != Step::FirstInitialization ||
        result.outcome == device::OperationOutcome::Abandoned)
        return;
    m_outcome.initialized = true;
    const device::SettingsAnswer* settings = result.steps.size() > 1 ? result.steps[1].Settings() : nullptr;
    std::vector<FieldChange> changes;
    if (settings && m_outcome.before) changes = ChangedSettings(m_outcome.before->page, settings->page);
    QString failure;
    for (const device::OperationResult& step : result.steps)
        if (failure.isEmpty() && !step.Succeeded()) failure = session::FailureText(step.outcome, step.status);
    if (!Audit(QStringLiteral("first initialization"), changes,
               failure.isEmpty() ? device::OutcomeText(result.outcome) : failure))
        return;
    if (!result.Succeeded()) {
        Fail(failure.isEmpty() ? device::OutcomeText(result.outcome) : failure);
        return;
    }
    m_outcome.before = *settings;
    m_checkReport = *result.Report();
    if (const QString need = InitializationNeed(*m_checkReport); !need.isEmpty()) {
        Fail(QStringLiteral("the device still reports %1 after a first initialization").arg(need));
        return;
    }
    After(Step::Check);
}

void DeviceRun::After(Step done) {
    switch (done) {
    case Step::Open:
        Begin(Step::ReadSettings);
        return;
    case Step::ReadSettings:
        Begin(Step::Check);
        return;
    case Step::Check:
    case Step::FirstInitialization:
        m_outcome.changes = ChangedSettings(m_outcome.before->page, m_setup.target);
        if (!m_outcome.changes.empty()) {
            Begin(Step::Write);
            return;
        }
        // Nothing to write: what was read is what the device holds.
        m_outcome.readBack = m_outcome.before;
        [[fallthrough]];
    case Step::ReadBack:
        if (std::any_of(m_setup.row.presets.begin(), m_setup.row.presets.end(),
                        [](const auto& preset) { return preset.has_value(); })) {
            Begin(Step::Preset);
            return;
        }
        [[fallthrough]];
    case Step::Preset:
        Begin(Step::ReadCounters);
        return;
    case Step::Write:
        Begin(Step::ReadBack);
        return;
    case Step::ReadCounters:
        Finish(Verdict::Passed);
        return;
    case Step::Validate:
    case Step::Done:
        break;
    }
}

bool DeviceRun::Audit(const QString& action, const std::vector<FieldChange>& changes, const QString& result) {
    QJsonObject record{{"action", action}, {"changes", ChangesJson(changes)}, {"result", result}};
    QString error;
    if (m_audit && !m_audit(m_outcome, record, &error)) {
        Fail(QStringLiteral("the audit trail cannot be written: ") + error);
        return false;
    }
    return true;
}

void DeviceRun::Fail(const QString& reason) {
    if (m_finished) return;
    m_outcome.reason = reason;
    Finish(Verdict::Failed);
}

void DeviceRun::Finish(Verdict verdict) {
    m_finished = true;
    m_outcome.verdict = verdict;
    if (verdict == Verdict::Passed) m_outcome.step = Step::Done;
    m_outcome.elapsedMs = m_clock.isValid() ? m_clock.elapsed() : 0;
    m_session->Close();
    emit Finished();
}

} // namespace zeph::commissioning
