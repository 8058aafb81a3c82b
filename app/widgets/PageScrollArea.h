// SPDX-License-Identifier: MIT
// A scroll area for a page of the window: it asks for the room its content wants, so on a large screen
// nothing scrolls, yet the window may be made smaller than the content, which then scrolls. The control
// that takes the focus is scrolled into view, by Tab, a mnemonic or a click alike.
#pragma once

#include <QScrollArea>

class QVBoxLayout;

namespace zeph::app {

class PageScrollArea : public QScrollArea {
    Q_OBJECT
public:
    PageScrollArea(const QString& name, QWidget* content, QWidget* parent = nullptr);

    // The content's own size hint: QScrollArea caps its hint at a few dozen lines of text.
    QSize sizeHint() const override;

private:
    void FollowFocus(QWidget* now);
};

// Makes a tab page of the window: its content (NAME_Content) in a scroll area (NAME_ScrollArea) that fills
// the page, NAME being the page's object name. Returns the content's rows; anything added to the page's
// own layout later stays in view above the scrolling part.
QVBoxLayout* ScrolledRows(QWidget* page);

} // namespace zeph::app
