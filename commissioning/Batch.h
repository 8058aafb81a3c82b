// SPDX-License-Identifier: MIT
// A commissioning run over a device list: everything that can be refused is refused before a device is
// touched (the template, the list, a second run into the same folder); then the devices run, up to a
// number at once, each on its own port, and the folder gets the summary, the audit records and each
// device's read-back settings as they finish. The front ends show it and write the report.
#pragma once

#include "commissioning/AuditLog.h"
#include "commissioning/DeviceList.h"
#include "commissioning/DeviceOutcome.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <deque>
#include <memory>

namespace zeph::commissioning {

class DeviceRun;

struct BatchOptions {
    QString templatePath;
    QString devicesPath;
    QString outDir;
    QString operatorName; // empty: the login name
    int jobs = 8;         // devices at once, 1 to MaxJobs
    bool resume = false;  // skip the devices that passed in an earlier run into outDir
    bool initIfNeeded = false;
};

constexpr int MaxJobs = 64;
constexpr int DefaultJobs = 8;

// The files a run leaves in its folder.
inline constexpr char SummaryFileName[] = "summary.csv";
inline constexpr char AuditFileName[] = "audit.jsonl";
inline constexpr char ReportFileName[] = "report.pdf";

// The login name of the user running the program.
QString LoginName();

class Batch : public QObject {
    Q_OBJECT
public:
    enum class Refusal { None, Usage, Folder };

    explicit Batch(QObject* parent = nullptr);
    ~Batch() override;

    // Reads the template and the list, takes the folder (creating it) and reads what an earlier run left
    // there. False with every problem found (each naming its file, and line and column where it has
    // them); Refused() then says whether the input or the folder was at fault.
    bool Prepare(const BatchOptions& options, QStringList* problems);
    Refusal Refused() const { return m_refusal; }
    // What resuming decided: "P-3: its row changed since it passed; it runs again".
    QStringList Notes() const { return m_notes; }

    void Start();
    // Each running device finishes its request under way; devices not started stay "not run".
    void Stop();
    bool IsRunning() const { return m_running; }

    // Every device of the list in its order, as far as it has come.
    const BatchOutcome& Outcome() const { return m_outcome; }
    // Problems writing the folder's files (the summary, a settings file): the run goes on without them.
    QStringList WriteProblems() const { return m_writeProblems; }
    QString OutDir() const { return m_options.outDir; }

signals:
    void DeviceChanged(int index);
    void DeviceFinished(int index);
    void Finished();

private:
    void StartNext();
    void DeviceDone(int index);
    void WriteSummary();
    void WriteSettingsFile(DeviceOutcome& device);
    bool AppendAudit(const DeviceOutcome& device, QJsonObject record, QString* error);
    void ReadEarlierRun();

    BatchOptions m_options;
    Refusal m_refusal = Refusal::None;
    DeviceList m_list;
    device::SettingsPageState m_template;
    QByteArray m_templateDigest;
    QStringList m_notes;
    QStringList m_writeProblems;
    BatchOutcome m_outcome;
    std::unique_ptr<AuditLog> m_audit;
    int m_lockFd = -1;
    std::deque<int> m_waiting;
    QHash<int, DeviceRun*> m_runs;
    QHash<QString, QStringList> m_earlierRows; // tag -> the earlier summary's cells, in this run's columns
    QStringList m_earlierOrder;                // their tags in the earlier summary's order
    bool m_running = false;
    bool m_stopping = false;
};

} // namespace zeph::commissioning
