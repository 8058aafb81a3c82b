// SPDX-License-Identifier: MIT
// The simulated pulse collector's state and its answers to operations 1 to 7. Pure: no I/O, no locking;
// time comes from an injected clock so tests can move it.
#pragma once

#include "sim/LineCodec.h"
#include "sim/SettingsRecord.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace zeph::sim {

class DeviceModel {
public:
    // Milliseconds on any monotonic scale.
    using Clock = std::function<std::uint64_t()>;

    static constexpr int InputCount = 8;
    static constexpr std::uint32_t NoInterval = 0xFFFFFFFFu;
    static constexpr std::uint32_t MaxPresetValue = 3999999999u;
    static constexpr std::size_t ReportSize = 73;

    // Status bytes of the device.
    static constexpr std::uint8_t StatusDone = 0;
    static constexpr std::uint8_t StatusParameterError = 1;
    static constexpr std::uint8_t StatusEepromError = 2;
    static constexpr std::uint8_t StatusWrongDevice = 0x81;
    // Answer to a payload the device cannot parse (wrong length, first byte not 4, unknown code).
    static constexpr std::uint8_t StatusMalformedRequest = 0xFE;

    // Error flag bits (current and latched bytes).
    static constexpr std::uint8_t ErrorInvalidSettings = 0x01;
    static constexpr std::uint8_t ErrorLostCounts = 0x02;
    static constexpr std::uint8_t ErrorNamurPower = 0x04;
    static constexpr std::uint8_t ErrorModbusModule = 0x08;
    static constexpr std::uint8_t ErrorNotModbusModule = 0x10;
    static constexpr std::uint8_t ErrorNamurInput = 0x20;
    static constexpr std::uint8_t ErrorCounterOverflow = 0x40;
    static constexpr std::uint8_t ErrorTimeLimit = 0x80;

    static constexpr std::uint8_t DataSourceEeprom1 = 11;

    // Without a clock the model uses the steady system clock.
    explicit DeviceModel(Clock clock = {});

    // The response payload (status byte first) for a request payload; nothing for an empty payload,
    // which carries no question at all.
    std::optional<Bytes> Answer(const Bytes& requestPayload);

    // The 73-byte counter/status report as of now; building it ends the activity period of every input.
    Bytes TakeReport();

    const SettingsRecord& Settings() const { return m_settings; }
    // Stored as given, without the check a write request gets (tests use it to set odd values).
    void SetSettings(const SettingsRecord& settings) { m_settings = settings; }
    const SettingsRecord& FactoryDefaults() const { return m_defaults; }
    void SetFactoryDefaults(const SettingsRecord& defaults) { m_defaults = defaults; }

    // A device whose memory does not keep a write: it acknowledges a usable settings write with status 0
    // and goes on with its old record, which only a read-back shows.
    void SetWritesIgnored(bool ignored) { m_writesIgnored = ignored; }

    std::uint8_t DataSource() const { return m_dataSource; }
    void SetDataSource(std::uint8_t code) { m_dataSource = code; }

    // Pulses per second on an input (0 = idle); the first pulse comes one period after the call.
    void SetPulseRate(int input, double pulsesPerSecond);
    double PulseRate(int input) const { return m_inputs.at(std::size_t(input)).rate; }

    // Inputs are numbered 0..7 here.
    std::uint32_t Counter(int input);
    std::uint32_t Interval(int input);
    // Sets a counter as a preset request would (also ends its overflow state).
    void SetCounter(int input, std::uint32_t value);

    void SetNamurOpenCircuit(std::uint8_t inputMask) { m_namurOpen = inputMask; }
    void SetNamurShortCircuit(std::uint8_t inputMask) { m_namurShort = inputMask; }

    // Error conditions that have no simulated cause of their own (bits 0..4, or any bit).
    void SetErrorFlags(std::uint8_t flags) { m_errorFlags = flags; }
    // Current flags: the set ones plus bit 5 for any NAMUR fault, bit 6 for any counter overflow and
    // bit 7 for any input past its time limit.
    std::uint8_t CurrentErrorFlags();
    // Every current flag latches here until a clear request (or the first initialization for bits 0, 1).
    std::uint8_t LatchedErrorFlags();

    std::uint8_t TimeLimitFlags();
    std::uint8_t OverflowFlags() {
        Advance();
        return m_overflow;
    }
    std::uint8_t ActivityFlags() {
        Advance();
        return m_activity;
    }

private:
    struct Input {
        double rate = 0;
        double periodMs = 0;
        double nextPulseAt = 0; // ms on the clock's scale
        std::uint32_t counter = 0;
        std::uint32_t interval = NoInterval;
        std::optional<double> lastPulseAt;
        double observedSince = 0; // the time-limit check starts here before the first pulse
    };

    // Counts the pulses due by now and latches the current flags.
    void Advance();
    std::uint64_t Now() const;
    std::uint8_t TimeLimitFlagsAt(double now) const;
    std::uint8_t CurrentErrorFlagsNoAdvance(double now) const;
    Bytes StatusOnly(std::uint8_t status) const { return {status}; }
    Bytes WriteSettings(const Bytes& payload);
    Bytes PresetCounters(const Bytes& payload);

    Clock m_clock;
    SettingsRecord m_settings = SettingsRecord::FactoryDefaults();
    SettingsRecord m_defaults = SettingsRecord::FactoryDefaults();
    std::uint8_t m_dataSource = DataSourceEeprom1;
    std::array<Input, InputCount> m_inputs{};
    std::uint8_t m_activity = 0;
    std::uint8_t m_overflow = 0;
    std::uint8_t m_namurOpen = 0;
    std::uint8_t m_namurShort = 0;
    std::uint8_t m_errorFlags = 0;
    std::uint8_t m_latched = 0;
    bool m_writesIgnored = false;
};

} // namespace zeph::sim
