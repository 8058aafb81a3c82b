// SPDX-License-Identifier: MIT
// The checks every setting must pass before the settings are written to the device or saved to a file:
// one table, run in its order, stopping at the first setting that fails.
#pragma once

#include "device/SettingsBlock.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace zeph::device {

enum class CheckKind {
    Chosen,        // a choice has been made
    NumberInRange, // a number inside the limits
};

struct ValidationRule {
    FieldRef field;
    CheckKind kind;
    double minimum = 0;
    double maximum = 0;
};

// In the order the settings are examined: the inputs' types, their counted edges, parity, baud rate, the
// inputs' time limits, then address, communication time-out and answer delay.
const std::vector<ValidationRule>& SettingsValidationRules();

struct ValidationFailure {
    FieldRef field;  // the setting that failed; its control receives the input focus
    QString message; // the text of the error box
    // For a number: what it must read afterwards (the violated limit), so pressing again goes on with it.
    std::optional<QString> editText;
};

// The name a message gives a setting: the caption of its control as the user sees it.
using CaptionLookup = std::function<QString(FieldRef field)>;

// Runs every rule in order over the page. Each number that passes is rewritten in plain integer form in the
// page; the first failure stops the run, leaves the settings after it alone and is returned. The failing
// number's new text is in the failure, not yet in the page, so a front end can show the box first.
std::optional<ValidationFailure> ValidateSettings(SettingsPageState& page, const QLocale& locale,
                                                  const CaptionLookup& captionOf);

} // namespace zeph::device
