// SPDX-License-Identifier: MIT
// The link's logging category.
#include "link/LinkLogging.h"

namespace zeph::link {
Q_LOGGING_CATEGORY(lcLink, "zeph.link", QtWarningMsg)
}
