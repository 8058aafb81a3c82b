// SPDX-License-Identifier: MIT
// The main window: a view over the device session. It holds every control of the two pages and the
// port, file and device groups, the window's own timers, start-up and shut-down, and the rule that
// enables the controls from the port state; the device work is the session's.
#pragma once

#include "app/AccessibleNames.h"
#include "app/CounterLog.h"
#include "app/StartOptions.h"
#include "app/UserDialogs.h"
#include "app/WindowMemory.h"
#include "comport/PortProbe.h"
#include "counters/CounterPreset.h"
#include "counters/CounterRateWindow.h"
#include "counters/ReportClock.h"
#include "device/OperationResult.h"
#include "settingsfile/AppIniFile.h"

#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QPair>

#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QGroupBox;
class QTabWidget;
class QTimer;

namespace zeph::comport {
class PortWatcher;
}
namespace zeph::counters {
struct CounterStatusReport;
}
namespace zeph::device {
struct SettingsAnswer;
}
namespace zeph::session {
class CounterPoller;
class DeviceSession;
} // namespace zeph::session
namespace zeph::sim {
class SimulatedDevice;
}

namespace zeph::app {

class CommissioningWindow;
class FrameMonitor;
class FrameMonitorModel;
class HistoryWindow;
class SessionStatusBar;
class TColorLabel;
class TLabeledEdit;
class TRadioGroup;
class TShape;
class TSpeedButton;

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
    // ---- construction (TForm_Main*Page.cpp, TForm_MainLayout.cpp)
    void BuildWindow();
    QWidget* BuildSettingsPage();
    QWidget* BuildCountersPage();
    QWidget* BuildSidePanel();
    void BuildTimers();
    void ConnectHandlers();
    void ConnectSession();
    void StartDemoDevice();
    // The remembered place (or the middle of the screen), the maximized state and the page shown.
    void PlaceWindow();
    void RememberWindow();

    // ---- lifecycle and enabling
    void FormCreate();
    void FormClose();
    void UpdateControlEnabling();
    void ResetOperationState();
    void ReadIniFile();
    void WriteIniFile();
    // Shows a modal box; a message that comes while a box is open waits for it to close.
    void ShowMessage(MessageKind kind, const QString& text);
    // An operation's result: what it brought shown, the continuous refresh released when it failed, then
    // its message from the event loop.
    void OperationFinished(const device::OperationResult& result);
    // The box an operation's result brings, in the window's words; empty text for none.
    std::pair<MessageKind, QString> ResultMessage(const device::OperationResult& result) const;

    // ---- serial-port group
    void Button_PortokLekerdezeseClick();
    void Button_MegnyitasClick();
    void Button_BezarasClick();
    void ComPort1PortOpen();
    void ComPort1PortClose();
    void Timer_TXTimer();
    void Timer_RXTimer();
    void LightTxLamp();
    void LightRxLamp();
    // Port list upkeep: details and hint, refresh as devices come and go, a port lost while open.
    void ConnectPortUpkeep();
    void ShowPorts(const comport::PortScan& scan);
    comport::PortProbeOptions ProbeOptions() const;
    // Sets the port preselected at start-up from demo mode and the command line.
    void ChooseStartPort(const comport::PortScan& scan);
    void ComPort1PortLost(const QString& port);
    // Empty why: the readings are current again.
    void MarkReadingsStale(const QString& why);

    // ---- network serial servers in the port list (TForm_MainNetworkPorts.cpp)
    void Button_AddNetworkPortClick();
    void Button_RemoveNetworkPortClick();
    // The remembered network ports and those named on the command line, each once, in that order.
    void TakeNetworkPorts();
    // Appends an item for each network port after the serial ports.
    void ListNetworkPorts();
    bool IsNetworkItem(int row) const;
    void UpdateNetworkPortButtons();
    // The network ports and the chosen one as the INI file keeps them.
    void PutNetworkPorts(settingsfile::AppIniValues& values) const;

    // ---- the commissioning window (TForm_MainCommissioning.cpp)
    void BuildCommissioning();

    // ---- the history window (TForm_MainHistory.cpp)
    void BuildHistory();
    void Button_HistoryClick();

    // ---- settings page and files
    void Button_FileMegnyitasClick();
    // What "Open settings file" does once the file is chosen; also for a file given on the command line.
    void OpenSettingsFile(const QString& path);
    void Button_FileMentesClick();
    void Button_ZT7208GyariBeallClick();
    void Button_ZT7208AktBeallKiolvasasClick();
    void Button_ZT7208LetoltesClick();
    void Button_GyariElsoInicClick();
    void ShowSettingsBlock(const device::SettingsAnswer& answer);
    void ShowDataSource(unsigned code);
    bool ValidateSettings();
    // The caption a setting's message names: its radio group's title or its edit's label.
    QString CaptionOf(device::FieldRef field) const;

    // ---- counters page
    void Button_7208ImpulzusKiolvasasClick();
    // Polls the counters while the toggle is down and the counters page shown, at the pace "Fast" asks.
    void ScheduleContinuousRefresh();
    void Button_7208HibabitTorlesClick();
    void Timer_ZT7208Imp1Timer(QObject* sender);
    void SpeedButton_7208ErtekBeiras1Click(QObject* sender);
    void ApplyCounterSelection(QObject* sender);
    bool CheckNumberInRange(TLabeledEdit* edit);
    void LabeledEdit_7208Ertek1DblClick(QObject* sender);
    void Button_7208ImpulzusertekBeirasClick();
    // The selected counters with their values, as the preset request sends them; releases the selection.
    device::PresetSelection TakeCounterSelection();
    void ShowCounterStatus(const device::CounterStatusReport& report);
    void ReleaseContinuousRefresh();

    // ---- frame monitor, status bar, counter log and rates (TForm_MainMonitor.cpp)
    void BuildMonitor();
    void ShowFrameMonitor();
    void CloseFrameMonitor();
    void SpeedButton_RecordCountersClick();
    // Shows the rates of a report the page has just shown and writes it to the counter log.
    void TakeCounterReport(const device::CounterStatusReport& report);

    // ---- keyboard and screen readers (TForm_MainAccess.cpp)
    void SetUpKeyboardAndNames();
    void SetTabOrder();
    void ShowLamp(TShape* lamp, Lamp which, bool lit);
    // The accessible names of the counters, intervals and rates, from the texts they show.
    void NameReadings();
    // Moves the focus to the tab bar when a page is turned from elsewhere and tells readers the page.
    void AnnouncePage(int index);
    // Each input's summary (the name of its "INn" label), at most once a second.
    void ScheduleInputSummaries();
    void NameInputSummaries();
    QString InputSummaryOf(int k) const;
    // The language box: remembered at once, shown from the next start.
    void ComboBox_LanguageChange(int index);

    // ---- state
    StartOptions m_options;
    // Chosen at start from the screen's width: the design's layout where it fits beside the right-hand
    // panel, otherwise the pages reflowed narrower and taller (TForm_MainLayout.cpp).
    bool m_narrow = false;
    session::DeviceSession* m_session = nullptr;
    session::CounterPoller* m_poller = nullptr; // owns Timer_FolyamatosKiolvasas
    QString PreferredPort;
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

    // ---- frame
    QLabel* Panel4 = nullptr;
    QTabWidget* PageControl_ZT7208 = nullptr;
    QWidget* TabSheet_BeallithatoLetolthetoPar = nullptr;
    QWidget* TabSheet_Impulzusok = nullptr;

    // ---- serial-port group
    QGroupBox* GroupBox_SorosPortKivalasztasa = nullptr;
    QListWidget* ListBox_ComPortLista = nullptr;
    QLabel* Label_Portok = nullptr;
    QPushButton* Button_PortokLekerdezese = nullptr;
    TShape* Shape_TX = nullptr;
    QLabel* Label_TX = nullptr;
    TShape* Shape_RX = nullptr;
    QLabel* Label_RX = nullptr;
    TShape* Shape_Port = nullptr; // holds Button_Megnyitas and shows as its coloured frame
    QPushButton* Button_Megnyitas = nullptr;
    QPushButton* Button_Bezaras = nullptr;
    // Port list upkeep (our own names): what was left out of the list, the watcher, stale readings.
    QLabel* Label_PortHint = nullptr;
    QLabel* Label_StaleReadings = nullptr;
    comport::PortWatcher* m_portWatcher = nullptr;
    comport::PortScan m_shownPorts;
    QString m_portById; // the stable name of the adapter the user chose
    // Network serial servers (our own names): their port texts in the order the list shows them, after
    // the serial ports; those named on the command line, which are not remembered unless chosen at close;
    // the user's choice while it is one of them.
    QPushButton* Button_AddNetworkPort = nullptr;
    QPushButton* Button_RemoveNetworkPort = nullptr;
    QStringList m_networkPorts;
    QStringList m_networkPortsForThisRun;
    QString m_chosenNetworkPort;
    bool m_fillingPortList = false;
    bool m_portsChangedWhileOpen = false;

    // ---- settings-file and device groups
    QGroupBox* GroupBox_FajlMuveletek = nullptr;
    QPushButton* Button_FileMegnyitas = nullptr;
    QPushButton* Button_FileMentes = nullptr;
    QGroupBox* GroupBox_KeszulekOlvasasIras = nullptr;
    QPushButton* Button_ZT7208GyariBeall = nullptr;
    QPushButton* Button_ZT7208AktBeallKiolvasas = nullptr;
    QPushButton* Button_ZT7208Letoltes = nullptr;

    // ---- settings page; families are indexed by input number - 1
    std::array<QGroupBox*, 8> GroupBox_Input{}; // GroupBox8, GroupBox22, ... (ControlNames.h)
    std::array<TRadioGroup*, 8> RadioGroup_7208BemTip{};
    std::array<QCheckBox*, 8> CheckBox_7208PergMentesites{};
    std::array<QLabel*, 8> Label_Debounce{}; // Label4, Label9, ... (ControlNames.h)
    std::array<TRadioGroup*, 8> RadioGroup_7208BemEl{};
    std::array<TLabeledEdit*, 8> LabeledEdit_7208BemTimeOut{};
    QGroupBox* GroupBox_7208MODBUS = nullptr;
    TRadioGroup* RadioGroup_7208MbParitas = nullptr;
    QLabel* Label5 = nullptr;
    QListWidget* ListBox_7208MbSebesseg = nullptr;
    TLabeledEdit* LabeledEdit_7208MbKeszulekcim = nullptr;
    QCheckBox* CheckBox_7208MbRFelLe = nullptr;
    QCheckBox* CheckBox_7208MbRLezaro = nullptr;
    TLabeledEdit* LabeledEdit_7208MbIdokorlat = nullptr;
    TLabeledEdit* LabeledEdit_7208MbValaszKeslIdo = nullptr;
    TColorLabel* Label_7208ParameterAdatforras = nullptr;
    QPushButton* Button_GyariElsoInicB = nullptr;

    // ---- counters page; families are indexed by input number - 1, error bits by bit number
    QGroupBox* GroupBox25 = nullptr;
    std::array<TColorLabel*, 8> Label_7208IN{};
    std::array<TColorLabel*, 8> Label_7208Szamlalo{};
    std::array<TColorLabel*, 8> Label_7208Overflow{};
    std::array<TColorLabel*, 8> Label_7208Ido{};
    std::array<TColorLabel*, 8> Label_7208TimeOut{};
    std::array<TLabeledEdit*, 8> LabeledEdit_7208Ertek{};
    std::array<TSpeedButton*, 8> SpeedButton_7208ErtekBeiras{};
    QPushButton* Button_7208ImpulzusertekBeiras = nullptr;
    QGroupBox* GroupBox23 = nullptr;
    std::array<TColorLabel*, 8> Label_7208Szakadas{};
    std::array<TColorLabel*, 8> Label_7208Zarlat{};
    QGroupBox* GroupBox26 = nullptr;
    std::array<TColorLabel*, 8> Label_7208AltHibaBit{};
    QGroupBox* GroupBox27 = nullptr;
    std::array<TColorLabel*, 8> Label_7208MegorzodoAltHibaBit{};
    TColorLabel* Label_7208Adatforras = nullptr;
    QPushButton* Button_7208ImpulzusKiolvasas = nullptr;
    TSpeedButton* SpeedButton_7208FolymatosKiolvasas = nullptr;
    QPushButton* Button_7208HibabitTorles = nullptr;
    QPushButton* Button_GyariElsoInic = nullptr;

    // ---- frame monitor, status bar, counter log and rates; our own names
    FrameMonitorModel* m_frameRows = nullptr;
    FrameMonitor* m_frameMonitor = nullptr;
    bool m_frameMonitorPlaced = false;
    SessionStatusBar* m_statusBar = nullptr;
    CounterLog m_counterLog;
    counters::CounterRateWindow m_rates;
    counters::ReportClock m_reportClock;
    QPushButton* Button_FrameMonitor = nullptr;
    TSpeedButton* SpeedButton_RecordCounters = nullptr;
    QCheckBox* CheckBox_Gyors = nullptr; // "Fast": the continuous refresh reads back to back
    std::array<QLabel*, 8> Label_CounterRate{};
    // ---- commissioning many devices at once; our own names
    QPushButton* Button_Commissioning = nullptr;
    CommissioningWindow* m_commissioning = nullptr;
    // ---- the rates and counters over time; our own names
    QPushButton* Button_History = nullptr;
    HistoryWindow* m_history = nullptr;
    // ---- the language of the window and the summaries of the inputs; our own names
    QLabel* Label_Language = nullptr;
    QComboBox* ComboBox_Language = nullptr;
    QLabel* Label_LanguageNote = nullptr; // says that a change shows from the next start
    QTimer* Timer_InputSummaries = nullptr;
    QElapsedTimer m_summariesNamed;

    // ---- the window's timers (the engine's and the operation machine's live in the session)
    QTimer* Timer_TX = nullptr;
    QTimer* Timer_RX = nullptr;
    std::array<QTimer*, 8> Timer_ZT7208Imp{};
};

} // namespace zeph::app
