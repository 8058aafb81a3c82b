// SPDX-License-Identifier: MIT
// The frame monitor window.
#include "app/FrameMonitor.h"

#include "app/AccessibleNames.h"
#include "app/FrameMonitorDelegate.h"
#include "app/FrameMonitorModel.h"
#include "app/FrameTableView.h"
#include "app/Mnemonics.h"
#include "app/widgets/ElidingLabel.h"
#include "app/widgets/MakeNamed.h"
#include "app/widgets/SteadyLabelHolder.h"
#include "app/widgets/SteadyScrollBar.h"
#include "counters/CounterText.h"
#include "device/DevicePayloads.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace zeph::app {

namespace {

QString Count(qsizetype n) {
    return counters::FormatCounterValue(quint32(n));
}

} // namespace

FrameMonitor::FrameMonitor(FrameMonitorModel& model, DialogsSource dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_model(model)
    , m_dialogs(std::move(dialogs))
    , m_refresh(new QTimer(this)) {
    setObjectName(QStringLiteral("FrameMonitor"));
    setWindowTitle(tr("Frame monitor"));
    resize(1100, 520);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(6, 6, 6, 6);
    auto* tools = new QHBoxLayout;
    Button_MonitorPause = MakeNamed<QPushButton>("Button_MonitorPause", tr("Pause"), this);
    Button_MonitorPause->setCheckable(true);
    Button_MonitorPause->setToolTip(tr("Holds new rows back until pressed again; nothing is lost"));
    Button_MonitorClear = MakeNamed<QPushButton>("Button_MonitorClear", tr("Clear"), this);
    Button_MonitorSave = MakeNamed<QPushButton>("Button_MonitorSave", tr("Save…"), this);
    Button_MonitorSave->setToolTip(tr("Saves the rows shown as text, or as CSV for a name ending in .csv"));
    // The count changes with every batch of rows.
    auto* rowCount = new SteadyLabelHolder(this);
    Label_MonitorRows = rowCount->Label();
    Label_MonitorRows->setObjectName(QStringLiteral("Label_MonitorRows"));
    tools->addWidget(Button_MonitorPause);
    tools->addWidget(Button_MonitorClear);
    tools->addWidget(Button_MonitorSave);
    tools->addSpacing(12);
    tools->addWidget(rowCount, 1);
    rows->addLayout(tools);

    TableView_Frames = MakeNamed<FrameTableView>("TableView_Frames", this);
    TableView_Frames->setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical));
    TableView_Frames->setModel(&m_model);
    TableView_Frames->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableView_Frames->setSelectionMode(QAbstractItemView::SingleSelection);
    TableView_Frames->setWordWrap(false);
    TableView_Frames->setTextElideMode(Qt::ElideRight);
    TableView_Frames->setAlternatingRowColors(true);
    TableView_Frames->setItemDelegate(new FrameMonitorDelegate(TableView_Frames));
    // Tab leaves the table for the details instead of walking through 100,000 rows cell by cell.
    TableView_Frames->setTabKeyNavigation(false);
    // Fixed row heights and column widths: the view never measures its rows, so 100,000 of them cost
    // no more than a hundred.
    QHeaderView* vertical = TableView_Frames->verticalHeader();
    vertical->setSectionResizeMode(QHeaderView::Fixed);
    vertical->setDefaultSectionSize(fontMetrics().height() + 4);
    vertical->hide();
    QHeaderView* horizontal = TableView_Frames->horizontalHeader();
    horizontal->setSectionResizeMode(QHeaderView::Interactive);
    horizontal->setStretchLastSection(true);
    // Narrow enough for the table to fit a window on an 800-pixel-wide screen without a horizontal scroll
    // bar: with both scroll bars shown, every batch of rows repaints both.
    const int widths[] = {72, 36, 322, 210};
    for (int column = 0; column < 4; ++column)
        horizontal->resizeSection(column, widths[column]);

    PlainTextEdit_FrameDetails = MakeNamed<QPlainTextEdit>("PlainTextEdit_FrameDetails", this);
    PlainTextEdit_FrameDetails->setReadOnly(true);
    PlainTextEdit_FrameDetails->setPlaceholderText(tr("Select a row to see it in full."));
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(TableView_Frames);
    splitter->addWidget(PlainTextEdit_FrameDetails);
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({360, 110});
    rows->addWidget(splitter, 1);

    m_refresh->setSingleShot(true);
    m_refresh->setInterval(50);
    connect(m_refresh, &QTimer::timeout, this, &FrameMonitor::Refresh);
    // Rows come and go in batches, so the count is shown at once; a pause holds rows back one at a time.
    // The table follows the newest rows by itself.
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, &FrameMonitor::Refresh);
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this, &FrameMonitor::Refresh);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &FrameMonitor::Refresh);
    connect(&m_model, &FrameMonitorModel::HeldBackChanged, this, &FrameMonitor::RefreshSoon);
    connect(TableView_Frames->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &FrameMonitor::ShowDetails);
    connect(Button_MonitorPause, &QPushButton::toggled, &m_model, &FrameMonitorModel::SetPaused);
    connect(Button_MonitorClear, &QPushButton::clicked, this, [this] {
        m_model.Clear();
        PlainTextEdit_FrameDetails->clear();
    });
    connect(Button_MonitorSave, &QPushButton::clicked, this, &FrameMonitor::SaveRows);

    const QStringList missing = ApplyMnemonics(this, FrameMonitorMnemonics(InstalledLanguage())) +
                                ApplyAccessibleNames(this, FrameMonitorAccessibleNames());
    Q_ASSERT_X(missing.isEmpty(), "FrameMonitor", qPrintable(missing.join(u',')));
    auto* save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    save->setObjectName(QStringLiteral("Shortcut_MonitorSave"));
    connect(save, &QShortcut::activated, Button_MonitorSave, &QPushButton::click);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    close->setObjectName(QStringLiteral("Shortcut_MonitorClose"));
    connect(close, &QShortcut::activated, this, &QWidget::close);
    Refresh();
}

// Closed, the monitor records on without a timer for batches nobody sees.
void FrameMonitor::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_model.SetWatched(true);
}

void FrameMonitor::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_model.SetWatched(false);
}

void FrameMonitor::ShowAndRaise() {
    const bool wasHidden = !isVisible();
    show();
    raise();
    activateWindow();
    if (wasHidden) TableView_Frames->scrollToBottom();
}

void FrameMonitor::RefreshSoon() {
    if (!m_refresh->isActive()) m_refresh->start();
}

void FrameMonitor::Refresh() {
    // English counts one row apart from many; the numerus forms of the translation system would need an
    // English translation installed.
    const int rows = m_model.rowCount();
    const QString kept = Count(FrameMonitorModel::HistoryLimit);
    QString text = rows == 1 ? tr("1 row; the latest %1 are kept").arg(kept)
                             : tr("%1 rows; the latest %2 are kept").arg(Count(rows), kept);
    if (m_model.Paused()) {
        const int held = m_model.HeldBack();
        text += held == 1 ? tr("; paused, 1 new row held back")
                          : tr("; paused, %1 new rows held back").arg(Count(held));
    }
    Label_MonitorRows->setText(text);
}

void FrameMonitor::ShowDetails(const QModelIndex& index) {
    if (!index.isValid()) {
        PlainTextEdit_FrameDetails->clear();
        return;
    }
    const MonitorRow& row = m_model.Row(index.row());
    using M = FrameMonitorModel;
    QString text = QStringLiteral("%1 ms  %2  %3")
                       .arg(m_model.CellText(row, M::TimeColumn), m_model.CellText(row, M::DirectionColumn),
                            row.verdict);
    if (!row.characters.isEmpty())
        text += tr("\nBytes (%1): %2\nLine characters (%3): %4")
                    .arg(RowBytes(row).size())
                    .arg(m_model.CellText(row, M::BytesColumn))
                    .arg(row.characters.size())
                    .arg(m_model.CellText(row, M::CharactersColumn));
    PlainTextEdit_FrameDetails->setPlainText(text);
}

void FrameMonitor::SaveRows() {
    UserDialogs& dialogs = m_dialogs();
    const QString path = AskForFile(dialogs, FileDialogKind::Save,
                                    {tr("Save the frame monitor's rows"),
                                     tr("Text files (*.txt);;CSV files (*.csv)"), QStringLiteral("txt")},
                                    &m_saveFolder);
    if (path.isEmpty()) return;
    const auto format = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
                            ? FrameMonitorModel::FileFormat::Csv
                            : FrameMonitorModel::FileFormat::Text;
    QString error;
    if (!m_model.Save(path, format, &error))
        dialogs.ShowMessage(MessageKind::Error,
                            tr("The rows could not be saved.") + QStringLiteral("\n\r") + error);
}

} // namespace zeph::app
