// SPDX-License-Identifier: MIT
// The history window, reached from the counters page by "History…" whatever the port state: it keeps the
// continuous refresh's readings while closed, and shows a recorded counter log without a device.
#include "app/TForm_Main.h"

#include "app/HistoryWindow.h"

#include <QPushButton>

namespace zeph::app {

void TForm_Main::BuildHistory() {
    m_history = new HistoryWindow(
        *m_session, [this]() -> UserDialogs& { return *m_dialogs; }, this);
    connect(Button_History, &QPushButton::clicked, this, &TForm_Main::Button_HistoryClick);
}

void TForm_Main::Button_HistoryClick() {
    m_history->ShowAndRaise();
}

} // namespace zeph::app
