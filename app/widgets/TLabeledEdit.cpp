// SPDX-License-Identifier: MIT
// A one-line edit that brings its own caption label, its buddy.
#include "app/widgets/TLabeledEdit.h"

#include <QEvent>
#include <QLabel>
#include <QValidator>

namespace zeph::app {

namespace {
// QLineEdit's own length limit also cuts text set by the program; a validator only limits typing.
class TypedLengthValidator : public QValidator {
public:
    TypedLengthValidator(int maxLength, QObject* parent)
        : QValidator(parent)
        , m_maxLength(maxLength) {}
    State validate(QString& input, int&) const override {
        return input.size() <= m_maxLength ? Acceptable : Invalid;
    }

private:
    int m_maxLength;
};
} // namespace

TLabeledEdit::TLabeledEdit(const QString& name, const QString& labelText, int maxLength, QWidget* parent)
    : QLineEdit(parent)
    , m_label(new QLabel(labelText, parent))
    , m_maxLength(maxLength) {
    setObjectName(name);
    m_label->setObjectName(name + QStringLiteral("_EditLabel"));
    m_label->setBuddy(this);
    setValidator(new TypedLengthValidator(maxLength, this));
}

void TLabeledEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

void TLabeledEdit::changeEvent(QEvent* event) {
    // The caption greys out with a disabled edit, as a frozen value field should look.
    if (event->type() == QEvent::EnabledChange) m_label->setEnabled(isEnabled());
    QLineEdit::changeEvent(event);
}

} // namespace zeph::app
