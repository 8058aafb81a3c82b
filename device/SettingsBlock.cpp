// SPDX-License-Identifier: MIT
// Decoding and encoding of the settings block, the write payload text and the data-source texts.
#include "device/SettingsBlock.h"

#include "device/NumberCheck.h"

#include <QCoreApplication>
#include <QStringList>

namespace zeph::device {

namespace {
// Block positions are counted from 1 in the device's documentation; these helpers keep that counting.
constexpr int MaxTimePosition(int input) {
    return 4 * (input + 1) + 5;
} // input counted from 0
constexpr int ParityPosition = 41;
constexpr int BaudPosition = 42;
constexpr int AddressPosition = 43;
constexpr int ResistorPosition = 44;
constexpr int CommTimeoutPosition = 45;
constexpr int AnswerDelayPosition = 47;

constexpr std::uint8_t EdgeBit = 0x01;
constexpr std::uint8_t DebounceOffBit = 0x02; // set means debouncing is off
constexpr std::uint8_t ContactBit = 0x04;
constexpr std::uint8_t TerminationBit = 0x01;
constexpr std::uint8_t PullResistorsBit = 0x02;

quint32 NumberBits(const QString& text, const QLocale& locale) {
    const std::optional<double> number = ParseUserNumber(text, locale);
    return number ? LowBits32(*number) : 0;
}
} // namespace

std::optional<int> InputOfControl(const QString& control, const char* family) {
    const QString prefix = QString::fromLatin1(family);
    if (!control.startsWith(prefix)) return std::nullopt;
    bool ok = false;
    const int input = control.mid(prefix.size()).toInt(&ok);
    if (!ok || input < 1 || input > InputCount) return std::nullopt;
    return input - 1;
}

int* ChoiceField(SettingsPageState& page, const QString& control) {
    if (const auto n = InputOfControl(control, "RadioGroup_7208BemTip")) return &page.inputType[*n];
    if (const auto n = InputOfControl(control, "RadioGroup_7208BemEl")) return &page.countedEdge[*n];
    if (control == QLatin1String("RadioGroup_7208MbParitas")) return &page.parity;
    if (control == QLatin1String("ListBox_7208MbSebesseg")) return &page.baudRate;
    return nullptr;
}

bool* CheckField(SettingsPageState& page, const QString& control) {
    if (const auto n = InputOfControl(control, "CheckBox_7208PergMentesites")) return &page.debounced[*n];
    if (control == QLatin1String("CheckBox_7208MbRFelLe")) return &page.rFelLe;
    if (control == QLatin1String("CheckBox_7208MbRLezaro")) return &page.rLezaro;
    return nullptr;
}

QString* TextField(SettingsPageState& page, const QString& control) {
    if (const auto n = InputOfControl(control, "LabeledEdit_7208BemTimeOut")) return &page.maxTimeText[*n];
    if (control == QLatin1String("LabeledEdit_7208MbKeszulekcim")) return &page.addressText;
    if (control == QLatin1String("LabeledEdit_7208MbIdokorlat")) return &page.commTimeoutText;
    if (control == QLatin1String("LabeledEdit_7208MbValaszKeslIdo")) return &page.answerDelayText;
    return nullptr;
}

SettingsPageState DecodeSettingsBlock(std::span<const std::uint8_t, SettingsBlockSize> block) {
    const auto at = [&](int position) { return block[std::size_t(position - 1)]; };
    SettingsPageState state;
    for (int n = 0; n < InputCount; ++n) {
        const std::uint8_t config = at(n + 1);
        state.inputType[n] = (config & ContactBit) ? 1 : 0;
        state.debounced[n] = !(config & DebounceOffBit);
        state.countedEdge[n] = (config & EdgeBit) ? 1 : 0;
        const int p = MaxTimePosition(n);
        const quint32 maxTime =
            quint32(at(p)) | quint32(at(p + 1)) << 8 | quint32(at(p + 2)) << 16 | quint32(at(p + 3)) << 24;
        state.maxTimeText[n] = QString::number(maxTime);
    }
    const int parityCode = at(ParityPosition);
    state.parity = parityCode >= 1 && parityCode <= 3 ? parityCode - 1 : -1;
    const int baudCode = at(BaudPosition);
    state.baudRate = baudCode >= 1 && baudCode <= 9 ? baudCode - 1 : -1;
    state.addressText = QString::number(at(AddressPosition));
    state.rLezaro = at(ResistorPosition) & TerminationBit;
    state.rFelLe = at(ResistorPosition) & PullResistorsBit;
    state.commTimeoutText = QString::number(at(CommTimeoutPosition) | at(CommTimeoutPosition + 1) << 8);
    state.answerDelayText = QString::number(at(AnswerDelayPosition));
    return state;
}

SettingsAnswer DecodeSettingsAnswer(std::span<const std::uint8_t> payload, int requestCode) {
    // Position 1 is the status byte, the block follows, then the data-source code.
    const auto at = [&](std::size_t index) -> std::uint8_t {
        return index < payload.size() ? payload[index] : 0;
    };
    SettingsBlock block{};
    for (std::size_t p = 0; p < block.size(); ++p)
        block[p] = at(p + 1);
    SettingsAnswer answer{DecodeSettingsBlock(block), std::nullopt};
    if (requestCode == 1) answer.dataSource = at(SettingsBlockSize + 1);
    return answer;
}

SettingsBlock EncodeSettingsBlock(const SettingsPageState& state, const QLocale& locale) {
    SettingsBlock block{};
    const auto put = [&](int position, unsigned value) {
        block[std::size_t(position - 1)] = std::uint8_t(value & 0xFF);
    };
    for (int n = 0; n < InputCount; ++n) {
        put(n + 1, unsigned(4 * state.inputType[n] + (state.debounced[n] ? 0 : 2) + state.countedEdge[n]));
        const quint32 maxTime = NumberBits(state.maxTimeText[n], locale);
        const int p = MaxTimePosition(n);
        for (int i = 0; i < 4; ++i)
            put(p + i, maxTime >> (8 * i));
    }
    put(ParityPosition, unsigned(state.parity + 1));
    put(BaudPosition, unsigned(state.baudRate + 1));
    put(AddressPosition, NumberBits(state.addressText, locale));
    put(ResistorPosition, (state.rFelLe ? PullResistorsBit : 0) + (state.rLezaro ? TerminationBit : 0));
    const quint32 commTimeout = NumberBits(state.commTimeoutText, locale);
    put(CommTimeoutPosition, commTimeout);
    put(CommTimeoutPosition + 1, commTimeout >> 8);
    put(AnswerDelayPosition, NumberBits(state.answerDelayText, locale));
    return block;
}

QString SettingsWritePayload(const SettingsBlock& block) {
    QStringList numbers{QStringLiteral("4"), QStringLiteral("3")};
    for (std::uint8_t byte : block)
        numbers << QString::number(byte);
    return numbers.join(QLatin1Char(','));
}

DataSourceDisplay DataSourceFor(unsigned code) {
    const QString prefix = QCoreApplication::translate("Device", "Data source at startup: ");
    switch (code) {
    case 1:
    case 2:
    case 3:
        return {true, prefix + QStringLiteral("RAM%1").arg(code), false};
    case 11:
    case 12:
    case 13:
        return {true, prefix + QStringLiteral("EEPROM%1").arg(code - 10), false};
    case 21:
        return {true, QCoreApplication::translate("Device", "The settings failed."), true};
    case 31:
        return {true, QCoreApplication::translate("Device", "EEPROM error."), true};
    default:
        return {};
    }
}

} // namespace zeph::device
