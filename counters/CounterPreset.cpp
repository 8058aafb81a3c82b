// Building the counter-preset payload text.
#include "counters/CounterPreset.h"

#include "device/NumberCheck.h"

#include <QStringList>

namespace zeph::counters {

QString CounterPresetPayload(const std::array<std::optional<quint32>, 8>& selected) {
    unsigned mask = 0;
    QStringList values;
    for (int k = 0; k < 8; ++k) {
        if (selected[k]) {
            mask |= 1u << k;
            values << device::FormatUInt32Bytes(*selected[k]);
        } else {
            values << QStringLiteral("0,0,0,0");
        }
    }
    return QStringLiteral("4,6,%1,").arg(mask) + values.join(QLatin1Char(','));
}

} // namespace zeph::counters
