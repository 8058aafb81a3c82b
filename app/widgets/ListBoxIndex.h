// SPDX-License-Identifier: MIT
// The item index of a list box as the designer's list box has it: -1 when nothing is chosen.
#pragma once

class QListWidget;

namespace zeph::app {

// The chosen item is the selected one. Qt makes row 0 the current item when a list with nothing chosen
// takes the focus, without selecting it, so the current row alone would report a choice never made.
int ListItemIndex(const QListWidget* list);

// Chooses the item at index; an index outside the list leaves nothing chosen.
void SetListItemIndex(QListWidget* list, int index);

} // namespace zeph::app
