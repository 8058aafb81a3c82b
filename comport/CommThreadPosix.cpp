// SPDX-License-Identifier: MIT
// The receive thread on POSIX systems: poll() on the port and an eventfd; never reads. An expected answer
// is handed over in one piece when it is all in, and characters that come unasked in a stretch once the
// stretch has ended.
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

TCommThread::TCommThread(const QString& port, bool checkHolders) {
    // Checked before the open: an open alone moves DTR and RTS under the other program's feet.
    m_errorText = RefusalBeforeOpen(port, checkHolders);
    if (!m_errorText.isEmpty()) return;
    int error = 0;
    m_fd = OpenPortExclusive(port, true, &error);
    if (m_fd < 0) {
        m_errorText = OpenFailureReason(port, error);
        return;
    }
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    PurgeAndDropLines();
}

TCommThread::~TCommThread() {
    Stop();
    if (m_wakeFd >= 0) ::close(m_wakeFd);
}

QString TCommThread::ErrorText() const {
    return m_errorText;
}

void TCommThread::SetParams(int baud, int dataBits, TParity parity, TStopBit stopBits) {
    if (m_fd >= 0) ApplyLineSettings(m_fd, baud, dataBits, parity, stopBits);
    // Ten bits a character is near enough for every framing: only the waits are derived from it.
    if (baud > 0) {
        m_characterNs = 10 * 1'000'000'000LL / baud;
        m_quietNs = std::max(MinQuietNs, 2 * m_characterNs);
    }
}

void TCommThread::Expect(int characters, long long deadlineNs) {
    {
        std::lock_guard lock(m_mutex);
        m_expected = std::max(characters, 0);
        m_expectedByNs = deadlineNs;
    }
    // Not woken for it: the first character of the answer wakes the thread, which takes the hint then.
}

bool TCommThread::Sleep(long long ns) {
    pollfd wake{m_wakeFd, POLLIN, 0};
    const timespec timeout{time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
    return ::ppoll(&wake, 1, &timeout, nullptr) <= 0;
}

bool TCommThread::WaitForExpected(int expected, long long deadlineNs) {
    int before = Waiting(m_fd);
    for (;;) {
        const long long left = deadlineNs - NowNs();
        if (before >= expected || left <= 0) return true;
        // The rest takes this long on the line; a character's time more, and it is all there.
        const long long restNs = (expected - before + 1) * m_characterNs;
        if (!Sleep(std::min(restNs, left))) return false;
        const int now = Waiting(m_fd);
        // Nothing came for the time of the whole rest: the answer is shorter than expected.
        if (now == before) return true;
        before = now;
    }
}

bool TCommThread::WaitForQuietLine() {
    const long long start = NowNs();
    int before = Waiting(m_fd);
    long long look = m_quietNs;
    for (;;) {
        const long long left = HoldLimitNs - (NowNs() - start);
        if (left <= 0 || before >= HoldLimitCharacters) return true;
        // Waits on the wake-up descriptor alone, so Stop ends the wait at once.
        const long long waitNs = std::min(look, left);
        look = std::max(look, std::min(2 * look, MaxLookNs));
        if (!Sleep(waitNs)) return false;
        const int now = Waiting(m_fd);
        if (now == before) return true;
        before = now;
    }
}

void TCommThread::PurgeAndDropLines() {
    if (m_fd < 0) return;
    ::tcflush(m_fd, TCIOFLUSH);
    SetModemLines(m_fd, TIOCM_DTR | TIOCM_RTS, false);
}

void TCommThread::SetHandlers(DataHandler data, StatusHandler status) {
    m_dataHandler = std::move(data);
    m_statusHandler = std::move(status);
}

void TCommThread::Unhook() {
    m_dataHandler = nullptr;
    m_statusHandler = nullptr;
}

void TCommThread::Start(QObject* dispatchContext) {
    if (m_fd < 0 || m_wakeFd < 0 || m_thread.joinable()) return;
    m_dispatchContext = dispatchContext;
    m_thread = std::thread([this] { Execute(); });
}

void TCommThread::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_handOverDone.notify_all();
    WakeThread();
    // The thread waits for "done or stopping", never for the owning thread alone, so this join cannot
    // deadlock, not even when Stop runs inside a handler that a hand-over started.
    if (m_thread.joinable()) m_thread.join();
    ReleasePort();
}

void TCommThread::ReleasePort() {
    {
        std::lock_guard lock(m_outputMutex);
        m_pendingOutput.clear();
    }
    ClosePort(m_fd);
    m_fd = -1;
}

void TCommThread::WakeThread() {
    if (m_wakeFd < 0) return;
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
}

void TCommThread::Execute() {
    ModemSample lastModem = SampleModem(m_fd);
    bool watchPort = true;

    for (;;) {
        bool wantOutput;
        {
            std::lock_guard lock(m_outputMutex);
            wantOutput = !m_pendingOutput.isEmpty();
        }
        int expected;
        long long expectedByNs;
        {
            std::lock_guard lock(m_mutex);
            expected = m_expected;
            expectedByNs = m_expectedByNs;
        }
        // While an answer is expected, the wait ends at its deadline at the latest: what has come by then is
        // handed over, so a late, short or spoiled answer is judged as it would be anyway.
        const long long untilDeadlineNs = expected > 0 ? expectedByNs - NowNs() : -1;
        const bool deadlinePassed = expected > 0 && untilDeadlineNs <= 0;
        int timeout = (watchPort && lastModem.valid) ? modemSampleMs : -1;
        if (expected > 0 && !deadlinePassed) {
            const int deadlineMs = int((untilDeadlineNs + 999'999) / 1'000'000);
            timeout = timeout < 0 ? deadlineMs : std::min(timeout, deadlineMs);
        }
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0},
                         {watchPort ? m_fd : -1, short(POLLIN | (wantOutput ? POLLOUT : 0)), 0}};
        const int ready = deadlinePassed ? 0 : ::poll(fds, 2, timeout);
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) return;
            // At the deadline the expectation ends: what came is handed over, what comes later in stretches.
            if (expected > 0 && NowNs() >= m_expectedByNs && m_expectedByNs == expectedByNs) {
                m_expected = 0;
                if (watchPort && Waiting(m_fd) > 0) fds[1].revents |= POLLIN;
            }
        }
        if (ready < 0) {
            if (errno == EINTR) continue;
            // An unusable poll set: stop watching the port rather than spin on the failure.
            watchPort = false;
            continue;
        }
        if (fds[0].revents & POLLIN) {
            quint64 count;
            [[maybe_unused]] const ssize_t drained = ::read(m_wakeFd, &count, sizeof count);
        }

        quint32 mask = 0;
        const quint32 statusBefore = lastModem.status;
        const short portEvents = fds[1].revents;
        if (portEvents & (POLLHUP | POLLERR | POLLNVAL)) {
            // A hang-up is reported again at once forever: deliver what is waiting, then stop watching
            // the descriptor and wait on the eventfd alone.
            watchPort = false;
            {
                std::lock_guard lock(m_outputMutex);
                m_pendingOutput.clear();
            }
            int waiting = 0;
            if (::ioctl(m_fd, FIONREAD, &waiting) == 0 && waiting > 0) mask |= EvRxChar;
            mask |= EvHangUp;
        } else {
            if (portEvents & POLLIN) {
                int stillExpected;
                long long by;
                {
                    std::lock_guard lock(m_mutex);
                    stillExpected = m_expected;
                    by = m_expectedByNs;
                }
                const bool waited =
                    stillExpected > 0 ? WaitForExpected(stillExpected, by) : WaitForQuietLine();
                if (!waited) continue; // woken: stopping, writing or a new hint
                mask |= EvRxChar;
            }
            if (portEvents & POLLOUT) FlushPendingOutput();
            if (lastModem.valid) {
                const ModemSample now = SampleModem(m_fd);
                mask |= ModemEvents(lastModem, now);
                lastModem = now;
            }
        }
        if (mask != 0) HandOver(mask, statusBefore);
    }
}

void TCommThread::HandOver(quint32 mask, quint32 status) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) return;
        m_eventMask = mask;
        m_modemStatus = status;
        m_dispatchPending = true;
    }
    // The call finds nothing to do when this object is gone, and holds the object alive while it runs, so
    // a handler that closes the port cannot pull the object away from under Dispatch.
    QMetaObject::invokeMethod(
        m_dispatchContext,
        [weak = weak_from_this()] {
            if (const std::shared_ptr<TCommThread> self = weak.lock()) {
                self->Dispatch();
                {
                    std::lock_guard lock(self->m_mutex);
                    self->m_dispatchPending = false;
                }
                self->m_handOverDone.notify_all();
            }
        },
        Qt::QueuedConnection);

    // The next wait starts only after Dispatch has read what was waiting.
    std::unique_lock lock(m_mutex);
    m_handOverDone.wait(lock, [this] { return !m_dispatchPending || m_stopping; });
}

void TCommThread::Dispatch() {
    quint32 mask;
    quint32 status;
    {
        std::lock_guard lock(m_mutex);
        mask = m_eventMask;
        status = m_modemStatus;
    }
    int waiting = 0;
    if (m_fd < 0 || ::ioctl(m_fd, FIONREAD, &waiting) != 0) waiting = 0;

    // What is handed over no longer counts as expected.
    if ((mask & EvRxChar) && waiting > 0) {
        std::lock_guard lock(m_mutex);
        m_expected = std::max(0, m_expected - waiting);
    }
    // Copies: a handler that closes the port unhooks the originals while they run.
    if (mask & EvRxChar) {
        const DataHandler data = m_dataHandler;
        if (data) data(waiting);
        mask &= ~EvRxChar;
    }
    const StatusHandler statusHandler = m_statusHandler;
    if (mask != 0 && statusHandler) statusHandler(mask, status);
}

int TCommThread::Read(char* buffer, int count) {
    if (m_fd < 0 || count <= 0) return 0;
    const ssize_t got = ::read(m_fd, buffer, size_t(count));
    return got > 0 ? int(got) : 0;
}

void TCommThread::Write(const QByteArray& data) {
    if (m_fd < 0 || data.isEmpty()) return;
    std::lock_guard lock(m_outputMutex);
    if (!m_pendingOutput.isEmpty()) {
        // A line that takes nothing (a stalled peer) must not make the backlog grow without bound.
        if (m_pendingOutput.size() + data.size() <= MaxPendingOutput) m_pendingOutput.append(data);
        return;
    }
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(m_fd, data.constData() + done, size_t(data.size() - done));
        if (written > 0) {
            done += written;
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EAGAIN) {
            // The driver's queue is full: the thread writes the rest as room appears.
            m_pendingOutput = data.mid(done);
            WakeThread();
            return;
        } else {
            return; // a dead line: write errors are not reported
        }
    }
}

void TCommThread::FlushPendingOutput() {
    std::lock_guard lock(m_outputMutex);
    while (!m_pendingOutput.isEmpty()) {
        const ssize_t written = ::write(m_fd, m_pendingOutput.constData(), size_t(m_pendingOutput.size()));
        if (written > 0) {
            m_pendingOutput.remove(0, written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EAGAIN) {
            return;
        } else {
            m_pendingOutput.clear();
        }
    }
}

void TCommThread::SetDTR(bool on) {
    SetModemLines(m_fd, TIOCM_DTR, on);
}

void TCommThread::SetRTS(bool on) {
    SetModemLines(m_fd, TIOCM_RTS, on);
}

} // namespace zeph::comport
