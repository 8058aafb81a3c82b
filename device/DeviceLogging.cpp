// SPDX-License-Identifier: MIT
// The device operations' logging category.
#include "device/DeviceLogging.h"

namespace zeph::device {
Q_LOGGING_CATEGORY(lcDevice, "zeph.device", QtWarningMsg)
}
