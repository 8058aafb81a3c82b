// SPDX-License-Identifier: MIT
// The device's commands, each in one place: what it sends, what answer it waits for and how long, how
// its answer is judged and decoded, and the operation machine's start and wait steps that carry it out.
// A new request is an entry here, its decoder in DevicePayloads, a case in the simulator and a button or
// command in a front end.
#pragma once

#include "device/DevicePayloads.h"
#include "link/FrameCodec.h"

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <span>

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
    int startStep;      // the machine's step that sends the request
    int waitStep;       // the machine's step that judges the answer
    int expectedLength; // payload bytes of a full answer, status byte included
    int extraTimeoutMs; // added to the answer time-out: the device writes its EEPROM first
    const char* name;   // for logs and the front ends' status texts (translated there, context "Operation")
    // The request's payload from what the request carries.
    link::Bytes (*payload)(const RequestData& data);
    // What an answer with status 0 brings; nullptr when it brings nothing but its status. An operation
    // with a decoder needs the whole answer: a status byte alone is no valid answer to it.
    AnswerData (*decode)(std::span<const std::uint8_t> payload);
    // Statuses 1 and 2 are the device's refusal of the values and its EEPROM failing.
    bool refusesValues;
    // A failure ends a continuous refresh: the counters are not coming.
    bool failureStopsRefresh;
};

namespace catalogue {
template <std::uint8_t Code> link::Bytes CodeOnly(const RequestData&) {
    return {4, Code};
}
link::Bytes WritePayload(const RequestData& data);
link::Bytes PresetPayload(const RequestData& data);
AnswerData CurrentSettings(std::span<const std::uint8_t> payload);
AnswerData FactoryDefaults(std::span<const std::uint8_t> payload);
AnswerData CounterReport(std::span<const std::uint8_t> payload);
} // namespace catalogue

// Every request goes to the peripheral address with the variant flag off; the first payload byte is 4.
inline constexpr std::array<OperationEntry, 7> OperationCatalogue = {{
    {Operation::ReadSettings, 1, 100, 101, 49, 0, QT_TRANSLATE_NOOP("Operation", "read settings"),
     catalogue::CodeOnly<1>, catalogue::CurrentSettings, false, false},
    {Operation::ReadFactoryDefaults, 2, 110, 101, 48, 0,
     QT_TRANSLATE_NOOP("Operation", "read factory defaults"), catalogue::CodeOnly<2>,
     catalogue::FactoryDefaults, false, false},
    {Operation::WriteSettings, 3, 120, 121, 1, 1000, QT_TRANSLATE_NOOP("Operation", "write settings"),
     catalogue::WritePayload, nullptr, true, false},
    {Operation::ReadCounters, 4, 130, 131, 73, 0, QT_TRANSLATE_NOOP("Operation", "read counters"),
     catalogue::CodeOnly<4>, catalogue::CounterReport, false, true},
    {Operation::ClearErrors, 5, 140, 131, 73, 0, QT_TRANSLATE_NOOP("Operation", "clear errors"),
     catalogue::CodeOnly<5>, catalogue::CounterReport, false, true},
    {Operation::PresetCounters, 6, 150, 131, 73, 0, QT_TRANSLATE_NOOP("Operation", "preset counters"),
     catalogue::PresetPayload, catalogue::CounterReport, false, true},
    {Operation::FirstInitialization, 7, 160, 161, 1, 1000,
     QT_TRANSLATE_NOOP("Operation", "first initialization"), catalogue::CodeOnly<7>, nullptr, false, true},
}};

const OperationEntry& EntryFor(Operation operation);
// The entry whose start step this is, or nullptr.
const OperationEntry* EntryForStartStep(int step);
// The entry whose request code this is, or nullptr.
const OperationEntry* EntryForCode(int code);

} // namespace zeph::device
