// SPDX-License-Identifier: MIT
// The network line's logging category.
#include "network/NetworkLogging.h"

namespace zeph::network {
Q_LOGGING_CATEGORY(lcNetwork, "zeph.network", QtWarningMsg)
}
