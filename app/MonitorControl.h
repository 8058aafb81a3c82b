// SPDX-License-Identifier: MIT
// The main window's control of the frame monitor: the rows every frame on the line becomes, the monitor
// window itself, opened by its button or F12 from anywhere in the program at the place it had last time.
#pragma once

#include "app/WindowServices.h"

#include <QObject>

class QPushButton;
class QWidget;

namespace zeph::app {

class FrameMonitor;
class FrameMonitorModel;

class MonitorControl : public QObject {
    Q_OBJECT
public:
    // The button opens the monitor; the window is the monitor's parent and holds the F12 shortcut.
    MonitorControl(const WindowServices& services, QPushButton* button, QWidget* window);

    void ShowFrameMonitor();
    // Closes the monitor and remembers its place, when it was shown in this run.
    void CloseFrameMonitor();
    // The folder the monitor's rows were last saved to, which the window remembers.
    void SetSaveFolder(const QString& folder);
    QString SaveFolder() const;

private:
    WindowServices m_services;
    FrameMonitorModel* m_frameRows = nullptr;
    FrameMonitor* m_frameMonitor = nullptr;
    bool m_frameMonitorPlaced = false;
};

} // namespace zeph::app
