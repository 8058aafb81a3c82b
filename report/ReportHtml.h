// SPDX-License-Identifier: MIT
// The commissioning report's content as HTML for a QTextDocument: the cover, then a page per device.
#pragma once

#include "commissioning/DeviceOutcome.h"

#include <QString>

namespace zeph::report {

// The whole report; every device's section starts on a new page under the heading "Device TAG". Texts
// from outside (tags, reasons, file names) are escaped.
QString CommissioningReportHtml(const commissioning::BatchOutcome& batch);

} // namespace zeph::report
