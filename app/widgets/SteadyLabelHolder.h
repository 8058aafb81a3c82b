// SPDX-License-Identifier: MIT
// Holds a one-line label whose text changes many times a second, such as a running count, so that its
// changes never lay out the window around it: a label asks its parent's layout to measure everything
// again at every new text, while the holder takes the room its own layout gives it, hands all of it to
// the label and never asks the label how wide its text is.
#pragma once

#include <QWidget>

namespace zeph::app {

class ElidingLabel;

class SteadyLabelHolder : public QWidget {
    Q_OBJECT
public:
    explicit SteadyLabelHolder(QWidget* parent = nullptr);

    // The label: it ends in "…" when the room is too narrow for its text, and shows it whole as its tooltip.
    ElidingLabel* Label() const { return m_label; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ElidingLabel* m_label;
};

} // namespace zeph::app
