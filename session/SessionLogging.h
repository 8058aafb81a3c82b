// SPDX-License-Identifier: MIT
// The session's logging category, "zeph.session": the termination signals a front end catches and acts
// on. Off unless QT_LOGGING_RULES says so.
#pragma once

#include <QLoggingCategory>

namespace zeph::session {
Q_DECLARE_LOGGING_CATEGORY(lcSession)
}
