// SPDX-License-Identifier: MIT
// A scroll bar that repaints only when its handle or its arrows change.
#include "app/widgets/SteadyScrollBar.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace zeph::app {

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {}

SteadyScrollBar::Look SteadyScrollBar::CurrentLook() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
            value() == minimum(), value() == maximum()};
}

void SteadyScrollBar::sliderChange(SliderChange change) {
    // Steps are not drawn but rarely change; a bar that shows itself only while it moves has to know.
    if ((change != SliderRangeChange && change != SliderValueChange) ||
        style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this)) {
        QScrollBar::sliderChange(change);
        return;
    }
    // The range grows and the value follows it to the end, which leaves the handle where it was: the look
    // is compared once both have changed.
    if (m_lookCheckDue) return;
    m_lookCheckDue = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_lookCheckDue = false;
            if (CurrentLook() != m_drawn) update();
        },
        Qt::QueuedConnection);
}

void SteadyScrollBar::paintEvent(QPaintEvent* event) {
    m_drawn = CurrentLook();
    QScrollBar::paintEvent(event);
}

} // namespace zeph::app
