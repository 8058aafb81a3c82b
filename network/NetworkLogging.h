// SPDX-License-Identifier: MIT
// The network line's logging category, "zeph.network": connect, drop, the Telnet negotiation, the far
// port's settings confirmed or refused, purges. Off unless QT_LOGGING_RULES says so.
#pragma once

#include <QLoggingCategory>

namespace zeph::network {
Q_DECLARE_LOGGING_CATEGORY(lcNetwork)
}
