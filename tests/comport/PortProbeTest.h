// Tests of the port probe against a fake sysfs tree whose device nodes are pseudo-terminals.
#pragma once

#include <QObject>

namespace zeph::comport::test {

class PortProbeTest : public QObject {
    Q_OBJECT

private slots:
    void listsOpenableSerialPorts();
    void naturalOrder_data();
    void naturalOrder();
    void copyListReversed_data();
    void copyListReversed();
};

} // namespace zeph::comport::test
