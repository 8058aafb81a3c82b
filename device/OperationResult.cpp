// SPDX-License-Identifier: MIT
// Outcome texts and the continuous-refresh rule of an operation's result.
#include "device/OperationResult.h"

namespace zeph::device {

QString OutcomeText(OperationOutcome outcome) {
    switch (outcome) {
    case OperationOutcome::Succeeded:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "done"));
    case OperationOutcome::NoAnswer:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "no answer"));
    case OperationOutcome::NotThisDevice:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "not a ZEPH7208"));
    case OperationOutcome::ParameterError:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "parameters error"));
    case OperationOutcome::EepromError:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "EEPROM error"));
    case OperationOutcome::IgnoredStatus:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "status ignored"));
    case OperationOutcome::Abandoned:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("Outcome", "abandoned"));
    }
    return {};
}

bool OperationResult::StopsContinuousRefresh() const {
    // A status the device is not expected to give, or an abandoned read, leaves the refresh running.
    const bool failed = outcome == OperationOutcome::NoAnswer || outcome == OperationOutcome::NotThisDevice ||
                        outcome == OperationOutcome::ParameterError ||
                        outcome == OperationOutcome::EepromError;
    return failed && EntryFor(operation).failureStopsRefresh;
}

} // namespace zeph::device
