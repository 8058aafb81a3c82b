// SPDX-License-Identifier: MIT
// A coloured lamp drawn as a rounded shape.
#include "app/widgets/TShape.h"

#include "app/widgets/SystemColours.h"

#include <QPainter>

namespace zeph::app {

TShape::TShape(const QString& name, QWidget* parent)
    : QWidget(parent) {
    setObjectName(name);
}

QColor TShape::BrushColor() const {
    // A lamp that was never switched shows the face colour of the design.
    return m_brushSet ? m_brush : ButtonFace();
}

void TShape::SetBrushColor(const QColor& color) {
    // A lamp lit again and again by a stream of characters is drawn once: each repaint also redraws the
    // group and window behind it.
    if (m_brushSet && color == m_brush) return;
    m_brush = color;
    m_brushSet = true;
    update();
}

QSize TShape::sizeHint() const {
    return layout() ? QWidget::sizeHint() : QSize(16, 16);
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.setBrush(BrushColor());
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min(area.width(), area.height()) / 4.0;
    painter.drawRoundedRect(area, radius, radius);
}

} // namespace zeph::app
