// SPDX-License-Identifier: MIT
// Totals that never go backwards: per input a 64-bit count that follows the device's 32-bit counter across
// its wrap and across a counter that drops (a preset, lost counts, a replaced device), kept as JSON so that
// a restart continues them.
//
// The device's counter wraps modulo 2^32 and keeps its overflow flag set until a preset. A reading lower
// than the one before is a wrap when the flag is set and the fall exceeds 2^31: the total goes on by the
// pulses across the wrap. Any other fall is a drop: the total stays and goes on from the new reading.
#pragma once

#include "device/DevicePayloads.h"

#include <QJsonObject>

#include <array>
#include <optional>

namespace zeph::counters {

enum class TotalStep {
    First,   // the first reading: the total starts at it (or goes on from a restored one, see Restore)
    Counted, // the counter rose (or stood): the total rose by as much
    Wrapped, // the counter wrapped past 2^32 - 1: the total rose by the pulses across the wrap
    Dropped, // the counter fell otherwise: the total stays, and follows the counter from here
};

class CounterTotals {
public:
    // Takes a report; says per input (0..7) what its counter did.
    std::array<TotalStep, device::InputCount> Take(const device::CounterStatusReport& report);

    quint64 Total(int input) const { return m_inputs.at(std::size_t(input)).total; }
    std::optional<quint32> LastReading(int input) const { return m_inputs.at(std::size_t(input)).last; }

    // {"inputs": [{"total": "123", "last": 45}, ...]}: totals as decimal text, since JSON numbers lose
    // integers above 2^53.
    QJsonObject ToJson() const;
    // The totals of ToJson; false (and nothing changed) when the object is not such.
    bool Restore(const QJsonObject& json);

private:
    struct Input {
        quint64 total = 0;
        std::optional<quint32> last;
    };
    std::array<Input, device::InputCount> m_inputs{};
};

} // namespace zeph::counters
