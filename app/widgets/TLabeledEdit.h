// SPDX-License-Identifier: MIT
// A one-line edit that brings its own caption label; the label is the edit's buddy, so assistive
// technology and tests find the edit by the label's text.
#pragma once

#include <QLineEdit>

class QLabel;

namespace zeph::app {

class TLabeledEdit : public QLineEdit {
    Q_OBJECT
public:
    // The label gets the edit's parent; the page layout decides where both go.
    TLabeledEdit(const QString& name, const QString& labelText, int maxLength, QWidget* parent);

    QLabel* EditLabel() const { return m_label; }
    // The most characters the user can type. Text set by the program (a loaded file) is kept whole, so a
    // value too long for the edit is reported by the next check instead of being cut into a valid one.
    int MaxLength() const { return m_maxLength; }

signals:
    void DoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* m_label;
    int m_maxLength;
};

} // namespace zeph::app
