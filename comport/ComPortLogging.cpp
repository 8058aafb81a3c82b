// SPDX-License-Identifier: MIT
// The serial port's logging category.
#include "comport/ComPortLogging.h"

namespace zeph::comport {
Q_LOGGING_CATEGORY(lcComPort, "zeph.comport", QtWarningMsg)
}
