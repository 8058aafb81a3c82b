// SPDX-License-Identifier: MIT
// The names of the steps and verdicts as the summary, the report and the progress lines write them.
#include "commissioning/DeviceOutcome.h"

#include "session/SettingsJson.h"

#include <QStringList>

#include <algorithm>

namespace zeph::commissioning {

QString StepName(Step step) {
    switch (step) {
    case Step::Validate:
        return QStringLiteral("validate");
    case Step::Open:
        return QStringLiteral("open");
    case Step::ReadSettings:
        return QStringLiteral("read settings");
    case Step::Check:
        return QStringLiteral("check");
    case Step::FirstInitialization:
        return QStringLiteral("first initialization");
    case Step::Write:
        return QStringLiteral("write");
    case Step::ReadBack:
        return QStringLiteral("read back");
    case Step::Preset:
        return QStringLiteral("preset");
    case Step::ReadCounters:
        return QStringLiteral("read counters");
    case Step::Done:
        break;
    }
    return QStringLiteral("done");
}

QString VerdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::NotRun:
        return QStringLiteral("not run");
    case Verdict::Running:
        return QStringLiteral("running");
    case Verdict::Passed:
        return QStringLiteral("passed");
    case Verdict::Failed:
        break;
    }
    return QStringLiteral("failed");
}

QString ChangesText(const std::vector<FieldChange>& changes) {
    QStringList parts;
    for (const FieldChange& change : changes)
        parts << QStringLiteral("%1 %2 -> %3")
                     .arg(change.field, session::JsonValueText(change.before),
                          session::JsonValueText(change.after));
    return parts.join(QStringLiteral("; "));
}

int BatchOutcome::Count(Verdict verdict) const {
    return int(std::count_if(devices.begin(), devices.end(),
                             [&](const DeviceOutcome& device) { return device.verdict == verdict; }));
}

} // namespace zeph::commissioning
