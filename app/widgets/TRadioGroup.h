// SPDX-License-Identifier: MIT
// A captioned group of radio buttons chosen by item index, -1 meaning no choice. The group is one stop
// for Tab, which lands on the chosen item (the first while none is chosen); the arrow keys choose.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QVBoxLayout;

namespace zeph::app {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString& name, const QString& caption, QWidget* parent = nullptr);

    QStringList Items() const;
    // Empties the group and builds one button per text; the group is left with no choice.
    void SetItems(const QStringList& items);

    int ItemIndex() const;
    // An index below 0 clears the choice; one beyond the last item chooses the last item.
    void SetItemIndex(int index);

signals:
    // Only a pick by the user; SetItemIndex stays silent.
    void ItemPicked(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QButtonGroup* m_buttons;
    QVBoxLayout* m_layout;
    // Set between a button losing the focus and the next widget taking it.
    bool m_focusLeavingItem = false;
    bool m_movingFocus = false;
};

} // namespace zeph::app
