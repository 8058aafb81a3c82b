// A captioned group of radio buttons chosen by item index, -1 meaning no choice.
#include "app/widgets/TRadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zeph::app {

TRadioGroup::TRadioGroup(const QString& name, const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent)
    , m_buttons(new QButtonGroup(this))
    , m_layout(new QVBoxLayout(this)) {
    setObjectName(name);
    m_layout->setContentsMargins(4, 2, 4, 2);
    m_layout->setSpacing(1);
    connect(m_buttons, &QButtonGroup::idClicked, this, &TRadioGroup::ItemPicked);
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

} // namespace zeph::app
