// SPDX-License-Identifier: MIT
// The commissioning window, reached from the right-hand panel whatever the port state: the batch opens
// its own ports, and a device on the port this window holds open fails at its open with the port's
// reason.
#include "app/TForm_Main.h"

#include "app/CommissioningWindow.h"

#include <QPushButton>

namespace zeph::app {

void TForm_Main::BuildCommissioning() {
    m_commissioning =
        new CommissioningWindow([this]() -> UserDialogs& { return *m_dialogs; },
                                [this] { return comport::ScanPorts(ProbeOptions()).Paths(); }, this);
    connect(Button_Commissioning, &QPushButton::clicked, m_commissioning, &CommissioningWindow::ShowAndRaise);
}

} // namespace zeph::app
