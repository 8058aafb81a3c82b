// SPDX-License-Identifier: MIT
// The frame monitor's table: a batch of rows added at the end repaints only where those rows show.
#include "app/FrameTableView.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

namespace zeph::app {

void FrameTableView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    if (!model) return;
    // Connected after the table's own connections, so the row count is already known in RowsAppended. A
    // plain table view answers every insertion by laying itself out again and repainting every row it
    // shows, which at each batch of the live line costs more than everything else the window does.
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        if (!isVisible()) return;
        // A layout still due for an earlier change (rows dropped from the top, a reset) is done in full
        // first, so it repaints everything it must.
        executeDelayedItemsLayout();
        const QScrollBar* bar = verticalScrollBar();
        m_followNewRows = bar->value() >= bar->maximum();
    });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int first, int last) {
                // A hidden table is laid out in full when it is shown.
                if (parent.isValid() || !isVisible() || last != this->model()->rowCount() - 1) return;
                RowsAppended(first);
            });
}

void FrameTableView::RowsAppended(int first) {
    m_appending = true;
    executeDelayedItemsLayout();
    m_appending = false;
    // The scroll moves the rows already drawn up and paints the strip it uncovers.
    if (m_followNewRows) scrollToBottom();
    // The new rows where they are now, should some of them show above that strip.
    const QRect area = viewport()->rect();
    const int top = std::max(rowViewportPosition(first), 0);
    if (top < area.height()) viewport()->update(area.adjusted(0, top, 0, 0));
}

void FrameTableView::doItemsLayout() {
    if (!m_appending) {
        QTableView::doItemsLayout();
        return;
    }
    // The rows shown keep their places; the scroll bar learns the new length. Scrolled to the end, the
    // table shows its last row whole at the bottom edge; with rows after it, it shows the top row whole
    // instead, which moves the rows by a part of a row: the drawn rows are moved with them.
    QHeaderView* rows = verticalHeader();
    const int offset = rows->offset();
    updateGeometries();
    if (const int moved = offset - rows->offset(); moved != 0) viewport()->scroll(0, moved);
}

} // namespace zeph::app
