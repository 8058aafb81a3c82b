// SPDX-License-Identifier: MIT
// What the counters page shows of a report: activity, flags, counters and intervals, the error flags, the
// rates and the counter log; the readings greyed while stale; and the words a screen reader hears for
// them, each input summed up on its own keyboard stop.
#include "app/CountersPage.h"

#include "app/AccessibleNames.h"
#include "app/widgets/ChangedOnly.h"
#include "app/widgets/SystemColours.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TSpeedButton.h"
#include "counters/CounterText.h"

#include <QAccessible>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace zeph::app {

namespace {
const QColor ActivityOrange(254, 101, 35);
const QColor FlagRed(255, 0, 0);
constexpr int HighlightMs = 500;
// An input's summary is named anew at most this often, so that a reader asked for it is not talked over.
constexpr int SummaryIntervalMs = 1000;

// Values of seven digits and more get a smaller font to stay inside their label.
int CounterFontPointSize(quint32 value) {
    return value >= 1000000 ? 8 : 12;
}

// A set error flag is red with white text; a clear one looks like the rest of the window. A screen
// reader hears the state in words.
void ShowErrorFlag(TColorLabel* label, bool set) {
    label->SetColor(set ? FlagRed : ButtonFace());
    label->SetFontColor(set ? QColor(Qt::white) : WindowText());
    SetDescriptionIfChanged(label, FlagStateText(set));
}

// Input flags also grey out while clear, so only the inputs at fault stand out in a row.
void ShowInputFlag(TColorLabel* label, bool set) {
    ShowErrorFlag(label, set);
    label->setEnabled(set);
}

void ShowFlagRow(const std::array<TColorLabel*, 8>& labels, std::uint8_t flags) {
    for (int k = 0; k < 8; ++k)
        ShowInputFlag(labels[k], device::InputFlag(flags, k));
}

// Space on a summary's keyboard stop.
class SpaceFilter : public QObject {
public:
    SpaceFilter(QObject* parent, std::function<void(QWidget*)> pressed)
        : QObject(parent)
        , m_pressed(std::move(pressed)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Space)
            return false;
        m_pressed(static_cast<QWidget*>(watched));
        return true;
    }

private:
    std::function<void(QWidget*)> m_pressed;
};

} // namespace

void CountersPage::ShowCounterStatus(const device::CounterStatusReport& report) {
    // Every report that flags an input starts a fresh highlight period; the others leave it running out.
    for (int k = 0; k < 8; ++k) {
        if (!device::InputFlag(report.activity, k)) continue;
        Label_7208IN[k]->SetColor(ActivityOrange);
        SetDescriptionIfChanged(Label_7208IN[k], ActivityText(true));
        Timer_ZT7208Imp[k]->stop();
        Timer_ZT7208Imp[k]->setInterval(HighlightMs);
        Timer_ZT7208Imp[k]->start();
    }

    ShowFlagRow(Label_7208Szakadas, report.namurOpen);
    ShowFlagRow(Label_7208Zarlat, report.namurShort);
    ShowFlagRow(Label_7208TimeOut, report.timeLimit);
    ShowFlagRow(Label_7208Overflow, report.overflow);

    for (int k = 0; k < 8; ++k) {
        const quint32 count = report.counters[k];
        Label_7208Szamlalo[k]->setText(counters::FormatCounterValue(count));
        Label_7208Szamlalo[k]->SetFontSize(CounterFontPointSize(count));
        const quint32 interval = report.intervals[k];
        Label_7208Ido[k]->setText(counters::IntervalText(interval));
        Label_7208Ido[k]->SetFontSize(CounterFontPointSize(interval));
    }

    const std::uint8_t current = report.currentErrors;
    ShowErrorFlag(Label_7208AltHibaBit[0], current & 0x01);
    ShowErrorFlag(Label_7208AltHibaBit[1], current & 0x02);
    Button_GyariElsoInic->setVisible(device::NeedsFirstInitialization(current));
    for (int bit = 2; bit < 8; ++bit)
        ShowErrorFlag(Label_7208AltHibaBit[bit], (current >> bit) & 1);

    for (int bit = 0; bit < 8; ++bit)
        ShowErrorFlag(Label_7208MegorzodoAltHibaBit[bit], (report.latchedErrors >> bit) & 1);
    // The readings are named for screen readers once the rates beside them are shown too
    // (TakeCounterReport).
}

void CountersPage::Timer_ZT7208Imp1Timer(QObject* sender) {
    auto* timer = qobject_cast<QTimer*>(sender);
    if (!timer) return;
    for (int k = 0; k < 8; ++k)
        if (timer->objectName() == QStringLiteral("Timer_ZT7208Imp%1").arg(k + 1)) {
            Label_7208IN[k]->SetColor(ButtonFace());
            SetDescriptionIfChanged(Label_7208IN[k], ActivityText(false));
        }
    timer->stop();
}

void CountersPage::TakeCounterReport(const device::CounterStatusReport& report) {
    const counters::TimedReport timed{m_reportClock.Now(), report};
    const counters::InputRates rates = m_rates.Add(timed);
    for (int k = 0; k < 8; ++k)
        Label_CounterRate[k]->setText(counters::RateText(rates[k]));
    NameReadings();

    if (!m_counterLog.IsRecording()) return;
    QString error;
    if (!m_counterLog.Write(timed, &error)) {
        // Released before the box: the timers keep running while it is open.
        SpeedButton_RecordCounters->SetDown(false);
        m_services.showMessage(MessageKind::Error, CounterLogFailureText(m_counterLog.Path(), error));
        return;
    }
    const int rows = m_counterLog.Rows();
    const QString file = QFileInfo(m_counterLog.Path()).fileName();
    emit CounterLogText(rows == 1 ? tr("Recording counters to %1: 1 row").arg(file)
                                  : tr("Recording counters to %1: %2 rows").arg(file).arg(rows));
}

// The readings stay for a technician to look at, greyed and under a banner, until a report replaces them.
void CountersPage::MarkReadingsStale(const QString& why) {
    const bool stale = !why.isEmpty();
    if (!Label_StaleReadings) {
        if (!stale) return;
        Label_StaleReadings = new QLabel(this);
        Label_StaleReadings->setObjectName(QStringLiteral("Label_StaleReadings"));
        Label_StaleReadings->setWordWrap(true);
        Label_StaleReadings->setMargin(4);
        Label_StaleReadings->setStyleSheet(QStringLiteral("background: rgb(255, 236, 150); color: black;"));
        // Above the scrolling part, so that it stays in view.
        if (auto* rows = qobject_cast<QVBoxLayout*>(layout())) rows->insertWidget(0, Label_StaleReadings);
    }
    Label_StaleReadings->setText(why);
    Label_StaleReadings->setVisible(stale);
    for (const auto& family : {Label_7208Szamlalo, Label_7208Ido})
        for (TColorLabel* value : family) {
            value->setEnabled(!stale);
            value->setToolTip(why);
        }
    Label_7208Adatforras->setEnabled(!stale);
}

void CountersPage::SetUpInputSummaries() {
    // Each input's name ("IN3") is a keyboard stop whose name sums up the input's readings and flags.
    Timer_InputSummaries = new QTimer(this);
    Timer_InputSummaries->setObjectName(QStringLiteral("Timer_InputSummaries"));
    Timer_InputSummaries->setSingleShot(true);
    connect(Timer_InputSummaries, &QTimer::timeout, this, [this] { NameInputSummaries(); });
    // Released, the continuous refresh lets a focused summary catch up.
    connect(SpeedButton_7208FolymatosKiolvasas, &QAbstractButton::toggled, this, [this](bool down) {
        if (!down) ScheduleInputSummaries();
    });
    auto* space = new SpaceFilter(this, [this](QWidget* label) {
        const int k = int(std::find(Label_7208IN.begin(), Label_7208IN.end(), label) - Label_7208IN.begin());
        if (k >= 8) return;
        // Said again also when unchanged: the reader was asked.
        const QString summary = InputSummaryOf(k);
        if (label->accessibleName() != summary) {
            label->setAccessibleName(summary);
        } else {
            QAccessibleEvent event(label, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
    });
    for (TColorLabel* label : Label_7208IN) {
        label->setFocusPolicy(Qt::TabFocus);
        label->installEventFilter(space);
    }
}

void CountersPage::NameReadings() {
    // Only a reading whose text has changed since it was last named is worded again: most of a report's
    // readings stand still.
    const auto name = [](QLabel* label, Reading reading, int input) {
        const QString shown = label->text();
        const QVariant named = label->property("namedText");
        if (named.isValid() && named.toString() == shown) return;
        label->setProperty("namedText", shown);
        SetNameIfChanged(label, ReadingName(reading, input, shown));
    };
    for (int k = 0; k < 8; ++k) {
        name(Label_7208Szamlalo[k], Reading::Counter, k + 1);
        name(Label_7208Ido[k], Reading::Interval, k + 1);
        name(Label_CounterRate[k], Reading::Rate, k + 1);
    }
    ScheduleInputSummaries();
}

// A report is summed up at most once a second: each naming tells a listening reader, and a focused
// summary would be read out anew with every report of a continuous refresh.
void CountersPage::ScheduleInputSummaries() {
    if (Timer_InputSummaries->isActive()) return;
    const qint64 since = m_summariesNamed.isValid() ? m_summariesNamed.elapsed() : SummaryIntervalMs;
    Timer_InputSummaries->start(int(std::max<qint64>(0, SummaryIntervalMs - since)));
}

void CountersPage::NameInputSummaries() {
    m_summariesNamed.start();
    // While the continuous refresh runs, a focused summary keeps its name until asked (Space).
    const bool continuous = SpeedButton_7208FolymatosKiolvasas->Down();
    for (int k = 0; k < 8; ++k)
        if (!continuous || !Label_7208IN[k]->hasFocus()) SetNameIfChanged(Label_7208IN[k], InputSummaryOf(k));
}

QString CountersPage::InputSummaryOf(int k) const {
    const auto set = [](const QWidget* flag) { return flag->accessibleDescription() == FlagStateText(true); };
    return InputSummary(k + 1, Label_7208Szamlalo[k]->text(), Label_CounterRate[k]->text(),
                        Label_7208Ido[k]->text(),
                        {set(Label_7208Overflow[k]), set(Label_7208TimeOut[k]), set(Label_7208Szakadas[k]),
                         set(Label_7208Zarlat[k])});
}

} // namespace zeph::app
