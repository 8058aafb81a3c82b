// SPDX-License-Identifier: MIT
// Decoding and encoding of the settings block, and the settings one field at a time.
#include "device/SettingsBlock.h"

#include "device/NumberCheck.h"

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

const std::array<FieldRef, 39>& AllSettingsFields() {
    static const std::array<FieldRef, 39> fields = [] {
        std::array<FieldRef, 39> all{};
        std::size_t i = 0;
        for (const SettingsField family : {SettingsField::InputType, SettingsField::Debounced,
                                           SettingsField::CountedEdge, SettingsField::MaxTime})
            for (int input = 0; input < InputCount; ++input)
                all[i++] = {family, input};
        for (const SettingsField field :
             {SettingsField::Parity, SettingsField::BaudRate, SettingsField::PullResistors,
              SettingsField::Termination, SettingsField::Address, SettingsField::CommTimeout,
              SettingsField::AnswerDelay})
            all[i++] = {field, -1};
        return all;
    }();
    return fields;
}

int* ChoiceField(SettingsPageState& page, FieldRef field) {
    switch (field.field) {
    case SettingsField::InputType:
        return &page.inputType.at(std::size_t(field.input));
    case SettingsField::CountedEdge:
        return &page.countedEdge.at(std::size_t(field.input));
    case SettingsField::Parity:
        return &page.parity;
    case SettingsField::BaudRate:
        return &page.baudRate;
    default:
        return nullptr;
    }
}

bool* SwitchField(SettingsPageState& page, FieldRef field) {
    switch (field.field) {
    case SettingsField::Debounced:
        return &page.debounced.at(std::size_t(field.input));
    case SettingsField::PullResistors:
        return &page.pullResistors;
    case SettingsField::Termination:
        return &page.termination;
    default:
        return nullptr;
    }
}

QString* NumberField(SettingsPageState& page, FieldRef field) {
    switch (field.field) {
    case SettingsField::MaxTime:
        return &page.maxTimeText.at(std::size_t(field.input));
    case SettingsField::Address:
        return &page.addressText;
    case SettingsField::CommTimeout:
        return &page.commTimeoutText;
    case SettingsField::AnswerDelay:
        return &page.answerDelayText;
    default:
        return nullptr;
    }
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
    state.termination = at(ResistorPosition) & TerminationBit;
    state.pullResistors = at(ResistorPosition) & PullResistorsBit;
    state.commTimeoutText = QString::number(at(CommTimeoutPosition) | at(CommTimeoutPosition + 1) << 8);
    state.answerDelayText = QString::number(at(AnswerDelayPosition));
    return state;
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
    put(ResistorPosition,
        (state.pullResistors ? PullResistorsBit : 0) + (state.termination ? TerminationBit : 0));
    const quint32 commTimeout = NumberBits(state.commTimeoutText, locale);
    put(CommTimeoutPosition, commTimeout);
    put(CommTimeoutPosition + 1, commTimeout >> 8);
    put(AnswerDelayPosition, NumberBits(state.answerDelayText, locale));
    return block;
}

} // namespace zeph::device
