// SPDX-License-Identifier: MIT
// The English caption set that replaces the Hungarian design texts of the main window at every start.
#pragma once

#include <QStringList>

#include <vector>

class QWidget;

namespace zeph::app {

enum class CaptionTarget {
    Caption,   // button, check box, label text or group box title
    TabText,   // the tab of a page
    EditLabel, // the label of a labelled edit
    Hint,      // tooltip
    Items,     // the items of a radio group, refilled in the same order
    Message,   // a message text held by the window, not a widget
};

struct CaptionRow {
    QString name; // object name, or the name of the window's message text
    CaptionTarget target;
    QStringList english; // one text; the item list for Items
};

const std::vector<CaptionRow>& EnglishCaptionSet();

// Applies every widget row to the widgets under root. Returns the names of rows whose widget is
// missing or of the wrong kind, so a renamed control cannot silently keep its Hungarian text.
QStringList ApplyCaptionRows(QWidget* root, const std::vector<CaptionRow>& rows);

} // namespace zeph::app
