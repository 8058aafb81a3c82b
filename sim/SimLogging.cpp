// SPDX-License-Identifier: MIT
// The simulator's logging category.
#include "sim/SimLogging.h"

namespace zeph::sim {
Q_LOGGING_CATEGORY(lcSim, "zeph.sim", QtWarningMsg)
}
