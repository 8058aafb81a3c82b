// SPDX-License-Identifier: MIT
// Following each input's counter into its total.
#include "counters/CounterTotals.h"

#include <QJsonArray>

namespace zeph::counters {

std::array<TotalStep, device::InputCount> CounterTotals::Take(const device::CounterStatusReport& report) {
    constexpr quint64 Wrap = quint64(1) << 32;
    std::array<TotalStep, device::InputCount> steps{};
    for (int n = 0; n < device::InputCount; ++n) {
        Input& input = m_inputs[std::size_t(n)];
        const quint32 reading = report.counters[std::size_t(n)];
        TotalStep& step = steps[std::size_t(n)];
        if (!input.last) {
            step = TotalStep::First;
            // A fresh total starts where the device stands; a restored one goes on as if it had been read.
            if (input.total == 0) input.total = reading;
        } else if (reading >= *input.last) {
            step = TotalStep::Counted;
            input.total += reading - *input.last;
        } else if (device::InputFlag(report.overflow, n) && *input.last - reading > (Wrap >> 1)) {
            step = TotalStep::Wrapped;
            input.total += Wrap - *input.last + reading;
        } else {
            step = TotalStep::Dropped;
        }
        input.last = reading;
    }
    return steps;
}

QJsonObject CounterTotals::ToJson() const {
    QJsonArray inputs;
    for (const Input& input : m_inputs) {
        QJsonObject object{{"total", QString::number(input.total)}};
        if (input.last) object.insert("last", qint64(*input.last));
        inputs.append(object);
    }
    return {{"inputs", inputs}};
}

bool CounterTotals::Restore(const QJsonObject& json) {
    const QJsonArray inputs = json.value("inputs").toArray();
    if (inputs.size() != device::InputCount) return false;
    std::array<Input, device::InputCount> restored{};
    for (int n = 0; n < device::InputCount; ++n) {
        const QJsonObject object = inputs.at(n).toObject();
        bool ok = false;
        restored[std::size_t(n)].total = object.value("total").toString().toULongLong(&ok);
        if (!ok) return false;
        if (object.contains("last")) {
            const qint64 last = object.value("last").toInteger(-1);
            if (last < 0 || last > 0xFFFFFFFFll) return false;
            restored[std::size_t(n)].last = quint32(last);
        }
    }
    m_inputs = restored;
    return true;
}

} // namespace zeph::counters
