// SPDX-License-Identifier: MIT
// zeph7208 commission and zeph7208 audit verify: a commissioning run with its progress on the terminal,
// and the check of an audit trail.
#pragma once

#include "cli/CommandLine.h"

namespace zeph::cli {

// Runs the batch; the report module must be loaded and its QGuiApplication made (main.cpp).
int CommissionCommand(const Invocation& invocation);
int AuditVerifyCommand(const Invocation& invocation);

} // namespace zeph::cli
