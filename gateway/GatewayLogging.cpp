// SPDX-License-Identifier: MIT
// The gateway's logging category. A service's connection coming and going is news for its journal, so
// this one says what it does at the information level by default; the detail stays at the debug level.
#include "gateway/GatewayLogging.h"

namespace zeph::gateway {
Q_LOGGING_CATEGORY(lcGateway, "zeph.gateway", QtInfoMsg)
}
