// SPDX-License-Identifier: MIT
// The run over the device list: preparation, the queue of devices, and the folder's files.
#include "commissioning/Batch.h"

#include "commissioning/Csv.h"
#include "commissioning/DeviceRun.h"
#include "comport/PortProbe.h"
#include "line/PortText.h"
#include "session/SettingsFileMapping.h"
#include "session/SettingsJson.h"
#include "session/SettingsText.h"
#include "settingsfile/SafeFile.h"
#include "settingsfile/SettingsFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

namespace zeph::commissioning {

namespace {

const QStringList SummaryColumns{"tag",
                                 "port",
                                 "adapter",
                                 "verdict",
                                 "failed_step",
                                 "reason",
                                 "sends",
                                 "time_ms",
                                 "changed_settings",
                                 "run",
                                 "row_sha256",
                                 "template_sha256",
                                 "audit_records",
                                 "audit_last_sha256"};

int ColumnIndex(const char* name) {
    return int(SummaryColumns.indexOf(QLatin1String(name)));
}

// How a device's adapter names itself: the USB maker, product and serial number, what else the system
// says of the port, or the serial server.
QString AdapterIdentity(const QString& port, const QList<comport::PortInfo>& scanned) {
    if (const auto address = line::ParsePortText(port); address && address->IsNetwork())
        return QStringLiteral("serial server %1").arg(address->Endpoint());
    const QString identity = line::PortIdentity(port);
    for (const comport::PortInfo& info : scanned) {
        if (info.path != port && info.byId != port && line::PortIdentity(info.path) != identity) continue;
        const QString usb = QStringList{info.maker, info.product, info.serial}.join(u' ').simplified();
        if (!usb.isEmpty()) return usb;
        return info.deviceEnd.isEmpty() ? info.kind
                                        : QStringLiteral("%1 (%2)").arg(info.kind, info.deviceEnd);
    }
    return {};
}

} // namespace

QString LoginName() {
    if (const passwd* user = ::getpwuid(::geteuid()); user && user->pw_name)
        return QString::fromLocal8Bit(user->pw_name);
    return qEnvironmentVariable("LOGNAME", qEnvironmentVariable("USER"));
}

Batch::Batch(QObject* parent)
    : QObject(parent) {}

Batch::~Batch() {
    for (DeviceRun* run : std::as_const(m_runs))
        run->disconnect(this);
    if (m_lockFd >= 0) ::close(m_lockFd);
}

bool Batch::Prepare(const BatchOptions& options, QStringList* problems) {
    m_options = options;
    if (m_options.operatorName.isEmpty()) m_options.operatorName = LoginName();
    QStringList found;
    auto refuse = [&](Refusal refusal) {
        m_refusal = refusal;
        if (problems) *problems = found;
        return false;
    };

    // The template: a settings file as the window loads it; its values are checked per device, with the
    // device's own overrides.
    QString problem;
    if (const auto page = session::LoadSettingsPage(options.templatePath, &problem)) {
        m_template = *page;
        QFile templateFile(options.templatePath);
        if (templateFile.open(QIODevice::ReadOnly))
            m_templateDigest =
                QCryptographicHash::hash(templateFile.readAll(), QCryptographicHash::Sha256).toHex();
    } else {
        found << problem;
    }
    QFile listFile(options.devicesPath);
    if (!listFile.open(QIODevice::ReadOnly)) {
        found << options.devicesPath + QStringLiteral(": cannot read: ") + listFile.errorString();
    } else {
        m_list = ParseDeviceList(listFile.readAll(), options.devicesPath);
        found << m_list.problems;
    }
    if (!found.isEmpty()) return refuse(Refusal::Usage);

    // The folder, taken for this run alone.
    if (!QDir().mkpath(options.outDir)) {
        found << options.outDir + QStringLiteral(": cannot create the folder");
        return refuse(Refusal::Folder);
    }
    const QString lockPath = QDir(options.outDir).filePath(QStringLiteral(".commissioning.lock"));
    m_lockFd = ::open(QFile::encodeName(lockPath).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (m_lockFd < 0) {
        found << lockPath + QStringLiteral(": ") + settingsfile::SystemErrorText(errno);
        return refuse(Refusal::Folder);
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        found << options.outDir + QStringLiteral(": another commissioning run is writing into this folder");
        ::close(m_lockFd);
        m_lockFd = -1;
        return refuse(Refusal::Folder);
    }
    // An earlier run's summary, report and settings files are a record: a new run goes on with them or
    // goes elsewhere, never over them.
    if (!options.resume && QFileInfo::exists(QDir(options.outDir).filePath(QLatin1String(SummaryFileName)))) {
        found << options.outDir +
                     QStringLiteral(": holds an earlier run; resume it, or run into another folder");
        return refuse(Refusal::Folder);
    }
    m_audit = std::make_unique<AuditLog>(QDir(options.outDir).filePath(QLatin1String(AuditFileName)));
    if (QString error; !m_audit->Open(&error)) {
        found << m_audit->Path() + QStringLiteral(": ") + error;
        return refuse(Refusal::Folder);
    }

    m_outcome = {};
    m_outcome.templatePath = options.templatePath;
    m_outcome.devicesPath = options.devicesPath;
    m_outcome.operatorName = m_options.operatorName;
    m_outcome.auditRecords = m_audit->RecordCount();
    m_outcome.auditLastHash = m_audit->LastHash();
    comport::PortProbeOptions probe;
    for (const DeviceRow& row : m_list.rows)
        if (!line::LooksLikeNetworkPort(row.port)) probe.extraPaths << row.port;
    const QList<comport::PortInfo> scanned = comport::ScanPorts(probe).ports;
    for (const DeviceRow& row : m_list.rows) {
        DeviceOutcome device;
        device.tag = row.tag;
        device.port = row.port;
        device.adapter = AdapterIdentity(row.port, scanned);
        device.presets = row.presets;
        m_outcome.devices.push_back(device);
    }
    if (options.resume) ReadEarlierRun();
    return true;
}

void Batch::ReadEarlierRun() {
    QFile file(QDir(m_options.outDir).filePath(QLatin1String(SummaryFileName)));
    if (!file.open(QIODevice::ReadOnly)) {
        m_notes << QStringLiteral("no earlier run in %1: every device runs").arg(m_options.outDir);
        return;
    }
    const CsvText csv = ParseCsv(file.readAll());
    if (csv.records.empty() || !csv.error.isEmpty()) {
        m_notes << QStringLiteral("%1 cannot be read as an earlier run's summary: every device runs")
                       .arg(file.fileName());
        return;
    }
    // The cells by the header's names, so that a summary saved again by a spreadsheet, its columns moved,
    // reads the same; every earlier row is kept, also of devices no longer in the list.
    std::vector<int> columnOf;
    for (const QString& name : SummaryColumns) {
        const auto& header = csv.records.front().cells;
        const auto found = std::find_if(header.begin(), header.end(),
                                        [&](const CsvCell& cell) { return cell.text == name; });
        columnOf.push_back(found == header.end() ? -1 : int(found - header.begin()));
    }
    for (std::size_t r = 1; r < csv.records.size(); ++r) {
        QStringList cells;
        for (const int column : columnOf)
            cells << (column >= 0 && column < int(csv.records[r].cells.size())
                          ? csv.records[r].cells[std::size_t(column)].text
                          : QString());
        if (!cells[0].isEmpty() && !m_earlierRows.contains(cells[0])) {
            m_earlierRows.insert(cells[0], cells);
            m_earlierOrder << cells[0];
        }
    }
    int skipped = 0;
    bool templateNoted = false;
    for (std::size_t i = 0; i < m_list.rows.size(); ++i) {
        const DeviceRow& row = m_list.rows[i];
        const QStringList cells = m_earlierRows.value(row.tag);
        if (cells.isEmpty() || cells[ColumnIndex("verdict")] != VerdictName(Verdict::Passed)) continue;
        if (cells[ColumnIndex("template_sha256")].toLatin1() != m_templateDigest) {
            if (!templateNoted)
                m_notes << QStringLiteral(
                    "the template changed since the earlier run: the devices that passed run "
                    "again");
            templateNoted = true;
            continue;
        }
        if (cells[ColumnIndex("row_sha256")].toLatin1() != row.digest) {
            m_notes << QStringLiteral("%1: its row changed since it passed; it runs again").arg(row.tag);
            continue;
        }
        DeviceOutcome& device = m_outcome.devices[i];
        device.fromEarlierRun = true;
        device.verdict = Verdict::Passed;
        device.step = Step::Done;
        device.sends = cells[ColumnIndex("sends")].toInt();
        device.elapsedMs = cells[ColumnIndex("time_ms")].toLongLong();
        if (device.adapter.isEmpty()) device.adapter = cells[ColumnIndex("adapter")];
        ++skipped;
    }
    if (skipped > 0)
        m_notes << QStringLiteral("%1 of %2 devices passed in an earlier run and are skipped")
                       .arg(skipped)
                       .arg(m_list.rows.size());
}

void Batch::Start() {
    m_running = true;
    m_outcome.started = QDateTime::currentDateTimeUtc();
    for (std::size_t i = 0; i < m_list.rows.size(); ++i) {
        DeviceOutcome& device = m_outcome.devices[i];
        if (device.fromEarlierRun) continue;
        // The target is checked as the window checks a page before a write: nothing goes to a device whose
        // settings would be refused.
        device::SettingsPageState target = TargetSettings(m_template, m_list.rows[i]);
        const auto failures = session::ValidationFailures(target, QLocale());
        if (!failures.empty()) {
            QStringList reasons;
            for (const device::ValidationFailure& failure : failures)
                reasons << session::JsonPath(failure.field) + QStringLiteral(": ") + failure.message;
            device.verdict = Verdict::Failed;
            device.step = Step::Validate;
            device.reason = reasons.join(QStringLiteral("; "));
            continue;
        }
        device.target = target;
        m_waiting.push_back(int(i));
    }
    WriteSummary();
    // Devices refused above are reported from the event loop, as those that run are.
    QTimer::singleShot(0, this, [this] {
        for (std::size_t i = 0; i < m_outcome.devices.size(); ++i)
            if (m_outcome.devices[i].verdict == Verdict::Failed) emit DeviceFinished(int(i));
        StartNext();
    });
}

void Batch::Stop() {
    if (!m_running) return;
    m_stopping = true;
    m_outcome.stopped = !m_waiting.empty();
    m_waiting.clear();
    for (DeviceRun* run : std::as_const(m_runs))
        run->Stop();
    if (m_runs.isEmpty()) QTimer::singleShot(0, this, &Batch::StartNext);
}

void Batch::StartNext() {
    const int jobs = std::clamp(m_options.jobs, 1, MaxJobs);
    // One device is started a turn of the event loop: opening a network port waits for its server, and
    // the devices already running must have their answers read meanwhile.
    if (!m_stopping && !m_waiting.empty() && m_runs.size() < jobs) {
        const int index = m_waiting.front();
        m_waiting.pop_front();
        DeviceRun::Setup setup{m_list.rows[std::size_t(index)], *m_outcome.devices[std::size_t(index)].target,
                               m_outcome.devices[std::size_t(index)].adapter, m_options.initIfNeeded};
        auto* run = new DeviceRun(
            std::move(setup),
            [this](const DeviceOutcome& device, QJsonObject record, QString* error) {
                return AppendAudit(device, std::move(record), error);
            },
            this);
        m_runs.insert(index, run);
        connect(run, &DeviceRun::StepStarted, this, [this, index, run](Step) {
            m_outcome.devices[std::size_t(index)] = run->Outcome();
            emit DeviceChanged(index);
        });
        // Queued: a device that fails at its open finishes inside Start.
        connect(
            run, &DeviceRun::Finished, this, [this, index] { DeviceDone(index); }, Qt::QueuedConnection);
        run->Start();
        QTimer::singleShot(0, this, &Batch::StartNext);
        return;
    }
    if (m_runs.isEmpty() && (m_waiting.empty() || m_stopping) && m_running) {
        m_running = false;
        m_outcome.finished = QDateTime::currentDateTimeUtc();
        WriteSummary();
        emit Finished();
    }
}

void Batch::DeviceDone(int index) {
    DeviceRun* run = m_runs.take(index);
    DeviceOutcome& device = m_outcome.devices[std::size_t(index)];
    device = run->Outcome();
    run->deleteLater();
    WriteSettingsFile(device); // what the device holds, also when it differs from the target
    WriteSummary();
    emit DeviceFinished(index);
    StartNext();
}

bool Batch::AppendAudit(const DeviceOutcome& device, QJsonObject record, QString* error) {
    record.insert("time", QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    record.insert("operator", m_options.operatorName);
    record.insert("tag", device.tag);
    record.insert("port", device.port);
    record.insert("adapter", device.adapter);
    if (!m_audit->Append(record, error)) return false;
    m_outcome.auditRecords = m_audit->RecordCount();
    m_outcome.auditLastHash = m_audit->LastHash();
    return true;
}

void Batch::WriteSettingsFile(DeviceOutcome& device) {
    if (!device.readBack) return;
    const QString name =
        QString::fromLatin1(QUrl::toPercentEncoding(device.tag, " ")) + QStringLiteral(".zsf");
    const QString path = QDir(m_options.outDir).filePath(name);
    QString error;
    if (settingsfile::SaveSettingsFile(path, session::SettingsFileValues(device.readBack->page),
                                       session::FileDate(), &error))
        device.settingsFile = name;
    else
        m_writeProblems << path + QStringLiteral(": The save operation is failed. ") + error;
}

void Batch::WriteSummary() {
    QByteArray text = CsvLine(SummaryColumns);
    for (std::size_t i = 0; i < m_outcome.devices.size(); ++i) {
        const DeviceOutcome& device = m_outcome.devices[i];
        QStringList cells = m_earlierRows.value(device.tag);
        if (!device.fromEarlierRun || cells.isEmpty()) {
            const bool failed = device.verdict == Verdict::Failed;
            cells = QStringList{device.tag,
                                device.port,
                                device.adapter,
                                VerdictName(device.verdict),
                                failed ? StepName(device.step) : QString(),
                                device.reason,
                                QString::number(device.sends),
                                QString::number(device.elapsedMs),
                                ChangesText(device.changes),
                                QStringLiteral("this"),
                                QString::fromLatin1(m_list.rows[i].digest),
                                QString::fromLatin1(m_templateDigest),
                                {},
                                {}};
        } else {
            cells[ColumnIndex("run")] = QStringLiteral("earlier");
        }
        cells[ColumnIndex("audit_records")] = QString::number(m_outcome.auditRecords);
        cells[ColumnIndex("audit_last_sha256")] = QString::fromLatin1(m_outcome.auditLastHash);
        text += CsvLine(cells.mid(0, SummaryColumns.size()));
    }
    // Devices of an earlier run that are not in this run's list keep their rows.
    for (const QString& tag : std::as_const(m_earlierOrder)) {
        if (std::any_of(m_list.rows.begin(), m_list.rows.end(),
                        [&](const DeviceRow& row) { return row.tag == tag; }))
            continue;
        QStringList cells = m_earlierRows.value(tag);
        cells[ColumnIndex("run")] = QStringLiteral("earlier");
        cells[ColumnIndex("audit_records")] = QString::number(m_outcome.auditRecords);
        cells[ColumnIndex("audit_last_sha256")] = QString::fromLatin1(m_outcome.auditLastHash);
        text += CsvLine(cells);
    }
    const QString path = QDir(m_options.outDir).filePath(QLatin1String(SummaryFileName));
    if (QString error; !settingsfile::WriteFileSafely(path, text, &error)) {
        const QString problem = path + QStringLiteral(": cannot be written: ") + error;
        if (!m_writeProblems.contains(problem)) m_writeProblems << problem;
    }
}

} // namespace zeph::commissioning
