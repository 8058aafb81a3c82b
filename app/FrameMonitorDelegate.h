// SPDX-License-Identifier: MIT
// Paints the frame monitor's cells from laid-out texts it keeps, so a repaint at every batch of rows does
// not shape and elide the same long hex strings again.
#pragma once

#include "app/FrameMonitorModel.h"

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace zeph::app {

class FrameMonitorDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    // The texts of one column as laid out, cut to the width the column had; the same request shows in
    // many rows, so they share one entry.
    struct ColumnTexts {
        int width = -1;
        QFont font;
        QHash<QString, QStaticText> texts;
    };
    const QStaticText& Laid(int column, const QString& text, const QFont& font, int width) const;

    mutable ColumnTexts m_columns[FrameMonitorModel::ColumnCount];
};

} // namespace zeph::app
