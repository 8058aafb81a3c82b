// SPDX-License-Identifier: MIT
// A one-line label that may be made narrower than its text: it then ends in "…" and shows the whole
// text as its tooltip. Screen readers get the whole text. For the status bar, whose texts must not make
// the window wider than a small screen.
#pragma once

#include <QLabel>

namespace zeph::app {

class ElidingLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidingLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    // True while the text does not fit and is shown shortened.
    bool IsElided() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zeph::app
