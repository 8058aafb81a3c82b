// SPDX-License-Identifier: MIT
// A pseudo-terminal pair with raw termios on the master side.
#include "PtyPair.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zeph::comport::test {

PtyPair::PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) return;
    slavePath_ = QString::fromLocal8Bit(name);
    termios settings{};
    if (::tcgetattr(master_, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(master_, TCSANOW, &settings);
    }
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

PtyPair::~PtyPair() {
    if (slave_ >= 0) ::close(slave_);
    CloseMaster();
}

void PtyPair::Send(const QByteArray& data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(master_, data.constData() + done, size_t(data.size() - done));
        if (written > 0)
            done += written;
        else if (written < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}

QByteArray PtyPair::Receive() {
    QByteArray result;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        if (got <= 0) break;
        result.append(buffer, got);
    }
    return result;
}

int PtyPair::SlaveQueued() const {
    int queued = -1;
    ::ioctl(slave_, FIONREAD, &queued);
    return queued;
}

bool PtyPair::WaitUntilQueued(int count, int timeoutMs) const {
    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        if (SlaveQueued() >= count) return true;
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const long elapsedMs = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (elapsedMs >= timeoutMs) return false;
        // Input arriving wakes this at once; the short limit covers a chunk that arrives in parts.
        pollfd slave{slave_, POLLIN, 0};
        ::poll(&slave, 1, SlaveQueued() > 0 ? 5 : int(timeoutMs - elapsedMs));
    }
}

void PtyPair::CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

} // namespace zeph::comport::test
