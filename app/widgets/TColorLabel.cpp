// SPDX-License-Identifier: MIT
// A label whose background colour, text colour and font size the program sets as signals.
#include "app/widgets/TColorLabel.h"

#include "app/widgets/SystemColours.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace zeph::app {

TColorLabel::TColorLabel(const QString& name, const QString& text, QWidget* parent)
    : QLabel(text, parent) {
    setObjectName(name);
}

QColor TColorLabel::Color() const {
    return m_colorSet ? m_color : ButtonFace();
}

// Every report sets every flag label; only a change may cost a repaint.
void TColorLabel::SetColor(const QColor& color) {
    if (m_colorSet && color == m_color) return;
    m_color = color;
    m_colorSet = true;
    QPalette colours = palette();
    colours.setColor(QPalette::Window, color);
    setPalette(colours);
    setAutoFillBackground(true);
}

QColor TColorLabel::FontColor() const {
    return palette().color(QPalette::Active, QPalette::WindowText);
}

void TColorLabel::SetFontColor(const QColor& color) {
    if (palette().color(QPalette::Active, QPalette::WindowText) == color &&
        palette().color(QPalette::Inactive, QPalette::WindowText) == color)
        return;
    QPalette colours = palette();
    colours.setColor(QPalette::Active, QPalette::WindowText, color);
    colours.setColor(QPalette::Inactive, QPalette::WindowText, color);
    setPalette(colours);
}

void TColorLabel::SetFontSize(int points) {
    if (font().pointSize() == points) return;
    QFont face = font();
    face.setPointSize(points);
    setFont(face);
}

void TColorLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(1, 1, -1, -1);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace zeph::app
