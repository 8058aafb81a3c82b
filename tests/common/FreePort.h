// SPDX-License-Identifier: MIT
// A free TCP port on 127.0.0.1 for the servers the tests start themselves.
#pragma once

#include <QTcpServer>

namespace zeph::testing {

// A TCP port nobody listens on now, on 127.0.0.1.
inline quint16 FreeLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace zeph::testing
