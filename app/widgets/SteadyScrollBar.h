// SPDX-License-Identifier: MIT
// A scroll bar that repaints only when what it shows changes. A plain one repaints at every change of its
// range or value, and over a list of 100,000 rows that grows five times a second its handle moves by a
// pixel only every few hundred rows; painting a scroll bar costs a list's repaint of several rows.
#pragma once

#include <QRect>
#include <QScrollBar>

namespace zeph::app {

class SteadyScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit SteadyScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What a change of range or value can alter of the drawing: the handle, and the arrows that are
    // drawn disabled at either end.
    struct Look {
        QRect handle;
        bool atStart = false;
        bool atEnd = false;
        bool operator==(const Look&) const = default;
    };
    Look CurrentLook() const;

    Look m_drawn; // as last painted
    bool m_lookCheckDue = false;
};

} // namespace zeph::app
