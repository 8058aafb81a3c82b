// SPDX-License-Identifier: MIT
// A captioned group of radio buttons chosen by item index, -1 meaning no choice.
#include "app/widgets/TRadioGroup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QRadioButton>
#include <QVBoxLayout>

#include <utility>

namespace zeph::app {

TRadioGroup::TRadioGroup(const QString& name, const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent)
    , m_buttons(new QButtonGroup(this))
    , m_layout(new QVBoxLayout(this)) {
    setObjectName(name);
    m_layout->setContentsMargins(4, 2, 4, 2);
    m_layout->setSpacing(1);
    connect(m_buttons, &QButtonGroup::idClicked, this, &TRadioGroup::ItemPicked);
    // The focus went elsewhere than to an item: whatever comes next does not come from one.
    connect(qApp, &QApplication::focusChanged, this, [this] { m_focusLeavingItem = false; });
}

QStringList TRadioGroup::Items() const {
    QStringList texts;
    for (QAbstractButton* button : m_buttons->buttons())
        texts << button->text();
    return texts;
}

void TRadioGroup::SetItems(const QStringList& items) {
    for (QAbstractButton* button : m_buttons->buttons()) {
        m_buttons->removeButton(button);
        delete button;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(objectName() + QStringLiteral("_Item%1").arg(i));
        m_buttons->addButton(button, i);
        button->installEventFilter(this);
        m_layout->addWidget(button);
    }
}

int TRadioGroup::ItemIndex() const {
    return m_buttons->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    const int count = static_cast<int>(m_buttons->buttons().size());
    if (index >= count) index = count - 1;
    if (index < 0) {
        // An exclusive group refuses to uncheck its last checked button.
        m_buttons->setExclusive(false);
        for (QAbstractButton* button : m_buttons->buttons())
            button->setChecked(false);
        m_buttons->setExclusive(true);
        return;
    }
    m_buttons->button(index)->setChecked(true);
}

bool TRadioGroup::eventFilter(QObject* watched, QEvent* event) {
    // Qt makes the first item of an exclusive group its Tab stop. A reader should land on the chosen
    // item, as in other toolkits, and Shift+Tab from a later item should leave the group, not stop at
    // its first item.
    if (m_movingFocus || (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut))
        return QGroupBox::eventFilter(watched, event);
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason)
        return QGroupBox::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        m_focusLeavingItem = true;
        return QGroupBox::eventFilter(watched, event);
    }
    const bool fromAnItem = std::exchange(m_focusLeavingItem, false);
    QAbstractButton* chosen = m_buttons->checkedButton();
    m_movingFocus = true;
    if (fromAnItem && reason == Qt::BacktabFocusReason)
        focusNextPrevChild(false);
    else if (!fromAnItem && chosen && chosen != watched && chosen->isEnabled())
        chosen->setFocus(reason);
    m_movingFocus = false;
    return QGroupBox::eventFilter(watched, event);
}

} // namespace zeph::app
