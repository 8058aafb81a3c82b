// SPDX-License-Identifier: MIT
// The termination signals through a self-pipe: the handler only writes the signal's number into a pipe,
// which a socket notifier reads on the owning thread.
#include "session/TerminationSignals.h"

#include "session/SessionLogging.h"

#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace zeph::session {

namespace {

constexpr std::array<int, 3> CaughtSignals{SIGTERM, SIGINT, SIGHUP};

// The handler may touch nothing but these: a pipe and a lock-free counter.
int g_pipe[2] = {-1, -1};
std::atomic<int> g_unread{0};
static_assert(std::atomic<int>::is_always_lock_free);
std::array<struct sigaction, CaughtSignals.size()> g_previous{};

void SetDefaultAction(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

void OnTerminationSignal(int signal) {
    const int savedErrno = errno;
    // An earlier signal still waits for the event loop: the program is stuck, so this one ends it. The
    // signal stays blocked until the handler returns, then its default action runs.
    if (g_unread.fetch_add(1) > 0) {
        SetDefaultAction(signal);
        ::raise(signal);
    } else {
        const char number = char(signal);
        [[maybe_unused]] const auto written = ::write(g_pipe[1], &number, 1);
    }
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent) {
    if (g_pipe[0] >= 0) {
        qCWarning(lcSession) << "termination signals are already caught elsewhere";
        return;
    }
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        qCWarning(lcSession) << "no pipe for the termination signals";
        return;
    }
    g_unread = 0;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::TakePending);

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : CaughtSignals)
        sigaddset(&action.sa_mask, signal);
    // Interrupted system calls go on: the event loop learns of the signal through the pipe.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < CaughtSignals.size(); ++i)
        ::sigaction(CaughtSignals[i], &action, &g_previous[i]);
    qCDebug(lcSession) << "catching SIGTERM, SIGINT and SIGHUP";
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier) return;
    for (std::size_t i = 0; i < CaughtSignals.size(); ++i)
        ::sigaction(CaughtSignals[i], &g_previous[i], nullptr);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::TakePending() {
    char numbers[16];
    const ssize_t count = ::read(g_pipe[0], numbers, sizeof numbers);
    g_unread = 0;
    for (ssize_t i = 0; i < count; ++i) {
        const int signal = numbers[i];
        qCDebug(lcSession).noquote() << SignalName(signal) << "received";
        emit Received(signal);
    }
}

QString TerminationSignals::SignalName(int signal) {
    switch (signal) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    case SIGPIPE:
        return QStringLiteral("SIGPIPE");
    default:
        return QStringLiteral("signal %1").arg(signal);
    }
}

void TerminationSignals::EndBySignal(int signal) {
    std::fflush(nullptr);
    SetDefaultAction(signal);
    sigset_t unblocked;
    sigemptyset(&unblocked);
    sigaddset(&unblocked, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &unblocked, nullptr);
    ::raise(signal);
    // Only reached for a signal whose default action is not to end the program.
    std::_Exit(128 + signal);
}

} // namespace zeph::session
