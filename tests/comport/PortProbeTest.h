// SPDX-License-Identifier: MIT
// Tests of the port probe against a fake sysfs and /dev tree whose device nodes are pseudo-terminals,
// of the holder and permission rules beneath it (planted lock files too), and of the port watcher.
#pragma once

#include <QObject>

namespace zeph::comport::test {

class PortProbeTest : public QObject {
    Q_OBJECT

private slots:
    void scansAFakeTree();
    void heldPorts_data();
    void heldPorts();
    void permissionAdvice_data();
    void permissionAdvice();
    void procLocks_data();
    void procLocks();
    void uucpLock_data();
    void uucpLock();
    void watcherWakesOnlyForChanges();
    void naturalOrder_data();
    void naturalOrder();
    void copyListReversed_data();
    void copyListReversed();
};

} // namespace zeph::comport::test
