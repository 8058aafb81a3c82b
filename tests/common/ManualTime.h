// SPDX-License-Identifier: MIT
// Lets time pass on a clock the test moves, a millisecond at a time, running what the event loop has
// queued at each step (no sleeping): for the engine, the operation machine and the session on such a clock.
#pragma once

#include "link/Clock.h"

#include <QCoreApplication>

#include <functional>

namespace zeph::test {

// Until done(), a minute on the clock at the most; whether done() came.
inline bool RunUntil(link::ManualClock& clock, const std::function<bool()>& done) {
    for (int ms = 0; ms < 60000; ++ms) {
        QCoreApplication::processEvents();
        if (done()) return true;
        clock.Advance(1);
    }
    return done();
}

inline void RunFor(link::ManualClock& clock, int ms) {
    const qint64 until = clock.NowUs() + qint64(ms) * 1000;
    RunUntil(clock, [&] { return clock.NowUs() >= until; });
}

} // namespace zeph::test
