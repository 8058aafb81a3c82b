// SPDX-License-Identifier: MIT
// A pseudo-terminal pair for the serial port tests: the test plays the device on the master side.
#pragma once

#include <QByteArray>
#include <QString>

namespace zeph::comport::test {

class PtyPair {
public:
    // The slave is kept open by the test too, so the pair does not hang up between the component's
    // opens, and its input queue can be watched.
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool IsValid() const { return master_ >= 0 && slave_ >= 0; }
    QString SlavePath() const { return slavePath_; }
    // The test's own descriptor of the component's side: the line settings can be read through it.
    int SlaveFd() const { return slave_; }

    void Send(const QByteArray& data);
    // What the component has written so far and not yet been taken.
    QByteArray Receive();
    // Characters sent to the component that it has not read yet.
    int SlaveQueued() const;
    // Waits, without running the event loop (so the component cannot read meanwhile), until count
    // characters wait on the component's side; a chunk sent before is then read as one.
    bool WaitUntilQueued(int count, int timeoutMs = 5000) const;
    // The device side goes away: the component's side sees a hang-up.
    void CloseMaster();

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};

} // namespace zeph::comport::test
