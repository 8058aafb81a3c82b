// SPDX-License-Identifier: MIT
// A label whose background colour, text colour and font size the program sets as signals.
#pragma once

#include <QColor>
#include <QLabel>

namespace zeph::app {

class TColorLabel : public QLabel {
    Q_OBJECT
public:
    TColorLabel(const QString& name, const QString& text, QWidget* parent = nullptr);

    // Background; the button face until first set.
    QColor Color() const;
    void SetColor(const QColor& color);

    QColor FontColor() const;
    // Only the enabled look changes: a disabled flag label keeps the greyed text.
    void SetFontColor(const QColor& color);

    int FontSize() const { return font().pointSize(); }
    void SetFontSize(int points);

protected:
    // A label the keyboard reaches shows the focus as buttons do.
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    bool m_colorSet = false;
};

} // namespace zeph::app
