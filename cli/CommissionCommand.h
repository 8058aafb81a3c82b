// SPDX-License-Identifier: MIT
// zeph7208 commission and zeph7208 audit verify: a commissioning run with its progress on the terminal,
// and the check of an audit trail.
#pragma once

#include "cli/CommandLine.h"

namespace zeph::cli {

// Runs the batch; needs a QGuiApplication for the report.
int CommissionCommand(const Invocation& invocation);
int AuditVerifyCommand(const Invocation& invocation);

} // namespace zeph::cli
