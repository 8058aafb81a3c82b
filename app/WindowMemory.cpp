// SPDX-License-Identifier: MIT
// The main window's memory in the application INI file, and window places on the screens of today.
#include "app/WindowMemory.h"

#include "settingsfile/AppIniFile.h"

#include <QGuiApplication>
#include <QScreen>

namespace zeph::app {

namespace {

const QString PlaceKey = QStringLiteral("MainWindow");
const QString MaximizedKey = QStringLiteral("MainWindowMaximized");
const QString PageKey = QStringLiteral("MainWindowPage");
const QString FastRefreshKey = QStringLiteral("FastRefresh");
const QString SettingsFileFolderKey = QStringLiteral("SettingsFileFolder");
const QString CounterLogFolderKey = QStringLiteral("CounterLogFolder");
const QString FrameMonitorFolderKey = QStringLiteral("FrameMonitorFolder");
constexpr int PageCount = 2;

// Room for the title bar and borders a window manager adds around the window.
const QSize FrameAllowance(16, 48);

QSize LimitedTo(const QSize& size, const QRect& area) {
    return size.boundedTo(area.size() - FrameAllowance).expandedTo(QSize(1, 1));
}

} // namespace

WindowMemory ReadWindowMemory(const QString& iniPath) {
    WindowMemory memory;
    memory.place = settingsfile::ReadWindowPlace(iniPath, PlaceKey);
    const QMap<QString, QString> values = settingsfile::ReadConfiguratorValues(
        iniPath, {MaximizedKey, PageKey, FastRefreshKey, SettingsFileFolderKey, CounterLogFolderKey,
                  FrameMonitorFolderKey});
    memory.maximized = values.value(MaximizedKey) == QLatin1String("1");
    memory.fastRefresh = values.value(FastRefreshKey) == QLatin1String("1");
    bool number = false;
    const int page = values.value(PageKey).toInt(&number);
    if (number && page >= 0 && page < PageCount) memory.page = page;
    memory.settingsFileFolder = values.value(SettingsFileFolderKey);
    memory.counterLogFolder = values.value(CounterLogFolderKey);
    memory.frameMonitorFolder = values.value(FrameMonitorFolderKey);
    return memory;
}

bool WriteWindowMemory(const QString& iniPath, const WindowMemory& memory) {
    settingsfile::ConfiguratorValues values = {
        {MaximizedKey, memory.maximized ? QStringLiteral("1") : QStringLiteral("0")},
        {PageKey, QString::number(memory.page)},
        {FastRefreshKey, memory.fastRefresh ? QStringLiteral("1") : QStringLiteral("0")}};
    const std::pair<const QString&, const QString&> folders[] = {
        {SettingsFileFolderKey, memory.settingsFileFolder},
        {CounterLogFolderKey, memory.counterLogFolder},
        {FrameMonitorFolderKey, memory.frameMonitorFolder}};
    for (const auto& [key, folder] : folders)
        if (!folder.isEmpty()) values.append({key, folder});
    bool written = settingsfile::WriteConfiguratorValues(iniPath, values);
    if (memory.place) written = settingsfile::WriteWindowPlace(iniPath, PlaceKey, *memory.place) && written;
    return written;
}

bool OnAScreen(const QRect& place) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect visible = screen->availableGeometry().intersected(place);
        if (visible.width() >= 100 && visible.height() >= 50) return true;
    }
    return false;
}

QRect FirstPlace(const std::optional<QRect>& remembered, const QSize& hint) {
    if (remembered && OnAScreen(*remembered)) {
        const QScreen* screen = QGuiApplication::screenAt(remembered->center());
        if (!screen) screen = QGuiApplication::screenAt(remembered->topLeft());
        if (!screen) screen = QGuiApplication::primaryScreen();
        return {remembered->topLeft(), LimitedTo(remembered->size(), screen->availableGeometry())};
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {QPoint(0, 0), hint};
    const QRect area = screen->availableGeometry();
    QRect place({0, 0}, LimitedTo(hint, area));
    place.moveCenter(area.center());
    return place;
}

} // namespace zeph::app
