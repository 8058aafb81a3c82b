// SPDX-License-Identifier: MIT
// The time a counter report is stamped with: the wall clock at the local zone's offset.
#pragma once

#include <QDateTime>

namespace zeph::counters {

// Asking for local time makes the C library look at the zone file again each time (a file-system call per
// report); this clock reads the UTC clock and looks the zone's offset up once a minute. A stamp taken in
// the minute after a change of summer time carries the old offset: the same instant, written in the old
// wall-clock form.
class ReportClock {
public:
    // Now, with a fixed UTC offset (so comparing two stamps is arithmetic, not a zone lookup).
    QDateTime Now();

private:
    qint64 m_offsetCheckedMs = 0;
    int m_offsetSeconds = 0;
    bool m_checked = false;
};

} // namespace zeph::counters
