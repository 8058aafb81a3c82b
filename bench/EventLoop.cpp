// SPDX-License-Identifier: MIT
// The benchmark's waits: a local event loop ended by a timer.
#include "bench/EventLoop.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace zeph::bench {

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer check;
    check.setInterval(5);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() >= timeoutMs) loop.quit();
    });
    check.start();
    if (!done()) loop.exec();
    return done();
}

} // namespace zeph::bench
