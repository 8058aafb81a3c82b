// SPDX-License-Identifier: MIT
// The commissioning window.
#include "app/CommissioningWindow.h"

#include "app/AccessibleNames.h"
#include "app/Mnemonics.h"
#include "app/widgets/MakeNamed.h"
#include "commissioning/Batch.h"
#include "report/CommissioningReport.h"
#include "settingsfile/SafeFile.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace zeph::app {

namespace {

using commissioning::Step;
using commissioning::Verdict;

enum Column { TagColumn, PortColumn, StepColumn, VerdictColumn, TimeColumn, ColumnCount };

// The window's words for the names the summary file writes in English.
QString StepText(Step step) {
    switch (step) {
    case Step::Validate:
        return CommissioningWindow::tr("validate");
    case Step::Open:
        return CommissioningWindow::tr("open");
    case Step::ReadSettings:
        return CommissioningWindow::tr("read settings");
    case Step::Check:
        return CommissioningWindow::tr("check");
    case Step::FirstInitialization:
        return CommissioningWindow::tr("first initialization");
    case Step::Write:
        return CommissioningWindow::tr("write");
    case Step::ReadBack:
        return CommissioningWindow::tr("read back");
    case Step::Preset:
        return CommissioningWindow::tr("preset");
    case Step::ReadCounters:
        return CommissioningWindow::tr("read counters");
    case Step::Done:
        break;
    }
    return CommissioningWindow::tr("done");
}

QString VerdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::NotRun:
        return CommissioningWindow::tr("not run");
    case Verdict::Running:
        return CommissioningWindow::tr("running");
    case Verdict::Passed:
        return CommissioningWindow::tr("passed");
    case Verdict::Failed:
        break;
    }
    return CommissioningWindow::tr("failed");
}

void SetCell(QTableWidget* table, int row, int column, const QString& text, const QString& tip = {}) {
    QTableWidgetItem* item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        table->setItem(row, column, item);
    }
    item->setText(text);
    item->setToolTip(tip);
}

} // namespace

CommissioningWindow::CommissioningWindow(DialogsSource dialogs, PortSource ports, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_dialogs(std::move(dialogs))
    , m_ports(std::move(ports)) {
    setObjectName(QStringLiteral("CommissioningWindow"));
    setWindowTitle(tr("Commissioning"));
    resize(820, 560);
    BuildWidgets();
    SetUpKeyboardAndNames();
    UpdateEnabling();
}

CommissioningWindow::~CommissioningWindow() = default;

void CommissioningWindow::BuildWidgets() {
    const auto label = [this](const char* name, const QString& text, QWidget* buddy) {
        auto* made = MakeNamed<QLabel>(name, text, this);
        made->setBuddy(buddy);
        return made;
    };
    LineEdit_Template = MakeNamed<QLineEdit>("LineEdit_Template", this);
    LineEdit_Template->setPlaceholderText(tr("A settings file (.zsf) every device starts from"));
    Label_Template = label("Label_Template", tr("Template:"), LineEdit_Template);
    Button_BrowseTemplate = MakeNamed<QPushButton>("Button_BrowseTemplate", tr("Browse…"), this);
    LineEdit_DeviceList = MakeNamed<QLineEdit>("LineEdit_DeviceList", this);
    LineEdit_DeviceList->setPlaceholderText(
        tr("A CSV file with a row per device: its tag, port and settings"));
    Label_DeviceList = label("Label_DeviceList", tr("Device list:"), LineEdit_DeviceList);
    Button_BrowseDeviceList = MakeNamed<QPushButton>("Button_BrowseDeviceList", tr("Browse…"), this);
    Button_NewDeviceList =
        MakeNamed<QPushButton>("Button_NewDeviceList", tr("New list from adapters…"), this);
    Button_NewDeviceList->setToolTip(tr("Saves a list with a row for each serial port plugged in now"));
    LineEdit_OutputFolder = MakeNamed<QLineEdit>("LineEdit_OutputFolder", this);
    LineEdit_OutputFolder->setPlaceholderText(tr("Where the summary, the audit trail and the report go"));
    Label_OutputFolder = label("Label_OutputFolder", tr("Output folder:"), LineEdit_OutputFolder);
    Button_BrowseOutputFolder = MakeNamed<QPushButton>("Button_BrowseOutputFolder", tr("Browse…"), this);
    LineEdit_Operator = MakeNamed<QLineEdit>("LineEdit_Operator", commissioning::LoginName(), this);
    Label_Operator = label("Label_Operator", tr("Operator:"), LineEdit_Operator);
    SpinBox_Jobs = MakeNamed<QSpinBox>("SpinBox_Jobs", this);
    SpinBox_Jobs->setRange(1, commissioning::MaxJobs);
    SpinBox_Jobs->setValue(commissioning::DefaultJobs);
    Label_Jobs = label("Label_Jobs", tr("Devices at once:"), SpinBox_Jobs);
    CheckBox_InitIfNeeded =
        MakeNamed<QCheckBox>("CheckBox_InitIfNeeded", tr("Initialize devices that need it"), this);
    CheckBox_InitIfNeeded->setToolTip(
        tr("Runs the first initialization on a device that asks for it, instead of failing it"));

    auto* fields = new QGridLayout;
    fields->addWidget(Label_Template, 0, 0);
    fields->addWidget(LineEdit_Template, 0, 1);
    fields->addWidget(Button_BrowseTemplate, 0, 2);
    fields->addWidget(Label_DeviceList, 1, 0);
    fields->addWidget(LineEdit_DeviceList, 1, 1);
    fields->addWidget(Button_BrowseDeviceList, 1, 2);
    fields->addWidget(Button_NewDeviceList, 1, 3);
    fields->addWidget(Label_OutputFolder, 2, 0);
    fields->addWidget(LineEdit_OutputFolder, 2, 1);
    fields->addWidget(Button_BrowseOutputFolder, 2, 2);
    fields->addWidget(Label_Operator, 3, 0);
    fields->addWidget(LineEdit_Operator, 3, 1);
    fields->addWidget(Label_Jobs, 4, 0);
    fields->addWidget(SpinBox_Jobs, 4, 1, Qt::AlignLeft);
    fields->addWidget(CheckBox_InitIfNeeded, 5, 1);
    fields->setColumnStretch(1, 1);

    Button_CommissioningStart = MakeNamed<QPushButton>("Button_CommissioningStart", tr("Start"), this);
    Button_CommissioningStop = MakeNamed<QPushButton>("Button_CommissioningStop", tr("Stop"), this);
    Button_CommissioningStop->setToolTip(
        tr("Each running device finishes its request under way; the devices not started are not run"));
    Button_CommissioningResume = MakeNamed<QPushButton>("Button_CommissioningResume", tr("Resume"), this);
    Button_CommissioningResume->setToolTip(
        tr("Runs again into the same output folder, skipping the devices that passed there"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button_CommissioningStart);
    buttons->addWidget(Button_CommissioningStop);
    buttons->addWidget(Button_CommissioningResume);
    buttons->addStretch(1);

    TableWidget_Devices = MakeNamed<QTableWidget>("TableWidget_Devices", 0, int(ColumnCount), this);
    TableWidget_Devices->setHorizontalHeaderLabels(
        {tr("Tag"), tr("Port"), tr("Step"), tr("Verdict"), tr("Time")});
    TableWidget_Devices->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TableWidget_Devices->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Tab leaves the table instead of walking its cells; the arrow keys move within it.
    TableWidget_Devices->setTabKeyNavigation(false);
    TableWidget_Devices->verticalHeader()->hide();
    TableWidget_Devices->horizontalHeader()->setStretchLastSection(true);
    TableWidget_Devices->horizontalHeader()->resizeSection(PortColumn, 220);
    ProgressBar_Commissioning = MakeNamed<QProgressBar>("ProgressBar_Commissioning", this);
    ProgressBar_Commissioning->setRange(0, 1);
    ProgressBar_Commissioning->setValue(0);
    Label_CommissioningNotes = MakeNamed<QLabel>("Label_CommissioningNotes", this);
    Label_CommissioningNotes->setWordWrap(true);
    Label_CommissioningNotes->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* rows = new QVBoxLayout(this);
    rows->addLayout(fields);
    rows->addLayout(buttons);
    rows->addWidget(TableWidget_Devices, 1);
    rows->addWidget(ProgressBar_Commissioning);
    rows->addWidget(Label_CommissioningNotes);

    connect(Button_BrowseTemplate, &QPushButton::clicked, this, &CommissioningWindow::BrowseTemplate);
    connect(Button_BrowseDeviceList, &QPushButton::clicked, this, &CommissioningWindow::BrowseDeviceList);
    connect(Button_NewDeviceList, &QPushButton::clicked, this, &CommissioningWindow::MakeStarterList);
    connect(Button_BrowseOutputFolder, &QPushButton::clicked, this, &CommissioningWindow::BrowseOutputFolder);
    connect(Button_CommissioningStart, &QPushButton::clicked, this, [this] { StartBatch(false); });
    connect(Button_CommissioningResume, &QPushButton::clicked, this, [this] { StartBatch(true); });
    connect(Button_CommissioningStop, &QPushButton::clicked, this, &CommissioningWindow::StopBatch);
}

// Reading order: the fields top down, each with its buttons, then the run's buttons and the table.
void CommissioningWindow::SetUpKeyboardAndNames() {
    const QStringList missing = ApplyMnemonics(this, CommissioningMnemonics(InstalledLanguage())) +
                                ApplyAccessibleNames(this, CommissioningAccessibleNames());
    Q_ASSERT_X(missing.isEmpty(), "CommissioningWindow", qPrintable(missing.join(u',')));
    const QList<QWidget*> order{
        LineEdit_Template,          Button_BrowseTemplate,     LineEdit_DeviceList,
        Button_BrowseDeviceList,    Button_NewDeviceList,      LineEdit_OutputFolder,
        Button_BrowseOutputFolder,  LineEdit_Operator,         SpinBox_Jobs,
        CheckBox_InitIfNeeded,      Button_CommissioningStart, Button_CommissioningStop,
        Button_CommissioningResume, TableWidget_Devices};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    close->setObjectName(QStringLiteral("Shortcut_CommissioningClose"));
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void CommissioningWindow::ShowAndRaise() {
    show();
    raise();
    activateWindow();
}

bool CommissioningWindow::IsRunning() const {
    return m_batch && m_batch->IsRunning();
}

void CommissioningWindow::closeEvent(QCloseEvent* event) {
    if (!m_batch) {
        QWidget::closeEvent(event);
        return;
    }
    StopBatch();
    m_closeWhenFinished = true;
    Label_CommissioningNotes->setText(
        tr("Stopping: each running device finishes its request, then the window closes."));
    event->ignore();
}

void CommissioningWindow::FinishBeforeQuit() {
    m_quitting = true;
    if (!m_batch) return;
    StopBatch();
    QEventLoop loop;
    connect(m_batch, &QObject::destroyed, &loop, &QEventLoop::quit);
    // Every running device ends within its request's retries; the limit only guards against a hang.
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
}

void CommissioningWindow::BrowseTemplate() {
    const QString path = AskForFile(
        m_dialogs(), FileDialogKind::Open,
        {tr("Template settings file"), tr("ZEPH7208 Settings File (*.zsf)"), QStringLiteral("zsf")},
        &m_fileFolder);
    if (!path.isEmpty()) LineEdit_Template->setText(path);
}

void CommissioningWindow::BrowseDeviceList() {
    const QString path =
        AskForFile(m_dialogs(), FileDialogKind::Open,
                   {tr("Device list"), tr("CSV files (*.csv)"), QStringLiteral("csv")}, &m_fileFolder);
    if (!path.isEmpty()) LineEdit_DeviceList->setText(path);
}

void CommissioningWindow::MakeStarterList() {
    UserDialogs& dialogs = m_dialogs();
    const QStringList ports = m_ports();
    if (ports.isEmpty()) {
        dialogs.ShowMessage(MessageKind::Information, tr("No serial adapter is plugged in."));
        return;
    }
    const QString path = AskForFile(
        dialogs, FileDialogKind::Save,
        {tr("Save the new device list"), tr("CSV files (*.csv)"), QStringLiteral("csv")}, &m_fileFolder);
    if (path.isEmpty()) return;
    QString error;
    if (!settingsfile::WriteFileSafely(path, commissioning::StarterList(ports), &error)) {
        dialogs.ShowMessage(MessageKind::Error,
                            tr("The device list could not be saved.") + QStringLiteral("\n\r") + error);
        return;
    }
    LineEdit_DeviceList->setText(path);
}

void CommissioningWindow::BrowseOutputFolder() {
    FileDialogRequest request{tr("Output folder"), {}, {}};
    request.folder = LineEdit_OutputFolder->text().isEmpty() ? m_fileFolder : LineEdit_OutputFolder->text();
    const QString folder = m_dialogs().GetExistingDirectory(request);
    if (!folder.isEmpty()) LineEdit_OutputFolder->setText(folder);
}

void CommissioningWindow::StartBatch(bool resume) {
    if (m_batch) return;
    UserDialogs& dialogs = m_dialogs();
    commissioning::BatchOptions options;
    options.templatePath = LineEdit_Template->text().trimmed();
    options.devicesPath = LineEdit_DeviceList->text().trimmed();
    options.outDir = LineEdit_OutputFolder->text().trimmed();
    options.operatorName = LineEdit_Operator->text().trimmed();
    options.jobs = SpinBox_Jobs->value();
    options.resume = resume;
    options.initIfNeeded = CheckBox_InitIfNeeded->isChecked();
    if (options.templatePath.isEmpty() || options.devicesPath.isEmpty() || options.outDir.isEmpty()) {
        dialogs.ShowMessage(MessageKind::Error,
                            tr("Choose the template, the device list and the output folder first."));
        return;
    }

    auto* batch = new commissioning::Batch(this);
    batch->setObjectName(QStringLiteral("CommissioningBatch"));
    QStringList problems;
    if (!batch->Prepare(options, &problems)) {
        delete batch; // lets go of the folder
        dialogs.ShowMessage(MessageKind::Error, tr("The commissioning cannot start.") +
                                                    QStringLiteral("\n\r") + problems.join(u'\n'));
        return;
    }
    m_batch = batch;
    connect(batch, &commissioning::Batch::DeviceChanged, this, &CommissioningWindow::ShowDevice);
    connect(batch, &commissioning::Batch::DeviceFinished, this, &CommissioningWindow::ShowDevice);
    connect(batch, &commissioning::Batch::Finished, this, &CommissioningWindow::BatchFinished);

    const int count = int(batch->Outcome().devices.size());
    TableWidget_Devices->clearContents();
    TableWidget_Devices->setRowCount(count);
    for (int index = 0; index < count; ++index)
        ShowDevice(index);
    ProgressBar_Commissioning->setRange(0, std::max(count, 1));
    Label_CommissioningNotes->setText(batch->Notes().join(u'\n'));
    batch->Start();
    ShowProgress();
    UpdateEnabling();
}

void CommissioningWindow::StopBatch() {
    if (IsRunning()) m_batch->Stop();
}

void CommissioningWindow::ShowDevice(int index) {
    const commissioning::DeviceOutcome& device = m_batch->Outcome().devices[std::size_t(index)];
    const bool started = device.verdict != Verdict::NotRun;
    SetCell(TableWidget_Devices, index, TagColumn, device.tag);
    SetCell(TableWidget_Devices, index, PortColumn, device.port, device.adapter);
    SetCell(TableWidget_Devices, index, StepColumn, started ? StepText(device.step) : QString());
    // A failure's reason is kept for the pointer and the screen reader.
    SetCell(TableWidget_Devices, index, VerdictColumn, VerdictText(device.verdict), device.reason);
    SetCell(TableWidget_Devices, index, TimeColumn,
            started ? tr("%1 s").arg(QLocale().toString(double(device.elapsedMs) / 1000.0, 'f', 1))
                    : QString());
    ShowProgress();
}

void CommissioningWindow::ShowProgress() {
    const commissioning::BatchOutcome& outcome = m_batch->Outcome();
    ProgressBar_Commissioning->setValue(outcome.Count(Verdict::Passed) + outcome.Count(Verdict::Failed));
}

// The report is written also for a stopped run: it says which devices ran and which did not.
void CommissioningWindow::BatchFinished() {
    UserDialogs& dialogs = m_dialogs();
    const commissioning::BatchOutcome& outcome = m_batch->Outcome();
    QStringList notes = m_batch->Notes();
    notes.prepend(tr("%1 passed, %2 failed, %3 not run.")
                      .arg(outcome.Count(Verdict::Passed))
                      .arg(outcome.Count(Verdict::Failed))
                      .arg(outcome.Count(Verdict::NotRun)));
    Label_CommissioningNotes->setText(notes.join(u'\n'));
    const QStringList writeProblems = m_batch->WriteProblems();
    const QString path = QDir(m_batch->OutDir()).filePath(QLatin1String(commissioning::ReportFileName));
    QString error;
    const bool written = report::WriteCommissioningReport(path, outcome, &error);
    // The folder is let go before any box, so a resumed run may take it while the box is still open.
    m_batch->deleteLater();
    m_batch = nullptr;
    UpdateEnabling();
    if (!writeProblems.isEmpty())
        dialogs.ShowMessage(MessageKind::Warning,
                            tr("Some of the output folder's files could not be written.") +
                                QStringLiteral("\n\r") + writeProblems.join(u'\n'));
    if (!written)
        dialogs.ShowMessage(MessageKind::Error,
                            tr("The report could not be written.") + QStringLiteral("\n\r") + error);
    else if (!m_quitting)
        dialogs.OpenDocument(path);
    if (std::exchange(m_closeWhenFinished, false)) close();
}

void CommissioningWindow::UpdateEnabling() {
    const bool running = m_batch != nullptr;
    const QList<QWidget*> fields{
        LineEdit_Template,    Button_BrowseTemplate, LineEdit_DeviceList,       Button_BrowseDeviceList,
        Button_NewDeviceList, LineEdit_OutputFolder, Button_BrowseOutputFolder, LineEdit_Operator,
        SpinBox_Jobs,         CheckBox_InitIfNeeded, Button_CommissioningStart, Button_CommissioningResume};
    for (QWidget* field : fields)
        field->setEnabled(!running);
    Button_CommissioningStop->setEnabled(running);
}

} // namespace zeph::app
