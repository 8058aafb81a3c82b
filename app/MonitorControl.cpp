// SPDX-License-Identifier: MIT
// The frame monitor as the main window opens and closes it, with its place remembered between runs.
#include "app/MonitorControl.h"

#include "app/FrameMonitor.h"
#include "app/FrameMonitorModel.h"
#include "app/FrameRecorder.h"
#include "settingsfile/AppIniFile.h"

#include <QPushButton>
#include <QShortcut>

namespace zeph::app {

namespace {
const QString FrameMonitorKey = QStringLiteral("FrameMonitor");
} // namespace

MonitorControl::MonitorControl(const WindowServices& services, QPushButton* button, QWidget* window)
    : QObject(window)
    , m_services(services) {
    setObjectName(QStringLiteral("MonitorControl"));
    m_frameRows = new FrameMonitorModel(window);
    m_frameRows->setObjectName(QStringLiteral("FrameMonitorModel"));
    new FrameRecorder(*m_services.session, *m_frameRows, window);
    m_frameMonitor = new FrameMonitor(*m_frameRows, m_services.dialogs, window);

    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F12), window);
    shortcut->setObjectName(QStringLiteral("Shortcut_FrameMonitor"));
    // F12 works from the monitor too, where it brings the window back to the front.
    shortcut->setContext(Qt::ApplicationShortcut);
    connect(shortcut, &QShortcut::activated, this, &MonitorControl::ShowFrameMonitor);
    connect(button, &QPushButton::clicked, this, &MonitorControl::ShowFrameMonitor);
}

void MonitorControl::ShowFrameMonitor() {
    if (!m_frameMonitorPlaced) {
        m_frameMonitorPlaced = true;
        // A place no longer on any screen is not used, nor a size larger than the screen.
        m_frameMonitor->setGeometry(FirstPlace(
            settingsfile::ReadWindowPlace(m_services.iniPath(), FrameMonitorKey), m_frameMonitor->size()));
    }
    m_frameMonitor->ShowAndRaise();
}

void MonitorControl::CloseFrameMonitor() {
    // A monitor never opened in this run leaves the remembered place as it was.
    if (m_frameMonitorPlaced)
        settingsfile::WriteWindowPlace(m_services.iniPath(), FrameMonitorKey, m_frameMonitor->geometry());
    m_frameMonitor->close();
}

void MonitorControl::SetSaveFolder(const QString& folder) {
    m_frameMonitor->SetSaveFolder(folder);
}

QString MonitorControl::SaveFolder() const {
    return m_frameMonitor->SaveFolder();
}

} // namespace zeph::app
