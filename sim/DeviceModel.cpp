// SPDX-License-Identifier: MIT
// The simulated pulse collector: pulse counting against the injected clock, flags and operations 1 to 7.
#include "sim/DeviceModel.h"

#include <chrono>
#include <cmath>

namespace zeph::sim {

namespace {
constexpr std::uint8_t CommandGroup = 4;
} // namespace

DeviceModel::DeviceModel(Clock clock)
    : m_clock(std::move(clock)) {
    const double now = double(Now());
    for (Input& input : m_inputs)
        input.observedSince = now;
}

std::uint64_t DeviceModel::Now() const {
    if (m_clock) return m_clock();
    return std::uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count());
}

void DeviceModel::SetPulseRate(int input, double pulsesPerSecond) {
    Advance();
    Input& in = m_inputs.at(std::size_t(input));
    in.rate = pulsesPerSecond > 0 && std::isfinite(pulsesPerSecond) ? pulsesPerSecond : 0;
    if (in.rate > 0) {
        in.periodMs = 1000.0 / in.rate;
        in.nextPulseAt = double(Now()) + in.periodMs;
    }
}

void DeviceModel::Advance() {
    const double now = double(Now());
    for (int i = 0; i < InputCount; ++i) {
        Input& in = m_inputs[std::size_t(i)];
        const auto bit = static_cast<std::uint8_t>(1u << i);
        if (in.rate <= 0 || in.nextPulseAt > now) continue;
        const auto pulses = std::uint64_t(std::floor((now - in.nextPulseAt) / in.periodMs)) + 1;
        const double lastAt = in.nextPulseAt + double(pulses - 1) * in.periodMs;
        // A gap longer than the limit that ended before anyone looked still leaves its latched trace.
        const std::uint32_t limit = m_settings.maxPulseTimeMs[std::size_t(i)];
        const double reference = in.lastPulseAt.value_or(in.observedSince);
        if (limit > 0 && (in.nextPulseAt - reference > limit || (pulses > 1 && in.periodMs > limit)))
            m_latched |= ErrorTimeLimit;
        if (in.lastPulseAt || pulses > 1)
            in.interval = std::uint32_t(std::min(std::llround(in.periodMs), std::llround(NoInterval - 1.0)));
        const std::uint64_t sum = std::uint64_t(in.counter) + pulses;
        if (sum > 0xFFFFFFFFull) m_overflow |= bit;
        in.counter = static_cast<std::uint32_t>(sum);
        in.lastPulseAt = lastAt;
        in.nextPulseAt = lastAt + in.periodMs;
        m_activity |= bit;
    }
    m_latched |= CurrentErrorFlagsNoAdvance(now);
}

std::uint8_t DeviceModel::TimeLimitFlagsAt(double now) const {
    std::uint8_t flags = 0;
    for (int i = 0; i < InputCount; ++i) {
        const Input& in = m_inputs[std::size_t(i)];
        const std::uint32_t limit = m_settings.maxPulseTimeMs[std::size_t(i)];
        if (limit > 0 && now - in.lastPulseAt.value_or(in.observedSince) > double(limit))
            flags |= static_cast<std::uint8_t>(1u << i);
    }
    return flags;
}

std::uint8_t DeviceModel::CurrentErrorFlagsNoAdvance(double now) const {
    std::uint8_t flags = m_errorFlags;
    if (m_namurOpen | m_namurShort) flags |= ErrorNamurInput;
    if (m_overflow) flags |= ErrorCounterOverflow;
    if (TimeLimitFlagsAt(now)) flags |= ErrorTimeLimit;
    return flags;
}

std::uint8_t DeviceModel::TimeLimitFlags() {
    Advance();
    return TimeLimitFlagsAt(double(Now()));
}

std::uint8_t DeviceModel::CurrentErrorFlags() {
    Advance();
    return CurrentErrorFlagsNoAdvance(double(Now()));
}

std::uint8_t DeviceModel::LatchedErrorFlags() {
    Advance();
    return m_latched;
}

std::uint32_t DeviceModel::Counter(int input) {
    Advance();
    return m_inputs.at(std::size_t(input)).counter;
}

std::uint32_t DeviceModel::Interval(int input) {
    Advance();
    return m_inputs.at(std::size_t(input)).interval;
}

void DeviceModel::SetCounter(int input, std::uint32_t value) {
    Advance();
    m_inputs.at(std::size_t(input)).counter = value;
    m_overflow &= static_cast<std::uint8_t>(~(1u << input));
}

Bytes DeviceModel::TakeReport() {
    Advance();
    const double now = double(Now());
    Bytes report{StatusDone, m_activity, m_namurOpen, m_namurShort, TimeLimitFlagsAt(now), m_overflow};
    for (const Input& in : m_inputs)
        AppendUInt32(report, in.counter);
    for (const Input& in : m_inputs)
        AppendUInt32(report, in.interval);
    report.push_back(CurrentErrorFlagsNoAdvance(now));
    report.push_back(m_latched);
    report.push_back(m_dataSource);
    m_activity = 0;
    return report;
}

std::optional<Bytes> DeviceModel::Answer(const Bytes& requestPayload) {
    if (requestPayload.empty()) return std::nullopt;
    if (requestPayload.size() < 2 || requestPayload[0] != CommandGroup)
        return StatusOnly(StatusMalformedRequest);
    const std::size_t size = requestPayload.size();
    switch (requestPayload[1]) {
    case 1:
        if (size == 2) {
            Bytes answer{StatusDone};
            const Bytes block = m_settings.Encode();
            answer.insert(answer.end(), block.begin(), block.end());
            answer.push_back(m_dataSource);
            return answer;
        }
        break;
    case 2:
        if (size == 2) {
            Bytes answer{StatusDone};
            const Bytes block = m_defaults.Encode();
            answer.insert(answer.end(), block.begin(), block.end());
            return answer;
        }
        break;
    case 3:
        if (size == 2 + SettingsRecord::BlockSize) return WriteSettings(requestPayload);
        break;
    case 4:
        if (size == 2) return TakeReport();
        break;
    case 5:
        if (size == 2) {
            Advance();
            m_latched = 0;
            return TakeReport();
        }
        break;
    case 6:
        if (size == 3 + 4 * InputCount) return PresetCounters(requestPayload);
        break;
    case 7:
        if (size == 2) {
            Advance();
            m_settings = m_defaults;
            constexpr auto firstInitBits = static_cast<std::uint8_t>(ErrorInvalidSettings | ErrorLostCounts);
            m_errorFlags &= static_cast<std::uint8_t>(~firstInitBits);
            m_latched &= static_cast<std::uint8_t>(~firstInitBits);
            return StatusOnly(StatusDone);
        }
        break;
    default:
        break;
    }
    return StatusOnly(StatusMalformedRequest);
}

Bytes DeviceModel::WriteSettings(const Bytes& payload) {
    const auto record = SettingsRecord::Decode(std::span(payload).subspan(2));
    if (!record || !record->IsUsable()) return StatusOnly(StatusParameterError);
    Advance();
    if (!m_writesIgnored) m_settings = *record;
    return StatusOnly(StatusDone);
}

Bytes DeviceModel::PresetCounters(const Bytes& payload) {
    const std::uint8_t mask = payload[2];
    // All or nothing: a value the device cannot take refuses the whole request, so no counter is left
    // half-preset.
    for (int i = 0; i < InputCount; ++i) {
        if ((mask & (1u << i)) && ReadUInt32(payload, 3 + 4 * std::size_t(i)) > MaxPresetValue)
            return StatusOnly(StatusParameterError);
    }
    for (int i = 0; i < InputCount; ++i) {
        if (mask & (1u << i)) SetCounter(i, ReadUInt32(payload, 3 + 4 * std::size_t(i)));
    }
    return TakeReport();
}

} // namespace zeph::sim
