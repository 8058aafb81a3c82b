// SPDX-License-Identifier: MIT
// The checks every settings-page control must pass before the settings are written to the device or
// saved to a file: one table, run in its order, stopping at the first control that fails.
#pragma once

#include "device/SettingsBlock.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace zeph::device {

enum class CheckKind {
    RadioGroupChosen, // a radio group has a choice
    ListBoxChosen,    // a list box has a chosen item
    NumberInRange,    // an edit holds a number inside the limits
};

struct ValidationRule {
    QString control; // the control's object name, also its key in the settings file
    CheckKind kind;
    double minimum = 0;
    double maximum = 0;
    // The name the message gives the control when it is not the control's caption ("Baud rate").
    QString fixedName;
};

// In the order the controls are examined: the type groups, the edge groups, parity, baud rate, the
// time-outs of the inputs, then address, communication time-out and answer delay.
const std::vector<ValidationRule>& SettingsValidationRules();

// The caption a control's message names under the English captions: a group's title or an edit's label.
QString EnglishCaption(const QString& control);

struct ValidationFailure {
    QString control; // the control that failed; it receives the input focus
    QString message; // the text of the error box
    // For an edit: what it must hold afterwards (the violated limit), so pressing again goes on with it.
    std::optional<QString> editText;
};

using CaptionLookup = std::function<QString(const QString& control)>;

// Runs every rule in order over the page. Each edit that passes is rewritten in plain integer form in the
// page; the first failure stops the run, leaves the controls after it alone and is returned. The failing
// edit's new text is in the failure, not yet in the page, so a front end can show the box first.
std::optional<ValidationFailure> ValidateSettings(SettingsPageState& page, const QLocale& locale,
                                                  const CaptionLookup& captionOf = EnglishCaption);

} // namespace zeph::device
