// SPDX-License-Identifier: MIT
// The history window, reached from the counters page by "History…" whatever the port state: it keeps the
// continuous refresh's readings while closed, and shows a recorded counter log without a device.
#include "app/TForm_Main.h"

#include "app/HistoryWindow.h"
#include "app/widgets/MakeNamed.h"
#include "app/widgets/TSpeedButton.h"

#include <QBoxLayout>
#include <QPushButton>

namespace zeph::app {

namespace {
// The box layout that holds widget, however deep under root it lies.
QBoxLayout* LayoutHolding(QLayout* root, QWidget* widget) {
    if (!root) return nullptr;
    if (root->indexOf(widget) >= 0) return qobject_cast<QBoxLayout*>(root);
    for (int i = 0; i < root->count(); ++i)
        if (QBoxLayout* found = LayoutHolding(root->itemAt(i)->layout(), widget)) return found;
    return nullptr;
}
} // namespace

void TForm_Main::BuildHistory() {
    m_history = new HistoryWindow(
        *m_session, [this]() -> UserDialogs& { return *m_dialogs; }, this);
    // Under "Record counters…", whose file it can show.
    Button_History =
        MakeNamed<QPushButton>("Button_History", tr("History…"), SpeedButton_RecordCounters->parentWidget());
    Button_History->setToolTip(tr("The rates and counters over time, live or from a counter log"));
    QBoxLayout* actions =
        LayoutHolding(SpeedButton_RecordCounters->parentWidget()->layout(), SpeedButton_RecordCounters);
    if (!actions) qFatal("BuildHistory: no layout holds SpeedButton_RecordCounters");
    actions->insertWidget(actions->indexOf(SpeedButton_RecordCounters) + 1, Button_History, 0, Qt::AlignLeft);
    connect(Button_History, &QPushButton::clicked, this, &TForm_Main::Button_HistoryClick);
}

void TForm_Main::Button_HistoryClick() {
    m_history->ShowAndRaise();
}

} // namespace zeph::app
