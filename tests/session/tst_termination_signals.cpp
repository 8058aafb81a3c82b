// SPDX-License-Identifier: MIT
// The termination signals: each of the three reaches the event loop as a Qt signal instead of ending the
// process, the earlier handling comes back afterwards, and a front end can still end by the signal.
#include "session/TerminationSignals.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using zeph::session::TerminationSignals;

namespace {

void (*CurrentHandler(int signal))(int) {
    struct sigaction current {};
    ::sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

void IgnoreSignal(int) {}

} // namespace

class TestTerminationSignals : public QObject {
    Q_OBJECT
private slots:
    void signalReachesTheEventLoop_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT (Ctrl-C)") << int(SIGINT);
        QTest::newRow("SIGHUP (terminal gone)") << int(SIGHUP);
    }
    void signalReachesTheEventLoop() {
        QFETCH(int, signal);
        const auto before = CurrentHandler(signal);
        {
            TerminationSignals termination;
            QVERIFY(termination.IsCatching());
            QVERIFY(CurrentHandler(signal) != before);
            QSignalSpy received(&termination, &TerminationSignals::Received);
            // Without the handler this would end the test program here.
            QCOMPARE(::raise(signal), 0);
            QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 5000);
            QCOMPARE(received.at(0).at(0).toInt(), signal);
            // Picked up: the next one is delivered too, rather than ending the program.
            QCOMPARE(::raise(signal), 0);
            QTRY_COMPARE_WITH_TIMEOUT(received.size(), 2, 5000);
        }
        // The test framework's own handler is back.
        QVERIFY(CurrentHandler(signal) == before);
    }

    void onlyOneCatcherAtATime() {
        TerminationSignals first;
        TerminationSignals second;
        QVERIFY(first.IsCatching());
        QVERIFY(!second.IsCatching());
    }

    // After cleaning up, a front end ends by the signal that stopped it, even one it caught or ignored,
    // so that a shell sees the signal.
    void endsBySignal_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("ignoredBefore");
        QTest::newRow("SIGINT, caught before") << int(SIGINT) << false;
        QTest::newRow("SIGTERM, caught before") << int(SIGTERM) << false;
        QTest::newRow("SIGPIPE, ignored before") << int(SIGPIPE) << true;
    }
    void endsBySignal() {
        QFETCH(int, signal);
        QFETCH(bool, ignoredBefore);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::signal(signal, ignoredBefore ? SIG_IGN : IgnoreSignal);
            TerminationSignals::EndBySignal(signal);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), signal);
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_termination_signals.moc"
