// SPDX-License-Identifier: MIT
// The frame monitor's table. Rows only ever come at the end, and while the table shows the newest row it
// follows the new ones; a batch of them moves the rows already drawn instead of drawing them all again.
#pragma once

#include <QTableView>

namespace zeph::app {

class FrameTableView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

    void setModel(QAbstractItemModel* model) override;
    void doItemsLayout() override;

private:
    void RowsAppended(int first);

    bool m_appending = false;    // the layout under way is for rows just added at the end
    bool m_followNewRows = true; // the newest row was in view when the rows came
};

} // namespace zeph::app
