// SPDX-License-Identifier: MIT
// The 47-byte settings block of the device and the settings-page controls it maps to, as plain values,
// plus the data-source code shown beside the settings.
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

// The settings-page controls as values; choice indexes are -1 when nothing is chosen.
struct SettingsPageState {
    // RadioGroup_7208BemTip1..8: 0 NAMUR, 1 contact.
    std::array<int, InputCount> inputType{-1, -1, -1, -1, -1, -1, -1, -1};
    // RadioGroup_7208BemEl1..8: 0 closings, 1 openings.
    std::array<int, InputCount> countedEdge{-1, -1, -1, -1, -1, -1, -1, -1};
    // CheckBox_7208PergMentesites1..8.
    std::array<bool, InputCount> debounced{};
    // LabeledEdit_7208BemTimeOut1..8, in ms.
    std::array<QString, InputCount> maxTimeText;
    int parity = -1;         // RadioGroup_7208MbParitas
    int baudRate = -1;       // ListBox_7208MbSebesseg
    QString addressText;     // LabeledEdit_7208MbKeszulekcim
    bool rFelLe = false;     // CheckBox_7208MbRFelLe
    bool rLezaro = false;    // CheckBox_7208MbRLezaro
    QString commTimeoutText; // LabeledEdit_7208MbIdokorlat, in 10 ms
    QString answerDelayText; // LabeledEdit_7208MbValaszKeslIdo, in ms

    bool operator==(const SettingsPageState&) const = default;
};

// The input (0..7) of a per-input control such as "RadioGroup_7208BemTip3", when it is of that family.
std::optional<int> InputOfControl(const QString& control, const char* family);

// The page's field for a control, by the control's object name (which is also its settings-file key):
// the choice index of a radio group or the baud-rate list, the state of a check box, the text of an edit.
// nullptr for a control of another kind or an unknown name.
int* ChoiceField(SettingsPageState& page, const QString& control);
bool* CheckField(SettingsPageState& page, const QString& control);
QString* TextField(SettingsPageState& page, const QString& control);

// What the controls show for a block read from the device; unusable codes leave a choice at -1 and
// numbers are shown as they come, without any range check.
SettingsPageState DecodeSettingsBlock(std::span<const std::uint8_t, SettingsBlockSize> block);

// The exact inverse of the decoding for validated controls. Numbers are parsed with the locale's decimal
// separator and rounded half to even; only their low bits are kept. An unparsable text encodes as 0.
SettingsBlock EncodeSettingsBlock(const SettingsPageState& state, const QLocale& locale);

// The write request's payload text: "4,3," and the 47 block bytes, no trailing comma.
QString SettingsWritePayload(const SettingsBlock& block);

// What a read of the settings brings: the page, and after a read of the current settings (request code
// 1) the data-source code the device started from; a factory-defaults read (2) carries none.
struct SettingsAnswer {
    SettingsPageState page;
    std::optional<unsigned> dataSource;
};

// The answer's payload, status byte first, then the 47 block bytes and the data-source code. Bytes
// missing from a short payload count as 0.
SettingsAnswer DecodeSettingsAnswer(std::span<const std::uint8_t> payload, int requestCode);

// What the two data-source labels show for a code; changes is false for a code they ignore.
struct DataSourceDisplay {
    bool changes = false;
    QString text;
    bool red = false;
};

DataSourceDisplay DataSourceFor(unsigned code);

} // namespace zeph::device
