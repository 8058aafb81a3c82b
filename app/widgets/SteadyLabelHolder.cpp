// SPDX-License-Identifier: MIT
// A label's holder that keeps the label's text changes away from the layout.
#include "app/widgets/SteadyLabelHolder.h"

#include "app/widgets/ElidingLabel.h"

namespace zeph::app {

SteadyLabelHolder::SteadyLabelHolder(QWidget* parent)
    : QWidget(parent)
    , m_label(new ElidingLabel(this)) {
    // No layout of its own: the label's geometry requests end here.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SteadyLabelHolder::sizeHint() const {
    // Room for a line of some forty characters; the layout may give more or less.
    return {fontMetrics().averageCharWidth() * 40, m_label->minimumSizeHint().height()};
}

QSize SteadyLabelHolder::minimumSizeHint() const {
    return m_label->minimumSizeHint();
}

void SteadyLabelHolder::resizeEvent(QResizeEvent*) {
    m_label->setGeometry(rect());
}

} // namespace zeph::app
