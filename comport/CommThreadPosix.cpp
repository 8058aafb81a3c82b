// SPDX-License-Identifier: MIT
// The receive thread on POSIX systems: poll() on the port and an eventfd; never reads. Characters that
// come in a stretch are handed over in one piece.
#include "comport/CommThread.h"
#include "comport/PortHolders.h"
#include "comport/PortIo.h"

#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zeph::comport {

namespace {

// Real UARTs have no event for a modem-line change that poll() can wait on, so they are sampled this
// often; ports without modem lines (pseudo-terminals) wait without a time limit.
constexpr int modemSampleMs = 50;

// Characters waiting for room in the driver's queue; a request frame is at most 512 characters.
constexpr qsizetype MaxPendingOutput = 1024 * 1024;

// Characters that come in a stretch are handed over together: the thread waits until the line has been
// quiet for two character times (at least a millisecond), but holds nothing longer than HoldLimitNs nor
// more than HoldLimitCharacters. A line that delivers character by character then costs the window one
// hand-over per stretch instead of one per character. While characters keep coming, the thread looks
// again after twice the time it waited before, up to MaxLookNs: fewer wake-ups of its own, for at most
// that much delay at the end of a stretch. Hand-overs stay well under the engine's quiet-line time
// (20 ms) apart, so a long answer is never mistaken for one that has stopped.
constexpr long long MinQuietNs = 1'000'000;
constexpr long long MaxLookNs = 2'000'000;
constexpr long long HoldLimitNs = 5'000'000;
constexpr int HoldLimitCharacters = 4096;

long long NowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

int Waiting(int fd) {
    int waiting = 0;
    return ::ioctl(fd, FIONREAD, &waiting) == 0 ? waiting : 0;
}

} // namespace

TCommThread::TCommThread(const QString& port) {
    // Checked before the open: an open alone moves DTR and RTS under the other program's feet.
    errorText_ = RefusalBeforeOpen(port);
    if (!errorText_.isEmpty()) return;
    int error = 0;
    fd_ = OpenPortExclusive(port, true, &error);
    if (fd_ < 0) {
        errorText_ = OpenFailureReason(port, error);
        return;
    }
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    PurgeAndDropLines();
}

TCommThread::~TCommThread() {
    Stop();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

QString TCommThread::ErrorText() const {
    return errorText_;
}

void TCommThread::SetParams(int baud, int dataBits, TParity parity, TStopBit stopBits) {
    if (fd_ >= 0) ApplyLineSettings(fd_, baud, dataBits, parity, stopBits);
    // Ten bits a character is near enough for every framing: only the quiet gap is derived from it.
    if (baud > 0) quietNs_ = std::max(MinQuietNs, 2 * 10 * 1'000'000'000LL / baud);
}

bool TCommThread::WaitForQuietLine() {
    const long long start = NowNs();
    int before = Waiting(fd_);
    long long look = quietNs_;
    for (;;) {
        const long long left = HoldLimitNs - (NowNs() - start);
        if (left <= 0 || before >= HoldLimitCharacters) return true;
        // Waits on the wake-up descriptor alone, so Stop ends the wait at once.
        const long long waitNs = std::min(look, left);
        look = std::max(look, std::min(2 * look, MaxLookNs));
        pollfd wake{wakeFd_, POLLIN, 0};
        const timespec timeout{time_t(waitNs / 1'000'000'000), long(waitNs % 1'000'000'000)};
        if (::ppoll(&wake, 1, &timeout, nullptr) > 0) return false;
        const int now = Waiting(fd_);
        if (now == before) return true;
        before = now;
    }
}

void TCommThread::PurgeAndDropLines() {
    if (fd_ < 0) return;
    ::tcflush(fd_, TCIOFLUSH);
    SetModemLines(fd_, TIOCM_DTR | TIOCM_RTS, false);
}

void TCommThread::SetHandlers(DataHandler data, StatusHandler status) {
    dataHandler_ = std::move(data);
    statusHandler_ = std::move(status);
}

void TCommThread::Unhook() {
    dataHandler_ = nullptr;
    statusHandler_ = nullptr;
}

void TCommThread::Start(QObject* dispatchContext) {
    if (fd_ < 0 || wakeFd_ < 0 || thread_.joinable()) return;
    dispatchContext_ = dispatchContext;
    thread_ = std::thread([this] { Execute(); });
}

void TCommThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    handOverDone_.notify_all();
    WakeThread();
    // The thread waits for "done or stopping", never for the owning thread alone, so this join cannot
    // deadlock, not even when Stop runs inside a handler that a hand-over started.
    if (thread_.joinable()) thread_.join();
    ReleasePort();
}

void TCommThread::ReleasePort() {
    {
        std::lock_guard lock(outputMutex_);
        pendingOutput_.clear();
    }
    ClosePort(fd_);
    fd_ = -1;
}

void TCommThread::WakeThread() {
    if (wakeFd_ < 0) return;
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void TCommThread::Execute() {
    ModemSample lastModem = SampleModem(fd_);
    bool watchPort = true;

    for (;;) {
        bool wantOutput;
        {
            std::lock_guard lock(outputMutex_);
            wantOutput = !pendingOutput_.isEmpty();
        }
        pollfd fds[2] = {{wakeFd_, POLLIN, 0},
                         {watchPort ? fd_ : -1, short(POLLIN | (wantOutput ? POLLOUT : 0)), 0}};
        const int timeout = (watchPort && lastModem.valid) ? modemSampleMs : -1;
        const int ready = ::poll(fds, 2, timeout);
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
        }
        if (ready < 0) {
            if (errno == EINTR) continue;
            // An unusable poll set: stop watching the port rather than spin on the failure.
            watchPort = false;
            continue;
        }
        if (fds[0].revents & POLLIN) {
            quint64 count;
            [[maybe_unused]] const ssize_t drained = ::read(wakeFd_, &count, sizeof count);
        }

        quint32 mask = 0;
        const quint32 statusBefore = lastModem.status;
        const short portEvents = fds[1].revents;
        if (portEvents & (POLLHUP | POLLERR | POLLNVAL)) {
            // A hang-up is reported again at once forever: deliver what is waiting, then stop watching
            // the descriptor and wait on the eventfd alone.
            watchPort = false;
            {
                std::lock_guard lock(outputMutex_);
                pendingOutput_.clear();
            }
            int waiting = 0;
            if (::ioctl(fd_, FIONREAD, &waiting) == 0 && waiting > 0) mask |= EvRxChar;
            mask |= EvHangUp;
        } else {
            if ((portEvents & POLLIN) && !WaitForQuietLine()) continue; // woken: stopping or writing
            if (portEvents & POLLIN) mask |= EvRxChar;
            if (portEvents & POLLOUT) FlushPendingOutput();
            if (lastModem.valid) {
                const ModemSample now = SampleModem(fd_);
                mask |= ModemEvents(lastModem, now);
                lastModem = now;
            }
        }
        if (mask != 0) HandOver(mask, statusBefore);
    }
}

void TCommThread::HandOver(quint32 mask, quint32 status) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        eventMask_ = mask;
        modemStatus_ = status;
        dispatchPending_ = true;
    }
    // The call finds nothing to do when this object is gone, and holds the object alive while it runs, so
    // a handler that closes the port cannot pull the object away from under Dispatch.
    QMetaObject::invokeMethod(
        dispatchContext_,
        [weak = weak_from_this()] {
            if (const std::shared_ptr<TCommThread> self = weak.lock()) {
                self->Dispatch();
                {
                    std::lock_guard lock(self->mutex_);
                    self->dispatchPending_ = false;
                }
                self->handOverDone_.notify_all();
            }
        },
        Qt::QueuedConnection);

    // The next wait starts only after Dispatch has read what was waiting.
    std::unique_lock lock(mutex_);
    handOverDone_.wait(lock, [this] { return !dispatchPending_ || stopping_; });
}

void TCommThread::Dispatch() {
    quint32 mask;
    quint32 status;
    {
        std::lock_guard lock(mutex_);
        mask = eventMask_;
        status = modemStatus_;
    }
    int waiting = 0;
    if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &waiting) != 0) waiting = 0;

    // Copies: a handler that closes the port unhooks the originals while they run.
    if (mask & EvRxChar) {
        const DataHandler data = dataHandler_;
        if (data) data(waiting);
        mask &= ~EvRxChar;
    }
    const StatusHandler statusHandler = statusHandler_;
    if (mask != 0 && statusHandler) statusHandler(mask, status);
}

int TCommThread::Read(char* buffer, int count) {
    if (fd_ < 0 || count <= 0) return 0;
    const ssize_t got = ::read(fd_, buffer, size_t(count));
    return got > 0 ? int(got) : 0;
}

void TCommThread::Write(const QByteArray& data) {
    if (fd_ < 0 || data.isEmpty()) return;
    std::lock_guard lock(outputMutex_);
    if (!pendingOutput_.isEmpty()) {
        // A line that takes nothing (a stalled peer) must not make the backlog grow without bound.
        if (pendingOutput_.size() + data.size() <= MaxPendingOutput) pendingOutput_.append(data);
        return;
    }
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd_, data.constData() + done, size_t(data.size() - done));
        if (written > 0) {
            done += written;
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EAGAIN) {
            // The driver's queue is full: the thread writes the rest as room appears.
            pendingOutput_ = data.mid(done);
            WakeThread();
            return;
        } else {
            return; // a dead line: write errors are not reported
        }
    }
}

void TCommThread::FlushPendingOutput() {
    std::lock_guard lock(outputMutex_);
    while (!pendingOutput_.isEmpty()) {
        const ssize_t written = ::write(fd_, pendingOutput_.constData(), size_t(pendingOutput_.size()));
        if (written > 0) {
            pendingOutput_.remove(0, written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EAGAIN) {
            return;
        } else {
            pendingOutput_.clear();
        }
    }
}

void TCommThread::SetDTR(bool on) {
    SetModemLines(fd_, TIOCM_DTR, on);
}

void TCommThread::SetRTS(bool on) {
    SetModemLines(fd_, TIOCM_RTS, on);
}

} // namespace zeph::comport
