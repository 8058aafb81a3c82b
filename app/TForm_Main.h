// SPDX-License-Identifier: MIT
// The main window: a view over the device session, composed of its rooms (the settings page, the counters
// page, the right-hand panel and the frame-monitor control), which own their controls and handlers. The
// window keeps the frame around them, start-up and shut-down, the rule that enables the controls from the
// port state, and what an operation's result shows.
#pragma once

#include "app/StartOptions.h"
#include "app/UserDialogs.h"
#include "app/WindowMemory.h"
#include "app/WindowServices.h"
#include "device/OperationResult.h"
#include "settingsfile/AppIniFile.h"

#include <QList>
#include <QMainWindow>
#include <QPair>

#include <memory>

class QLabel;
class QTabWidget;

namespace zeph::session {
class DeviceSession;
}
namespace zeph::sim {
class SimulatedDevice;
}

namespace zeph::app {

class CommissioningWindow;
class CountersPage;
class HistoryWindow;
class MonitorControl;
class RightPanel;
class SessionStatusBar;
class SettingsPage;

class TForm_Main : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm_Main(const StartOptions& options = {}, QWidget* parent = nullptr);
    ~TForm_Main() override;

    // The seam every modal box and file dialog goes through; a test answers them with its own.
    // nullptr goes back to the real dialogs.
    void SetDialogs(UserDialogs* dialogs);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // ---- construction (TForm_MainLayout.cpp)
    void BuildWindow();
    void ConnectRooms();
    void StartDemoDevice();
    // The remembered place (or the middle of the screen), the maximized state and the page shown.
    void PlaceWindow();
    void RememberWindow();

    // ---- lifecycle, enabling and results
    void FormCreate();
    void FormClose();
    void UpdateControlEnabling();
    void ComPort1PortOpen();
    void ComPort1PortClose();
    void ReadIniFile();
    void WriteIniFile();
    // Shows a modal box; a message that comes while a box is open waits for it to close.
    void ShowMessage(MessageKind kind, const QString& text);
    // An operation's result: what it brought shown, the continuous refresh released when it failed, then
    // its message from the event loop.
    void OperationFinished(const device::OperationResult& result);
    // The box an operation's result brings, in the window's words; empty text for none.
    std::pair<MessageKind, QString> ResultMessage(const device::OperationResult& result) const;
    // The two data-source labels, one on each page.
    void ShowDataSource(unsigned code);

    // ---- keyboard and screen readers (TForm_MainAccess.cpp)
    void SetUpKeyboardAndNames();
    void SetTabOrder();
    // Moves the focus to the tab bar when a page is turned from elsewhere and tells readers the page.
    void AnnouncePage(int index);

    // ---- state
    StartOptions m_options;
    // Chosen at start from the screen's width: the design's layout where it fits beside the right-hand
    // panel, otherwise the pages reflowed narrower and taller.
    bool m_narrow = false;
    session::DeviceSession* m_session = nullptr;
    QString VersionText;
    QString m_iniPath;
    settingsfile::AppIniValues m_iniValues;
    WindowMemory m_windowMemory;
    std::unique_ptr<sim::SimulatedDevice> m_demoDevice;
    std::unique_ptr<UserDialogs> m_ownDialogs;
    UserDialogs* m_dialogs;
    // Messages waiting for the box on screen to close, and whether one is on screen.
    QList<QPair<MessageKind, QString>> m_waitingMessages;
    bool m_messageShown = false;
    WindowServices m_services;

    // ---- the frame and its rooms
    QLabel* Panel4 = nullptr;
    QTabWidget* PageControl_ZT7208 = nullptr;
    SettingsPage* m_settingsPage = nullptr; // TabSheet_BeallithatoLetolthetoPar
    CountersPage* m_countersPage = nullptr; // TabSheet_Impulzusok
    RightPanel* m_panel = nullptr;          // Panel_Side
    MonitorControl* m_monitor = nullptr;
    SessionStatusBar* m_statusBar = nullptr;
    CommissioningWindow* m_commissioning = nullptr;
    HistoryWindow* m_history = nullptr;
};

} // namespace zeph::app
