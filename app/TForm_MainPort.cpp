// The serial-port group: the port list, opening and closing, the three lamps, the frames written to and
// the characters received from the line, and the application INI file that remembers the port.
#include "app/TForm_Main.h"

#include "app/widgets/ListBoxIndex.h"
#include "app/widgets/TShape.h"
#include "comport/PortProbe.h"
#include "session/DeviceSession.h"
#include "settingsfile/AppIniFile.h"
#include "sim/SimulatedDevice.h"

#include <QCoreApplication>
#include <QDate>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

namespace zeph::app {

namespace {
const QColor PortOpenGreen(13, 151, 30);
const QColor ActivityRed(255, 0, 0);

// Lights a lamp for 500 ms after the last activity: every call starts a fresh period.
void LightLamp(TShape* lamp, QTimer* timer, const QColor& colour) {
    lamp->SetBrushColor(colour);
    timer->stop();
    timer->setInterval(500);
    timer->start();
}
} // namespace

void TForm_Main::Button_PortokLekerdezeseClick() {
    QStringList ports;
    comport::ListComPorts(&ports, {m_options.sysfsRoot, m_options.devRoot, m_options.ports});
    comport::CopyListReversed(ports, &ports); // the highest port number comes first
    ListBox_ComPortLista->clear();
    ListBox_ComPortLista->addItems(ports);
    if (ports.isEmpty()) return;
    int selected = 0;
    for (int i = 0; i < ports.size(); ++i)
        if (ports[i].compare(PreferredPort, Qt::CaseInsensitive) == 0) selected = i;
    SetListItemIndex(ListBox_ComPortLista, selected);
    PreferredPort = ports[selected];
}

void TForm_Main::Button_MegnyitasClick() {
    const int row = ListItemIndex(ListBox_ComPortLista);
    if (row < 0) {
        ShowMessage(MessageKind::Error, QStringLiteral("No serial port is selected in the list."));
        return;
    }
    QString error;
    if (!m_session->Open(ListBox_ComPortLista->item(row)->text(), &error))
        ShowMessage(MessageKind::Error, error);
}

void TForm_Main::Button_BezarasClick() {
    m_session->Close();
}

// The session has set its port state and raises DTR and drops RTS after this.
void TForm_Main::ComPort1PortOpen() {
    Shape_Port->SetBrushColor(PortOpenGreen);
    ListBox_ComPortLista->setEnabled(false);
    UpdateControlEnabling();
}

// The session has already returned the operations to idle and cleared its port state.
void TForm_Main::ComPort1PortClose() {
    Shape_Port->SetBrushColor(Qt::white);
    ListBox_ComPortLista->setEnabled(true);
    UpdateControlEnabling();
}

void TForm_Main::Timer_TXTimer() {
    Shape_TX->SetBrushColor(Qt::white);
    Timer_TX->stop();
}

void TForm_Main::Timer_RXTimer() {
    Shape_RX->SetBrushColor(Qt::white);
    Timer_RX->stop();
}

void TForm_Main::LightTxLamp() {
    LightLamp(Shape_TX, Timer_TX, ActivityRed);
}

// Every chunk lights the lamp, an empty one too.
void TForm_Main::LightRxLamp() {
    LightLamp(Shape_RX, Timer_RX, PortOpenGreen);
}

void TForm_Main::ReadIniFile() {
    if (m_iniPath.isEmpty())
        m_iniPath = m_options.iniPath.isEmpty()
                        ? settingsfile::AppIniPath(
                              QCoreApplication::applicationFilePath(),
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
                        : m_options.iniPath;
    m_iniValues = settingsfile::ReadAppIni(m_iniPath);
    PreferredPort = m_iniValues.preferredPort;
}

void TForm_Main::WriteIniFile() {
    std::optional<QString> selected;
    if (const int row = ListItemIndex(ListBox_ComPortLista); row >= 0)
        selected = ListBox_ComPortLista->item(row)->text();
    // The demo's pseudo-terminal is gone after this run: keep remembering the user's own port.
    if (m_demoDevice && selected == m_demoDevice->PortPath()) selected = m_iniValues.preferredPort;
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    settingsfile::WriteAppIni(m_iniPath, date, selected, m_iniValues);
}

} // namespace zeph::app
