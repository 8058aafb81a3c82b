// SPDX-License-Identifier: MIT
// The device's commands: what each operation sends, what answer it waits for, and the operation
// machine's start and wait steps that carry it out.
#pragma once

#include <QString>

#include <array>

namespace zeph::device {

enum class Operation {
    ReadSettings,
    ReadFactoryDefaults,
    WriteSettings,
    ReadCounters,
    ClearErrors,
    PresetCounters,
    FirstInitialization,
};

struct OperationEntry {
    Operation operation;
    int code;           // second payload byte of the request, after the fixed 4
    int startStep;      // the OperationStep that sends the request
    int waitStep;       // the OperationStep that judges the answer
    int expectedLength; // payload bytes of a full answer, status byte included
    int extraTimeout;   // ms added to the engine's time-out: the device writes its EEPROM first
    bool longPayload;   // the payload is built by the front end (settings, counter presets)
    const char* name;   // for logs and the front ends' status texts (translated there, context "Operation")
};

// Every request goes to the peripheral address with the variant flag off; the first payload byte is 4.
inline constexpr std::array<OperationEntry, 7> OperationCatalogue = {{
    {Operation::ReadSettings, 1, 100, 101, 49, 0, false, QT_TRANSLATE_NOOP("Operation", "read settings")},
    {Operation::ReadFactoryDefaults, 2, 110, 101, 48, 0, false,
     QT_TRANSLATE_NOOP("Operation", "read factory defaults")},
    {Operation::WriteSettings, 3, 120, 121, 1, 1000, true, QT_TRANSLATE_NOOP("Operation", "write settings")},
    {Operation::ReadCounters, 4, 130, 131, 73, 0, false, QT_TRANSLATE_NOOP("Operation", "read counters")},
    {Operation::ClearErrors, 5, 140, 131, 73, 0, false, QT_TRANSLATE_NOOP("Operation", "clear errors")},
    {Operation::PresetCounters, 6, 150, 131, 73, 0, true, QT_TRANSLATE_NOOP("Operation", "preset counters")},
    {Operation::FirstInitialization, 7, 160, 161, 1, 1000, false,
     QT_TRANSLATE_NOOP("Operation", "first initialization")},
}};

const OperationEntry& EntryFor(Operation operation);
// The entry whose start step this is, or nullptr.
const OperationEntry* EntryForStartStep(int step);
// The entry whose request code this is, or nullptr.
const OperationEntry* EntryForCode(int code);

// The short request payload text of an operation without a long payload: "4,1" and the like.
QString ShortPayload(const OperationEntry& entry);

// How an operation ended, as its wait step judged the answer.
enum class OperationOutcome {
    Succeeded,      // status 0 (decoded and shown where the operation reads something)
    NoAnswer,       // no valid answer after all attempts, or a status 0 without the data it promises
    NotThisDevice,  // status 0x81: the addressed peripheral is not a ZEPH7208
    ParameterError, // write settings: status 1
    EepromError,    // write settings: status 2
    IgnoredStatus,  // any other status: ended idle, nothing shown
    Abandoned,      // replaced by another operation or ended by closing the port, never judged
};

QString OutcomeText(OperationOutcome outcome);

} // namespace zeph::device
