// SPDX-License-Identifier: MIT
// The history window: its controls, the live feed, the range, opening a log and the exports.
#include "app/HistoryWindow.h"

#include "app/HistoryPlot.h"
#include "app/widgets/MakeNamed.h"
#include "counters/CounterRateWindow.h"
#include "counters/CounterText.h"
#include "device/OperationResult.h"
#include "history/LogLoader.h"
#include "history/RangeCsv.h"
#include "session/DeviceSession.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressDialog>
#include <QPushButton>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace zeph::app {

namespace {
constexpr qint64 Minute = 60 * 1000;
constexpr qint64 ShortestSpanMs = 1000;
constexpr qint64 LongestSpanMs = 400LL * 24 * 60 * Minute;
constexpr int RedrawMs = 1000;

enum SummaryColumn { InputColumn, LastRateColumn, MinRateColumn, MaxRateColumn, CounterColumn, MarksColumn };
} // namespace

HistoryWindow::HistoryWindow(session::DeviceSession& session, DialogsSource dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_dialogs(std::move(dialogs)) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(tr("History of the counts"));
    BuildWidgets();
    SetUpKeyboardAndNames();
    m_loader = new history::LogLoader(this);
    m_loader->setObjectName(QStringLiteral("HistoryLogLoader"));
    connect(m_loader, &history::LogLoader::Finished, this, &HistoryWindow::LogOpened);

    // The live readings are kept while the window is closed too; only the drawing waits for it.
    connect(&session, &session::DeviceSession::OperationFinished, this, &HistoryWindow::TakeResult);
    connect(&session, &session::DeviceSession::PortClosed, this, [this] { m_live.MarkGap(); });
    Timer_HistoryRedraw = new QTimer(this);
    Timer_HistoryRedraw->setObjectName(QStringLiteral("Timer_HistoryRedraw"));
    Timer_HistoryRedraw->setInterval(RedrawMs);
    connect(Timer_HistoryRedraw, &QTimer::timeout, this, [this] {
        if (ShowingLive() && (m_liveChanged || CheckBox_HistoryFollow->isChecked())) Redraw();
    });
    resize(1000, 720);
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::BuildWidgets() {
    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& text, const QString& tip) {
        auto* made = MakeNamed<QPushButton>(name, text, this);
        made->setToolTip(tip);
        buttons->addWidget(made);
        return made;
    };
    Button_HistoryOpenLog = button("Button_HistoryOpenLog", tr("&Open counter log…"),
                                   tr("Shows a recorded counter log (CSV) instead of the live readings"));
    Button_HistoryLive =
        button("Button_HistoryLive", tr("&Live"), tr("Back to the readings of the continuous refresh"));
    buttons->addSpacing(12);
    Button_HistoryLast5Minutes = button("Button_HistoryLast5Minutes", tr("Last &5 minutes"), {});
    Button_HistoryLastHour = button("Button_HistoryLastHour", tr("Last &hour"), {});
    Button_HistoryLastDay = button("Button_HistoryLastDay", tr("Last &day"), {});
    Button_HistoryAll = button("Button_HistoryAll", tr("&All"), {});
    CheckBox_HistoryFollow = MakeNamed<QCheckBox>("CheckBox_HistoryFollow", tr("&Follow"), this);
    CheckBox_HistoryFollow->setToolTip(
        tr("Keeps the newest readings in view; looking back pauses it (End resumes)"));
    CheckBox_HistoryFollow->setChecked(true);
    buttons->addWidget(CheckBox_HistoryFollow);
    buttons->addStretch(1);
    Button_HistoryExportPng =
        button("Button_HistoryExportPng", tr("P&NG…"), tr("Saves the plots as a PNG picture"));
    Button_HistoryExportSvg =
        button("Button_HistoryExportSvg", tr("S&VG…"), tr("Saves the plots as an SVG drawing"));
    Button_HistoryExportCsv =
        button("Button_HistoryExportCsv", tr("&CSV…"), tr("Saves the readings of the range shown as CSV"));

    auto* inputs = new QVBoxLayout;
    for (int n = 0; n < history::InputCount; ++n) {
        auto* box = new QCheckBox(tr("IN&%1").arg(n + 1), this);
        box->setObjectName(QStringLiteral("CheckBox_HistoryInput%1").arg(n + 1));
        QPixmap swatch(14, 14);
        swatch.fill(HistoryPlot::InputColour(n));
        box->setIcon(QIcon(swatch));
        box->setChecked(true);
        inputs->addWidget(box);
        CheckBox_HistoryInput[std::size_t(n)] = box;
        connect(box, &QCheckBox::toggled, this, &HistoryWindow::Redraw);
    }
    auto* legend = new QLabel(tr("○ overflow (the counter wrapped)\n▼ drop (a preset, lost counts)\n"
                                 "hatched: no readings"),
                              this);
    legend->setObjectName(QStringLiteral("Label_HistoryLegend"));
    legend->setWordWrap(true);
    inputs->addWidget(legend);
    inputs->addStretch(1);

    m_plots = new QWidget(this);
    m_plots->setObjectName(QStringLiteral("Widget_HistoryPlots"));
    auto* plots = new QVBoxLayout(m_plots);
    plots->setContentsMargins(0, 0, 0, 0);
    Plot_HistoryRate = new HistoryPlot(HistoryPlot::Quantity::Rate, m_plots);
    Plot_HistoryRate->setObjectName(QStringLiteral("Plot_HistoryRate"));
    Plot_HistoryCounter = new HistoryPlot(HistoryPlot::Quantity::Counter, m_plots);
    Plot_HistoryCounter->setObjectName(QStringLiteral("Plot_HistoryCounter"));
    plots->addWidget(Plot_HistoryRate, 1);
    plots->addWidget(Plot_HistoryCounter, 1);
    for (HistoryPlot* plot : {Plot_HistoryRate, Plot_HistoryCounter}) {
        connect(plot, &HistoryPlot::ZoomAsked, this, &HistoryWindow::Zoom);
        connect(plot, &HistoryPlot::PanAsked, this, &HistoryWindow::Pan);
        connect(plot, &HistoryPlot::StartAsked, this, [this] {
            const qint64 span = m_toMs - m_fromMs;
            SetFollowing(false);
            m_fromMs = Source().FirstMs();
            m_toMs = m_fromMs + span;
            Redraw();
        });
        connect(plot, &HistoryPlot::EndAsked, this, [this] {
            if (ShowingLive()) {
                SetFollowing(true);
                return;
            }
            const qint64 span = m_toMs - m_fromMs;
            m_toMs = Source().LastMs() + 1;
            m_fromMs = m_toMs - span;
            Redraw();
        });
    }

    Table_HistorySummary = MakeNamed<QTableWidget>("Table_HistorySummary", history::InputCount, 6, this);
    Table_HistorySummary->setHorizontalHeaderLabels({tr("Input"), tr("Last rate"), tr("Minimum"),
                                                     tr("Maximum"), tr("Counter"),
                                                     tr("Gaps, overflows, drops")});
    Table_HistorySummary->verticalHeader()->hide();
    Table_HistorySummary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table_HistorySummary->setTabKeyNavigation(false);
    Table_HistorySummary->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Table_HistorySummary->horizontalHeader()->setStretchLastSection(true);
    for (int n = 0; n < history::InputCount; ++n)
        for (int column = 0; column < 6; ++column)
            Table_HistorySummary->setItem(n, column, new QTableWidgetItem);

    Label_HistorySource = MakeNamed<QLabel>("Label_HistorySource", this);
    Label_HistorySource->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Label_HistorySource->setFocusPolicy(Qt::TabFocus);
    Label_HistorySource->setWordWrap(true);

    auto* middle = new QHBoxLayout;
    middle->addLayout(inputs);
    middle->addWidget(m_plots, 1);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* top = new QWidget(splitter);
    top->setLayout(middle);
    middle->setContentsMargins(0, 0, 0, 0);
    splitter->addWidget(top);
    splitter->addWidget(Table_HistorySummary);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    layout->addWidget(Label_HistorySource);

    connect(Button_HistoryOpenLog, &QPushButton::clicked, this, &HistoryWindow::AskForLog);
    connect(Button_HistoryLive, &QPushButton::clicked, this, &HistoryWindow::ShowLive);
    connect(Button_HistoryLast5Minutes, &QPushButton::clicked, this, [this] { ShowLast(5 * Minute); });
    connect(Button_HistoryLastHour, &QPushButton::clicked, this, [this] { ShowLast(60 * Minute); });
    connect(Button_HistoryLastDay, &QPushButton::clicked, this, [this] { ShowLast(24 * 60 * Minute); });
    connect(Button_HistoryAll, &QPushButton::clicked, this, [this] { ShowLast(0); });
    connect(CheckBox_HistoryFollow, &QCheckBox::toggled, this, [this](bool follow) {
        if (follow) Redraw();
    });
    connect(Button_HistoryExportPng, &QPushButton::clicked, this, [this] { ExportPicture(false); });
    connect(Button_HistoryExportSvg, &QPushButton::clicked, this, [this] { ExportPicture(true); });
    connect(Button_HistoryExportCsv, &QPushButton::clicked, this, &HistoryWindow::ExportCsv);
    Button_HistoryLive->setEnabled(false);
}

void HistoryWindow::SetUpKeyboardAndNames() {
    Plot_HistoryRate->setAccessibleName(tr("Pulse rate plot"));
    Plot_HistoryCounter->setAccessibleName(tr("Counter plot"));
    for (HistoryPlot* plot : {Plot_HistoryRate, Plot_HistoryCounter})
        plot->setToolTip(
            tr("Wheel or + and −: zoom; drag or the arrow keys: move; Home, End: the start, the end"));
    Table_HistorySummary->setAccessibleName(tr("Summary per input"));
    Label_HistorySource->setAccessibleName(tr("What is shown"));
    for (int n = 0; n < history::InputCount; ++n)
        CheckBox_HistoryInput[std::size_t(n)]->setAccessibleName(tr("Show IN%1").arg(n + 1));
    // Reading order: the buttons, the inputs, the plots, the summary, the line beneath.
    QList<QWidget*> order{Button_HistoryOpenLog,  Button_HistoryLive,      Button_HistoryLast5Minutes,
                          Button_HistoryLastHour, Button_HistoryLastDay,   Button_HistoryAll,
                          CheckBox_HistoryFollow, Button_HistoryExportPng, Button_HistoryExportSvg,
                          Button_HistoryExportCsv};
    for (QCheckBox* box : CheckBox_HistoryInput)
        order << box;
    order << Plot_HistoryRate << Plot_HistoryCounter << Table_HistorySummary << Label_HistorySource;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void HistoryWindow::ShowAndRaise() {
    show();
    raise();
    activateWindow();
}

void HistoryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Timer_HistoryRedraw->start();
    Redraw();
}

void HistoryWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Timer_HistoryRedraw->stop();
}

void HistoryWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) Redraw();
}

void HistoryWindow::TakeResult(const device::OperationResult& result) {
    if (const device::CounterStatusReport* report = result.Report()) {
        m_live.Append(counters::TimedReport{m_clock.Now(), *report});
        m_liveChanged = true;
    } else if (result.operation == device::Operation::ReadCounters &&
               result.outcome != device::OperationOutcome::Abandoned) {
        m_live.MarkGap(); // a failed read
    }
}

const history::HistorySource& HistoryWindow::Source() const {
    if (m_log) return *m_log;
    return m_live;
}

std::array<bool, history::InputCount> HistoryWindow::ShownInputs() const {
    std::array<bool, history::InputCount> shown{};
    for (int n = 0; n < history::InputCount; ++n)
        shown[std::size_t(n)] = CheckBox_HistoryInput[std::size_t(n)]->isChecked();
    return shown;
}

void HistoryWindow::SetFollowing(bool follow) {
    CheckBox_HistoryFollow->setChecked(follow);
}

void HistoryWindow::FollowNewest() {
    m_toMs = m_clock.Now().toMSecsSinceEpoch();
    m_fromMs = m_spanMs > 0 ? m_toMs - m_spanMs
                            : std::min(m_toMs - Minute, m_live.RowCount() ? m_live.FirstMs() : m_toMs);
}

void HistoryWindow::ShowLast(qint64 spanMs) {
    if (ShowingLive()) {
        m_spanMs = spanMs;
        if (CheckBox_HistoryFollow->isChecked())
            Redraw();
        else
            SetFollowing(true);
        return;
    }
    m_toMs = m_log->LastMs() + 1;
    m_fromMs = spanMs > 0 ? m_toMs - spanMs : m_log->FirstMs();
    Redraw();
}

void HistoryWindow::Zoom(double factor, double anchor) {
    const double span = double(m_toMs - m_fromMs);
    const double wanted = std::clamp(span * factor, double(ShortestSpanMs), double(LongestSpanMs));
    const double pivot = double(m_fromMs) + anchor * span;
    SetFollowing(false);
    m_fromMs = qint64(pivot - anchor * wanted);
    m_toMs = m_fromMs + qint64(wanted);
    Redraw();
}

void HistoryWindow::Pan(double fraction) {
    const qint64 shift = qint64(fraction * double(m_toMs - m_fromMs));
    if (shift == 0) return;
    SetFollowing(false);
    m_fromMs += shift;
    m_toMs += shift;
    Redraw();
}

void HistoryWindow::Redraw() {
    if (ShowingLive() && CheckBox_HistoryFollow->isChecked()) FollowNewest();
    if (m_toMs <= m_fromMs) FollowNewest();
    m_view = Source().Query(m_fromMs, m_toMs, Plot_HistoryRate->BucketCount());
    m_liveChanged = false;
    const auto shown = ShownInputs();
    Plot_HistoryRate->SetView(&m_view, shown);
    Plot_HistoryCounter->SetView(&m_view, shown);
    ShowSummary();
}

void HistoryWindow::ShowSummary() {
    const auto summary = history::Summarize(m_view.buckets);
    const auto shown = ShownInputs();
    const QLocale locale;
    const int gaps = int(m_view.gaps.size());
    const QString gapText = gaps == 1 ? tr("1 gap") : tr("%1 gaps").arg(gaps);
    QStringList spoken[2];
    for (int n = 0; n < history::InputCount; ++n) {
        const history::InputSummary& input = summary[std::size_t(n)];
        Table_HistorySummary->setRowHidden(n, !shown[std::size_t(n)]);
        const auto rate = [&](double value) {
            return input.hasRate ? counters::RateText(value) : QStringLiteral("–");
        };
        const QStringList cells{QStringLiteral("IN%1").arg(n + 1),
                                rate(input.lastRate),
                                rate(input.minRate),
                                rate(input.maxRate),
                                input.hasCounter ? counters::FormatCounterValue(input.lastCounter)
                                                 : QStringLiteral("–"),
                                QStringLiteral("%1, %2, %3").arg(gaps).arg(input.wraps).arg(input.drops)};
        for (int column = 0; column < cells.size(); ++column)
            Table_HistorySummary->item(n, column)->setText(cells[column]);
        if (!shown[std::size_t(n)]) continue;
        spoken[0] << (input.hasRate
                          ? tr("IN%1: last %2, minimum %3, maximum %4, %5")
                                .arg(n + 1)
                                .arg(rate(input.lastRate), rate(input.minRate), rate(input.maxRate), gapText)
                          : tr("IN%1: no rate, %2").arg(n + 1).arg(gapText));
        spoken[1] << (input.hasCounter ? tr("IN%1: last %2, overflows: %3, drops: %4, %5")
                                             .arg(n + 1)
                                             .arg(counters::FormatCounterValue(input.lastCounter))
                                             .arg(input.wraps)
                                             .arg(input.drops)
                                             .arg(gapText)
                                       : tr("IN%1: no readings").arg(n + 1));
    }
    Plot_HistoryRate->setAccessibleDescription(spoken[0].join(QStringLiteral("; ")));
    Plot_HistoryCounter->setAccessibleDescription(spoken[1].join(QStringLiteral("; ")));

    const auto time = [](qint64 ms) {
        return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString(
            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    };
    const QString range = tr("%1 to %2").arg(time(m_fromMs), time(m_toMs));
    const QString source =
        m_log ? tr("Counter log %1: %2 rows")
                    .arg(QFileInfo(m_log->Path()).fileName(), locale.toString(m_log->RowCount()))
              : tr("Live readings: %1 rows").arg(locale.toString(m_live.RowCount()));
    QString text = source + QStringLiteral(" — ") + range;
    if (m_log && !m_logNote.isEmpty()) text += QStringLiteral("\n") + m_logNote;
    Label_HistorySource->setText(text);
}

void HistoryWindow::ShowLive() {
    m_log.reset();
    m_logNote.clear();
    Button_HistoryLive->setEnabled(false);
    CheckBox_HistoryFollow->setEnabled(true);
    SetFollowing(true);
    Redraw();
}

void HistoryWindow::AskForLog() {
    const QString path =
        AskForFile(m_dialogs(), FileDialogKind::Open,
                   {tr("Open counter log"), tr("CSV files (*.csv)"), QStringLiteral("csv")}, &m_folder);
    if (!path.isEmpty()) OpenLog(path);
}

void HistoryWindow::OpenLog(const QString& path) {
    if (!m_progress) {
        m_progress = new QProgressDialog(this);
        m_progress->setObjectName(QStringLiteral("ProgressDialog_HistoryLog"));
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setRange(0, 1000);
        m_progress->setMinimumDuration(500);
        m_progress->setAutoReset(false);
        m_progress->setAutoClose(false);
        connect(m_progress, &QProgressDialog::canceled, m_loader, &history::LogLoader::Cancel);
        // Progress still queued after a Cancel must not show the dialog again.
        connect(m_loader, &history::LogLoader::Progress, m_progress, [this](int permille) {
            if (!m_progress->wasCanceled()) m_progress->setValue(permille);
        });
    }
    m_progress->reset();
    m_progress->setLabelText(tr("Reading %1…").arg(QFileInfo(path).fileName()));
    m_progress->setValue(0);
    m_loader->Start(path);
}

void HistoryWindow::LogOpened(std::shared_ptr<history::LogHistory> log, const QString& error,
                              const QString& note, bool stoppedEarly) {
    if (m_progress) m_progress->reset();
    if (!log) {
        m_dialogs().ShowMessage(MessageKind::Error,
                                tr("The counter log cannot be shown.") + QStringLiteral("\n") + error);
        return;
    }
    m_log = std::move(log);
    m_logNote = note;
    Button_HistoryLive->setEnabled(true);
    SetFollowing(false);
    CheckBox_HistoryFollow->setEnabled(false);
    ShowLast(0);
    if (stoppedEarly) m_dialogs().ShowMessage(MessageKind::Warning, note);
}

void HistoryWindow::ExportPicture(bool svg) {
    const QString path =
        AskForFile(m_dialogs(), FileDialogKind::Save,
                   svg ? FileDialogRequest{tr("Save the plots as SVG"), tr("SVG drawings (*.svg)"),
                                           QStringLiteral("svg")}
                       : FileDialogRequest{tr("Save the plots as PNG"), tr("PNG pictures (*.png)"),
                                           QStringLiteral("png")},
                   &m_folder);
    if (path.isEmpty()) return;
    bool saved = false;
    if (svg) {
        QSvgGenerator generator;
        generator.setFileName(path);
        generator.setSize(m_plots->size());
        // The drawing's size in millimetres is the plots' on this screen.
        generator.setResolution(m_plots->logicalDpiX());
        generator.setViewBox(QRect(QPoint(0, 0), m_plots->size()));
        generator.setTitle(windowTitle());
        generator.setDescription(Plot_HistoryRate->accessibleDescription());
        QPainter painter;
        if (painter.begin(&generator)) {
            m_plots->render(&painter);
            saved = painter.end();
        }
        saved = saved && QFileInfo(path).size() > 0;
    } else {
        saved = m_plots->grab().save(path, "PNG");
    }
    if (!saved)
        m_dialogs().ShowMessage(MessageKind::Error,
                                tr("The picture cannot be saved.") + QStringLiteral("\n") + path);
}

void HistoryWindow::ExportCsv() {
    const QString path = AskForFile(
        m_dialogs(), FileDialogKind::Save,
        {tr("Save the range shown as CSV"), tr("CSV files (*.csv)"), QStringLiteral("csv")}, &m_folder);
    if (path.isEmpty()) return;
    QString error;
    if (!history::WriteRangeCsv(Source(), m_fromMs, m_toMs, ShownInputs(), path, &error))
        m_dialogs().ShowMessage(MessageKind::Error, tr("The readings cannot be saved.") +
                                                        QStringLiteral("\n") + path + QStringLiteral(": ") +
                                                        error);
}

} // namespace zeph::app
