// The counter-preset request: which counters are set and to what, as the payload text the engine sends.
#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace zeph::counters {

// The largest value a counter can be preset to; the counters themselves run up to 4294967295.
constexpr quint32 MaxPresetValue = 3999999999u;

// "4,6,<mask>" and eight groups of four value bytes, least significant first; an unselected counter
// (no value) sends four zeros and leaves its mask bit clear.
QString CounterPresetPayload(const std::array<std::optional<quint32>, 8>& selected);

} // namespace zeph::counters
