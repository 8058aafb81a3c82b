// SPDX-License-Identifier: MIT
// A coloured lamp. Children placed inside it sit on top of the lamp, which then shows as a coloured
// frame around them (the port lamp around the open button).
#pragma once

#include <QColor>
#include <QWidget>

namespace zeph::app {

class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(const QString& name, QWidget* parent = nullptr);

    QColor BrushColor() const;
    void SetBrushColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_brush;
    bool m_brushSet = false;
};

} // namespace zeph::app
