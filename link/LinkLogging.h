// SPDX-License-Identifier: MIT
// The link's logging category, "zeph.link": every frame sent and received as line characters in hex, each
// answer accepted or rejected with its reason, retries and time-outs. Off unless QT_LOGGING_RULES says so.
#pragma once

#include <QLoggingCategory>

namespace zeph::link {
Q_DECLARE_LOGGING_CATEGORY(lcLink)
}
