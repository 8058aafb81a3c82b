// SPDX-License-Identifier: MIT
// Watches the folders where serial devices come and go (/dev, /dev/serial/by-id and those of the paths
// given on the command line) through inotify, and says when the port list may have changed. It wakes
// only when one of those folders changes: no timer runs while nothing happens.
#pragma once

#include "comport/PortProbe.h"

#include <QHash>
#include <QObject>
#include <QStringList>

class QSocketNotifier;
class QTimer;

namespace zeph::comport {

// The folders to watch: the device folder, its serial/by-id folder, and the folder of each extra path
// and of each link on its way to the node. A folder that does not exist yet is stood in for by its
// nearest existing parent, so its creation is seen too.
QStringList FoldersToWatch(const PortProbeOptions& options);

class PortWatcher : public QObject {
    Q_OBJECT
public:
    explicit PortWatcher(const PortProbeOptions& options, QObject* parent = nullptr);
    ~PortWatcher() override;

    QStringList WatchedFolders() const;
    // How often the watcher has woken: batches of folder events read, and settle periods ended.
    int WakeUps() const { return m_wakeUps; }

signals:
    // A device node appeared, went or changed its permissions; sent once a burst of changes has settled
    // (udev creates the node, then sets its group, then adds its links).
    void PortsMayHaveChanged();

private:
    void Arm();
    void ReadEvents();
    void Settled();

    PortProbeOptions m_options;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_settle = nullptr;
    QHash<int, QString> m_watches; // inotify watch descriptor -> folder
    int m_wakeUps = 0;
};

} // namespace zeph::comport
