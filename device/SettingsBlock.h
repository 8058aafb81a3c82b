// SPDX-License-Identifier: MIT
// The 47-byte settings block of the device and the settings it holds, as plain named values.
#pragma once

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace zeph::device {

constexpr int InputCount = 8;
constexpr int SettingsBlockSize = 47;

using SettingsBlock = std::array<std::uint8_t, SettingsBlockSize>;

// The MODBUS baud rates in bit/s, by the baud-rate list's item index (the block's code minus 1).
inline constexpr std::array<int, 9> BaudRates{300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400};

// The device's settings as the settings page shows them; choices are -1 while nothing is chosen, and the
// numbers are texts as typed, checked by the validation before they are encoded.
struct SettingsPageState {
    std::array<int, InputCount> inputType{-1, -1, -1, -1, -1, -1, -1, -1};   // 0 NAMUR, 1 contact
    std::array<int, InputCount> countedEdge{-1, -1, -1, -1, -1, -1, -1, -1}; // 0 closings, 1 openings
    std::array<bool, InputCount> debounced{};
    std::array<QString, InputCount> maxTimeText; // longest time between two pulses, ms
    int parity = -1;                             // MODBUS side: 0 none, 1 even, 2 odd
    int baudRate = -1;                           // MODBUS side: index into BaudRates
    QString addressText;                         // MODBUS address, 1..247
    bool pullResistors = false;                  // the line's pull-up and pull-down resistors
    bool termination = false;                    // the line's termination resistor
    QString commTimeoutText;                     // MODBUS communication time-out, in 10 ms
    QString answerDelayText;                     // MODBUS answer delay, ms

    bool operator==(const SettingsPageState&) const = default;
};

// The settings one at a time, by kind: a choice, a switch or a number. The per-input ones carry their
// input (0..7).
enum class SettingsField {
    InputType,     // choice
    CountedEdge,   // choice
    Debounced,     // switch
    MaxTime,       // number
    Parity,        // choice
    BaudRate,      // choice
    PullResistors, // switch
    Termination,   // switch
    Address,       // number
    CommTimeout,   // number
    AnswerDelay,   // number
};

struct FieldRef {
    SettingsField field = SettingsField::Address;
    int input = -1; // 0..7 for the per-input fields, -1 otherwise

    bool operator==(const FieldRef&) const = default;
};

// Every setting in the order the settings file keeps them: types, debouncing, edges, time limits, then
// parity, baud rate, the two resistors, address, communication time-out and answer delay.
const std::array<FieldRef, 39>& AllSettingsFields();

// The page's value of a field: a choice's index, a switch's state or a number's text; nullptr when the
// field is of another kind.
int* ChoiceField(SettingsPageState& page, FieldRef field);
bool* SwitchField(SettingsPageState& page, FieldRef field);
QString* NumberField(SettingsPageState& page, FieldRef field);

// What the controls show for a block read from the device; unusable codes leave a choice at -1 and
// numbers are shown as they come, without any range check.
SettingsPageState DecodeSettingsBlock(std::span<const std::uint8_t, SettingsBlockSize> block);

// The exact inverse of the decoding for validated settings. Numbers are parsed with the locale's decimal
// separator and rounded half to even; only their low bits are kept. An unparsable text encodes as 0.
SettingsBlock EncodeSettingsBlock(const SettingsPageState& state, const QLocale& locale);

} // namespace zeph::device
