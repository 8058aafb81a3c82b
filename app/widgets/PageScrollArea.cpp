// SPDX-License-Identifier: MIT
// A scroll area that asks for its content's size and follows the focus.
#include "app/widgets/PageScrollArea.h"

#include <QApplication>
#include <QScrollBar>
#include <QVBoxLayout>

namespace zeph::app {

PageScrollArea::PageScrollArea(const QString& name, QWidget* content, QWidget* parent)
    : QScrollArea(parent) {
    setObjectName(name);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    // The area itself is no stop for Tab: its controls are, and each is brought into view.
    setFocusPolicy(Qt::NoFocus);
    setWidget(content);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FollowFocus(now); });
}

QSize PageScrollArea::sizeHint() const {
    const int frame = 2 * frameWidth();
    QSize hint = widget() ? widget()->sizeHint() : QSize();
    // Room for the scroll bar that a short window brings, so that it never pushes the content sideways.
    if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        hint.rwidth() += verticalScrollBar()->sizeHint().width();
    return hint + QSize(frame, frame);
}

void PageScrollArea::FollowFocus(QWidget* now) {
    if (!now || !widget() || !widget()->isAncestorOf(now)) return;
    // The whole control, not only its text cursor: a list shows its items, a group all of its buttons.
    // One larger than the view shows its top left corner.
    const QRect place(now->mapTo(widget(), QPoint(0, 0)), now->size());
    const int margin = 8;
    ensureVisible(place.center().x(), place.center().y(), place.width() / 2 + margin,
                  place.height() / 2 + margin);
}

QVBoxLayout* ScrolledRows(QWidget* page) {
    auto* content = new QWidget;
    content->setObjectName(page->objectName() + QStringLiteral("_Content"));
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(new PageScrollArea(page->objectName() + QStringLiteral("_ScrollArea"), content, page));
    auto* rows = new QVBoxLayout(content);
    rows->setContentsMargins(6, 6, 6, 6);
    rows->setSpacing(6);
    return rows;
}

} // namespace zeph::app
