// SPDX-License-Identifier: MIT
// The gateway's logging category, "zeph.gateway": the broker connection coming and going, retries,
// messages sent and acknowledged, the spool's drops, failed writes and compactions.
#pragma once

#include <QLoggingCategory>

namespace zeph::gateway {
Q_DECLARE_LOGGING_CATEGORY(lcGateway)
}
