// SPDX-License-Identifier: MIT
// Writing a commissioning batch's report as a PDF file.
#pragma once

#include "commissioning/DeviceOutcome.h"

#include <QString>

namespace zeph::report {

// Writes the batch's report as a PDF at path (through WriteFileSafely: the old file stays when it fails);
// needs a QGuiApplication (the offscreen platform serves). False with the reason in error.
bool WriteCommissioningReport(const QString& path, const commissioning::BatchOutcome& batch, QString* error);

} // namespace zeph::report
