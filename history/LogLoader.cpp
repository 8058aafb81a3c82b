// SPDX-License-Identifier: MIT
// Opening a log on a thread.
#include "history/LogLoader.h"

#include <QLoggingCategory>
#include <QPointer>

namespace zeph::history {

Q_LOGGING_CATEGORY(lcHistory, "zeph.history", QtWarningMsg)

LogLoader::LogLoader(QObject* parent)
    : QObject(parent) {}

LogLoader::~LogLoader() {
    Cancel();
    Join();
}

void LogLoader::Cancel() {
    if (m_cancel) m_cancel->store(true);
}

void LogLoader::Join() {
    if (!m_thread) return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

void LogLoader::Start(const QString& path) {
    Cancel();
    Join();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_cancel = cancel;
    QPointer<LogLoader> self(this);
    m_thread = QThread::create([self, cancel, path] {
        int shown = -1;
        qCDebug(lcHistory) << "opening" << path;
        LogHistory::Opened opened = LogHistory::Open(path, [&](double done) {
            const int permille = int(done * 1000);
            if (permille != shown) {
                shown = permille;
                QMetaObject::invokeMethod(
                    self,
                    [self, permille] {
                        if (self) emit self->Progress(permille);
                    },
                    Qt::QueuedConnection);
            }
            return !cancel->load();
        });
        qCDebug(lcHistory) << "opened" << path << (opened.log ? opened.log->RowCount() : 0) << "rows"
                           << opened.error << opened.note;
        std::shared_ptr<LogHistory> log(std::move(opened.log));
        QMetaObject::invokeMethod(
            self,
            [self, cancel, log, error = opened.error, note = opened.note,
             stoppedEarly = opened.stoppedEarly] {
                // A load replaced by a newer one was joined when that one started.
                if (!self || self->m_cancel != cancel) return;
                self->Join();
                if (cancel->load()) return;
                emit self->Finished(log, error, note, stoppedEarly);
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
}

} // namespace zeph::history
