// SPDX-License-Identifier: MIT
#include "counters/ReportClock.h"

namespace zeph::counters {

namespace {
constexpr qint64 OffsetCheckMs = 60 * 1000;
} // namespace

QDateTime ReportClock::Now() {
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    const qint64 ms = utc.toMSecsSinceEpoch();
    if (!m_checked || ms - m_offsetCheckedMs >= OffsetCheckMs || ms < m_offsetCheckedMs) {
        m_offsetSeconds = utc.toLocalTime().offsetFromUtc();
        m_offsetCheckedMs = ms;
        m_checked = true;
    }
    return utc.toOffsetFromUtc(m_offsetSeconds);
}

} // namespace zeph::counters
