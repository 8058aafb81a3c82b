// SPDX-License-Identifier: MIT
// The simulator's logging category, "zeph.sim": each request it decodes, each answer with its faults,
// hang-ups. Off unless QT_LOGGING_RULES says so.
#pragma once

#include <QLoggingCategory>

namespace zeph::sim {
Q_DECLARE_LOGGING_CATEGORY(lcSim)
}
