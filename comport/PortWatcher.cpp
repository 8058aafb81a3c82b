// SPDX-License-Identifier: MIT
// The port watcher on Linux: one inotify descriptor on the folders, a socket notifier on it, and a
// short single-shot timer that lets a burst of udev's changes settle before the list is probed.
#include "comport/PortWatcher.h"

#include "comport/ComPortLogging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/inotify.h>
#include <unistd.h>

namespace zeph::comport {

namespace {

// Long enough for udev to set the node's group and add its links, short enough to list the port
// well within two seconds.
constexpr int SettleMs = 300;
// Links followed from a given path towards its node.
constexpr int MaxLinkSteps = 8;

constexpr uint32_t FolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                                  IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

QString NearestExistingFolder(QString folder) {
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder) return {};
        folder = parent;
    }
    return QFileInfo(folder).absoluteFilePath();
}

} // namespace

QStringList FoldersToWatch(const PortProbeOptions& options) {
    QStringList wanted{options.devRoot, options.devRoot + QStringLiteral("/serial"),
                       options.devRoot + QStringLiteral("/serial/by-id")};
    for (const QString& given : options.extraPaths) {
        QFileInfo step(given);
        for (int i = 0; i < MaxLinkSteps; ++i) {
            wanted << step.absolutePath();
            if (!step.isSymLink()) break;
            step = QFileInfo(step.symLinkTarget());
        }
    }
    QStringList folders;
    for (const QString& folder : std::as_const(wanted)) {
        const QString existing = NearestExistingFolder(QDir::cleanPath(folder));
        if (!existing.isEmpty() && !folders.contains(existing)) folders << existing;
    }
    return folders;
}

PortWatcher::PortWatcher(const PortProbeOptions& options, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    , m_settle(new QTimer(this)) {
    m_settle->setObjectName(QStringLiteral("Timer_PortWatcherSettle"));
    m_settle->setSingleShot(true);
    m_settle->setInterval(SettleMs);
    connect(m_settle, &QTimer::timeout, this, &PortWatcher::Settled);
    if (m_fd < 0) {
        qCWarning(lcComPort) << "no inotify: the port list refreshes only on request";
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PortWatcher::ReadEvents);
    Arm();
}

PortWatcher::~PortWatcher() {
    delete m_notifier;
    if (m_fd >= 0) ::close(m_fd);
}

QStringList PortWatcher::WatchedFolders() const {
    QStringList folders = m_watches.values();
    folders.sort();
    return folders;
}

void PortWatcher::Arm() {
    if (m_fd < 0) return;
    const QStringList wanted = FoldersToWatch(m_options);
    for (auto it = m_watches.begin(); it != m_watches.end();) {
        if (wanted.contains(it.value())) {
            ++it;
            continue;
        }
        ::inotify_rm_watch(m_fd, it.key());
        it = m_watches.erase(it);
    }
    for (const QString& folder : wanted) {
        if (m_watches.key(folder, -1) >= 0) continue;
        const int watch = ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), FolderEvents);
        if (watch >= 0)
            m_watches.insert(watch, folder);
        else
            qCDebug(lcComPort).noquote() << "cannot watch" << folder;
    }
}

void PortWatcher::ReadEvents() {
    ++m_wakeUps;
    alignas(inotify_event) char buffer[4096];
    ssize_t got;
    while ((got = ::read(m_fd, buffer, sizeof buffer)) > 0) {
        // What changed does not matter: the probe looks at everything again once the burst settles. Only
        // a watch the kernel dropped (its folder went) is forgotten, so that Arm can place it again.
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_IGNORED) m_watches.remove(event->wd);
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    if (!m_settle->isActive()) m_settle->start();
}

void PortWatcher::Settled() {
    ++m_wakeUps;
    // Folders may have come or gone (the first adapter makes /dev/serial/by-id).
    Arm();
    emit PortsMayHaveChanged();
}

} // namespace zeph::comport
