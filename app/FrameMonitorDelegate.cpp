// SPDX-License-Identifier: MIT
// Paints the frame monitor's cells from laid-out texts it keeps.
#include "app/FrameMonitorDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace zeph::app {

namespace {

// Enough for every row a tall window shows, many times over; the visible rows come back at once.
constexpr qsizetype KeptTexts = 2000;

} // namespace

const QStaticText& FrameMonitorDelegate::Laid(int column, const QString& text, const QFont& font,
                                              int width) const {
    ColumnTexts& kept = m_columns[column];
    if (kept.width != width || kept.font != font || kept.texts.size() >= KeptTexts) {
        kept.texts.clear();
        kept.width = width;
        kept.font = font;
    }
    auto found = kept.texts.find(text);
    if (found == kept.texts.end()) {
        QStaticText laid(QFontMetrics(font).elidedText(text, Qt::ElideRight, width));
        laid.setTextFormat(Qt::PlainText);
        laid.prepare(QTransform(), font);
        found = kept.texts.insert(text, laid);
    }
    return *found;
}

void FrameMonitorDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (index.column() < 0 || index.column() >= FrameMonitorModel::ColumnCount) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    // Background, alternate colour, selection and focus as any cell has them; the text comes after.
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (text.isEmpty()) return;

    // The cells have no check box or icon, so the text has the whole cell; asking the style for the text's
    // place would lay the text out again just to measure it.
    const QRect area = opt.rect;
    // The margin the style leaves around an item's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textArea = area.adjusted(margin, 0, -margin, 0);
    const QStaticText& laid = Laid(index.column(), text, opt.font, textArea.width());
    const QSizeF size = laid.size();
    const QRect placed = QStyle::alignedRect(opt.direction, opt.displayAlignment,
                                             QSize(qCeil(size.width()), qCeil(size.height())), textArea);
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                            : QPalette::Inactive;
    const QPalette::ColorRole role =
        (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, role));
    painter->setClipRect(area, Qt::IntersectClip);
    painter->drawStaticText(placed.topLeft(), laid);
    painter->restore();
}

} // namespace zeph::app
