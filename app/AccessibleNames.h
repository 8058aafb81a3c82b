// SPDX-License-Identifier: MIT
// What screen readers announce beyond the visible captions: names that tell controls of the same
// caption apart ("Input 3 type", "Select IN3"), the state of flags and lamps that the window shows only
// as a colour, and the readings with what they are. Plain English, translated, kept here together.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

namespace zeph::app {

struct AccessibleNameRow {
    QString name; // object name
    QString accessibleName;
};

// Rows for the controls whose caption alone does not say what they are for; the others keep the name
// Qt takes from their caption.
// Made anew at each call, in the language of the translators in place.
std::vector<AccessibleNameRow> MainWindowAccessibleNames();
std::vector<AccessibleNameRow> FrameMonitorAccessibleNames();
std::vector<AccessibleNameRow> CommissioningAccessibleNames();

// Sets each row's name; returns the names of rows whose widget is missing.
QStringList ApplyAccessibleNames(QWidget* root, const std::vector<AccessibleNameRow>& rows);

// The accessible description of a flag label: "set" while it shows red, "clear" otherwise.
QString FlagStateText(bool set);
// The accessible description of an input's name label: "active" while it is highlighted.
QString ActivityText(bool active);

enum class Lamp { Port, Tx, Rx };
// The accessible name of a lamp: what it shows now ("Port open", "TX active", "RX idle").
QString LampText(Lamp lamp, bool lit);

enum class Reading { Counter, Interval, Rate };
// The accessible name of a reading of input (1..8) from the text it shows: "IN3 counter: 1 234".
QString ReadingName(Reading reading, int input, const QString& shown);

// The flags of one input, in the order the summary names them.
struct InputFlags {
    bool overflow = false;
    bool timeOver = false;
    bool namurOpen = false;
    bool namurShort = false;
};
// One input's readings and flags in a sentence, the name of its keyboard stop on the counters page:
// "IN3: counter 1 234, 2.50 pulses per second, 120 milliseconds between the last two pulses; set: time
// over maximum". The readings as their labels show them.
QString InputSummary(int input, const QString& counter, const QString& rate, const QString& interval,
                     const InputFlags& flags);

} // namespace zeph::app
