// SPDX-License-Identifier: MIT
// The catalogue's payload builders and decoders, and the lookups in it.
#include "device/OperationCatalogue.h"

namespace zeph::device {

namespace catalogue {

link::Bytes WritePayload(const RequestData& data) {
    const auto* block = std::get_if<SettingsBlock>(&data);
    return SettingsWritePayload(block ? *block : SettingsBlock{});
}

link::Bytes PresetPayload(const RequestData& data) {
    const auto* selection = std::get_if<PresetSelection>(&data);
    return CounterPresetPayload(selection ? *selection : PresetSelection{});
}

AnswerData CurrentSettings(std::span<const std::uint8_t> payload) {
    return DecodeSettingsAnswer(payload, true);
}

AnswerData FactoryDefaults(std::span<const std::uint8_t> payload) {
    return DecodeSettingsAnswer(payload, false);
}

AnswerData CounterReport(std::span<const std::uint8_t> payload) {
    return DecodeCounterStatusReport(payload);
}

} // namespace catalogue

const OperationEntry& EntryFor(Operation operation) {
    for (const OperationEntry& entry : OperationCatalogue)
        if (entry.operation == operation) return entry;
    Q_UNREACHABLE();
}

const OperationEntry* EntryForStartStep(int step) {
    for (const OperationEntry& entry : OperationCatalogue)
        if (entry.startStep == step) return &entry;
    return nullptr;
}

const OperationEntry* EntryForCode(int code) {
    for (const OperationEntry& entry : OperationCatalogue)
        if (entry.code == code) return &entry;
    return nullptr;
}

} // namespace zeph::device
