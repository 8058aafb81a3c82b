// A one-line edit that brings its own caption label, its buddy.
#include "app/widgets/TLabeledEdit.h"

#include <QEvent>
#include <QLabel>

namespace zeph::app {

TLabeledEdit::TLabeledEdit(const QString& name, const QString& labelText, int maxLength, QWidget* parent)
    : QLineEdit(parent)
    , m_label(new QLabel(labelText, parent)) {
    setObjectName(name);
    m_label->setObjectName(name + QStringLiteral("_EditLabel"));
    m_label->setBuddy(this);
    setMaxLength(maxLength);
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
