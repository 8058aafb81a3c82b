// SPDX-License-Identifier: MIT
// How an operation ended, as one value: the operation, its outcome, the device's status byte, what the
// answer brought, the sends it took and the time. First initialization is a job of three operations with
// a result of its own.
#pragma once

#include "device/DevicePayloads.h"
#include "device/OperationCatalogue.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <vector>

namespace zeph::device {

enum class OperationOutcome {
    Succeeded,      // status 0 (with what the answer brings, where the operation reads something)
    NoAnswer,       // no valid answer after all attempts, or a status 0 without the data it promises
    NotThisDevice,  // status 0x81: the addressed peripheral is not a ZEPH7208
    ParameterError, // write settings: status 1
    EepromError,    // write settings: status 2
    IgnoredStatus,  // any other status: ended idle, nothing shown
    Abandoned,      // replaced by another operation or ended by closing the port, never judged
};

// "done", "no answer" and the like, for logs and status texts (translated there, context "Outcome").
QString OutcomeText(OperationOutcome outcome);

// The device's status bytes as they are judged.
enum DeviceStatus : std::uint8_t {
    StatusDone = 0,
    StatusParameterError = 1,
    StatusEepromError = 2,
    StatusNotThisDevice = 0x81
};

struct OperationResult {
    Operation operation = Operation::ReadSettings;
    OperationOutcome outcome = OperationOutcome::Abandoned;
    std::optional<std::uint8_t> status; // the device's status byte, when it answered
    AnswerData data;                    // what an answer with status 0 brought
    int sends = 0;                      // requests that went out
    qint64 elapsedMs = 0;               // from the request handed to the link to the verdict

    bool Succeeded() const { return outcome == OperationOutcome::Succeeded; }
    const SettingsAnswer* Settings() const { return std::get_if<SettingsAnswer>(&data); }
    const CounterStatusReport* Report() const { return std::get_if<CounterStatusReport>(&data); }
    // A counter operation or a first initialization that failed: a continuous refresh must stop.
    bool StopsContinuousRefresh() const;
};

// The first initialization, then a read of the settings, then a read of the counters.
struct JobResult {
    // The first outcome of its operations that is not a success; a success when all three succeeded.
    OperationOutcome outcome = OperationOutcome::Abandoned;
    std::vector<OperationResult> steps;
    qint64 elapsedMs = 0;

    bool Succeeded() const { return outcome == OperationOutcome::Succeeded; }
    // The counter report of the last step, when it came.
    const CounterStatusReport* Report() const { return steps.empty() ? nullptr : steps.back().Report(); }
};

} // namespace zeph::device
