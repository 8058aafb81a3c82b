// SPDX-License-Identifier: MIT
// The item index of a list box, taken from its selection.
#include "app/widgets/ListBoxIndex.h"

#include <QListWidget>

namespace zeph::app {

int ListItemIndex(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.constFirst());
}

void SetListItemIndex(QListWidget* list, int index) {
    if (index >= 0 && index < list->count()) {
        list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        return;
    }
    list->clearSelection();
    list->setCurrentRow(-1);
}

} // namespace zeph::app
