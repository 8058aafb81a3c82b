// SPDX-License-Identifier: MIT
// The session's logging category.
#include "session/SessionLogging.h"

namespace zeph::session {
Q_LOGGING_CATEGORY(lcSession, "zeph.session", QtWarningMsg)
}
