// SPDX-License-Identifier: MIT
// SIGTERM, SIGINT and SIGHUP as a Qt signal on the thread that made this object, so that a front end ends
// the way its user would end it (port closed, files written) instead of dying where it stands.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace zeph::session {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Catches the three signals from now until destruction, which puts back what was there before. One
    // object at a time: a second one catches nothing (IsCatching() is false).
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool IsCatching() const { return m_notifier != nullptr; }

    // "SIGTERM", "SIGINT", "SIGHUP", "SIGPIPE", else "signal N".
    static QString SignalName(int signal);

    // Ends the process by the signal's default action, after the caller has cleaned up: a calling shell
    // then sees how the program ended, so a loop around it stops at Ctrl-C.
    [[noreturn]] static void EndBySignal(int signal);

signals:
    // One of the three signals arrived. Should the event loop not pick a signal up before the next one
    // arrives (the program hangs), that next one takes its default action and ends the program.
    void Received(int signal);

private:
    void TakePending();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace zeph::session
