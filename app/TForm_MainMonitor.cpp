// What the main window adds to see what happens on the line: the frame monitor window with its place
// remembered.
#include "app/TForm_Main.h"

#include "app/FrameMonitor.h"
#include "app/FrameMonitorModel.h"
#include "app/FrameRecorder.h"
#include "settingsfile/AppIniFile.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace zeph::app {

namespace {
const QString FrameMonitorKey = QStringLiteral("FrameMonitor");

// A remembered place is used only while enough of it lies on a screen to grab the window again.
bool OnAScreen(const QRect& place) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect visible = screen->availableGeometry().intersected(place);
        if (visible.width() >= 100 && visible.height() >= 50) return true;
    }
    return false;
}
} // namespace

void TForm_Main::BuildMonitor() {
    m_frameRows = new FrameMonitorModel(this);
    m_frameRows->setObjectName(QStringLiteral("FrameMonitorModel"));
    new FrameRecorder(*m_session, *m_frameRows, this);
    m_frameMonitor = new FrameMonitor(
        *m_frameRows, [this]() -> UserDialogs& { return *m_dialogs; }, this);
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F12), this);
    shortcut->setObjectName(QStringLiteral("Shortcut_FrameMonitor"));
    // F12 works from the monitor too, where it brings the window back to the front.
    shortcut->setContext(Qt::ApplicationShortcut);
    connect(shortcut, &QShortcut::activated, this, &TForm_Main::ShowFrameMonitor);
    connect(Button_FrameMonitor, &QPushButton::clicked, this, &TForm_Main::ShowFrameMonitor);
}

void TForm_Main::ShowFrameMonitor() {
    if (!m_frameMonitorPlaced) {
        m_frameMonitorPlaced = true;
        const std::optional<QRect> place = settingsfile::ReadWindowPlace(m_iniPath, FrameMonitorKey);
        if (place && OnAScreen(*place)) m_frameMonitor->setGeometry(*place);
    }
    m_frameMonitor->ShowAndRaise();
}

void TForm_Main::CloseFrameMonitor() {
    // A monitor never opened in this run leaves the remembered place as it was.
    if (m_frameMonitorPlaced)
        settingsfile::WriteWindowPlace(m_iniPath, FrameMonitorKey, m_frameMonitor->geometry());
    m_frameMonitor->close();
}

} // namespace zeph::app
