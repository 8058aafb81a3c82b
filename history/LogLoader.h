// SPDX-License-Identifier: MIT
// Opens a counter log on a thread of its own, so the window stays responsive and can offer Cancel.
#pragma once

#include "history/LogHistory.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

namespace zeph::history {

class LogLoader : public QObject {
    Q_OBJECT
public:
    explicit LogLoader(QObject* parent = nullptr);
    ~LogLoader() override;

    // Starts opening the file; a load under way is cancelled first.
    void Start(const QString& path);
    void Cancel();
    bool IsLoading() const { return m_thread != nullptr; }

signals:
    // Per mille done, at most a few dozen times a second.
    void Progress(int permille);
    // The opened log (nullptr with the reason when refused); never sent for a cancelled load.
    void Finished(std::shared_ptr<zeph::history::LogHistory> log, const QString& error, const QString& note,
                  bool stoppedEarly);

private:
    void Join();

    QThread* m_thread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};

} // namespace zeph::history
