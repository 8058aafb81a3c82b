// SPDX-License-Identifier: MIT
// Layout of the counters page: one row per input with its counter, rate, interval, flags and preset field,
// the NAMUR flags and the refresh and record buttons under the rows, the current and latched error flags
// beside them. On a narrow screen the preset fields stand under the rows, and the buttons and the error
// flags under the NAMUR flags, so that the page fits beside the right-hand panel 1024 pixels wide.
#include "app/CountersPage.h"

#include "app/AccessibleNames.h"
#include "app/widgets/PageScrollArea.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TSpeedButton.h"
#include "session/CounterPoller.h"
#include "session/DeviceSession.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace zeph::app {

namespace {

constexpr int InputRowHeight = 30;

// A flag label as it starts: clear, and for an input's flag greyed.
TColorLabel* MakeFlag(const QString& name, const QString& text, QWidget* parent, bool inputFlag = true) {
    auto* label = new TColorLabel(name, text, parent);
    label->setMargin(2);
    label->setEnabled(!inputFlag);
    label->setAccessibleDescription(FlagStateText(false));
    return label;
}

// A reading's size is fixed for the widest text it can show, so that a new value repaints the label alone
// and lays nothing out: a label whose size may change asks the whole page to be measured again. It paints
// its own background, so that the group box behind it is not drawn again with it.
void FixSize(QLabel* label, const QList<QPair<QString, int>>& widest, int atLeast) {
    int width = atLeast;
    int height = 0;
    for (const auto& [text, points] : widest) {
        QFont font = label->font();
        if (points > 0) font.setPointSize(points);
        const QFontMetrics metrics(font);
        width = std::max(width, metrics.horizontalAdvance(text) + 2 * label->margin() + 6);
        height = std::max(height, metrics.height() + 2 * label->margin());
    }
    label->setFixedSize(width, height);
    label->setAutoFillBackground(true);
}

TColorLabel* MakeValue(const QString& name, QWidget* parent) {
    auto* label = new TColorLabel(name, QStringLiteral("???"), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->SetFontSize(12);
    // Values from a million on shrink to 8 points (see CounterFontPointSize).
    FixSize(label, {{QStringLiteral("4 294 967 295"), 8}, {QStringLiteral("999 999"), 12}}, 90);
    return label;
}

QGroupBox* MakeGroup(const char* name, const QString& caption, QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QLatin1String(name));
    return group;
}

} // namespace

CountersPage::CountersPage(const WindowServices& services, bool narrow, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_narrow(narrow) {
    setObjectName(QStringLiteral("TabSheet_Impulzusok"));
    // The continuous refresh's timer (Timer_FolyamatosKiolvasas) is the poller's, started only when a
    // read is due.
    m_poller = new session::CounterPoller(*m_services.session, this);
    m_poller->setObjectName(QStringLiteral("CounterPoller"));
    for (int k = 0; k < 8; ++k) {
        Timer_ZT7208Imp[k] = new QTimer(this);
        Timer_ZT7208Imp[k]->setObjectName(QStringLiteral("Timer_ZT7208Imp%1").arg(k + 1));
        Timer_ZT7208Imp[k]->setInterval(500);
    }
    QVBoxLayout* rows = ScrolledRows(this);
    BuildCounterRows();
    BuildNamurFlags();
    BuildErrorFlags();
    PlaceGroups(rows, BuildActions());
    ConnectHandlers();
    SetUpInputSummaries();
}

// One input's readings, flags and preset field, as they start; returns the interval's unit label.
QLabel* CountersPage::MakeInputRow(int k) {
    const QString n = QString::number(k + 1);
    Label_7208IN[k] =
        new TColorLabel(QStringLiteral("Label_7208IN") + n, QStringLiteral("IN") + n, GroupBox25);
    Label_7208IN[k]->setMargin(2);
    Label_7208IN[k]->setAccessibleDescription(ActivityText(false));
    Label_7208Szamlalo[k] = MakeValue(QStringLiteral("Label_7208Szamlalo") + n, GroupBox25);
    Label_7208Overflow[k] =
        MakeFlag(QStringLiteral("Label_7208Overflow") + n, tr("+ 4 billions"), GroupBox25);
    Label_7208Ido[k] = MakeValue(QStringLiteral("Label_7208Ido") + n, GroupBox25);
    auto* unit = new QLabel(QStringLiteral("ms"), GroupBox25);
    unit->setObjectName(QStringLiteral("Label_7208IdoMs") + n);
    Label_7208TimeOut[k] = MakeFlag(QStringLiteral("Label_7208TimeOut") + n, tr("> max. time"), GroupBox25);
    LabeledEdit_7208Ertek[k] = new TLabeledEdit(QStringLiteral("LabeledEdit_7208Ertek") + n,
                                                tr("New value for IN%1:").arg(k + 1), 10, GroupBox25);
    LabeledEdit_7208Ertek[k]->setText(QStringLiteral("0"));
    LabeledEdit_7208Ertek[k]->setToolTip(tr("Double click: set value to zero"));
    LabeledEdit_7208Ertek[k]->setMaximumWidth(90);
    SpeedButton_7208ErtekBeiras[k] =
        new TSpeedButton(QStringLiteral("SpeedButton_7208ErtekBeiras") + n, tr("Select"), GroupBox25);
    SpeedButton_7208ErtekBeiras[k]->setMinimumWidth(60);
    SpeedButton_7208ErtekBeiras[k]->setMaximumWidth(70);

    // Our own: the pulses per second over the last reports, beside the counter.
    Label_CounterRate[k] = new QLabel(GroupBox25);
    Label_CounterRate[k]->setObjectName(QStringLiteral("Label_CounterRate") + n);
    Label_CounterRate[k]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // A preset can make a counter leap, so the rate may reach the widest counter value.
    FixSize(Label_CounterRate[k], {{QStringLiteral("4294967295 /s"), 0}}, 64);
    Label_CounterRate[k]->setToolTip(
        tr("Pulses per second over the reports of the last %1 s").arg(m_rates.SpanMs() / 1000));
    return unit;
}

// The counter rows with their preset fields, inputs 1 to 4 in the left column of preset fields and 5 to 8
// in the right on a narrow screen.
QGroupBox* CountersPage::BuildCounterRows() {
    GroupBox25 = MakeGroup(
        "GroupBox25", tr("Counted pulses, time between last two pulses, modify the value of counters"), this);
    auto* counterGroup = new QVBoxLayout(GroupBox25);
    counterGroup->setContentsMargins(6, 4, 6, 6);
    counterGroup->setSpacing(6);
    auto* counters = new QGridLayout;
    // The labels keep margins of their own; 4 pixels between them let the design's page fit beside the
    // panel on a 1366x768 screen in Hungarian too.
    counters->setHorizontalSpacing(4);
    counters->setVerticalSpacing(0);
    auto* presets = new QGridLayout;
    presets->setHorizontalSpacing(6);
    presets->setVerticalSpacing(0);

    for (int k = 0; k < 8; ++k) {
        QLabel* unit = MakeInputRow(k);
        const int row = k;
        counters->setRowMinimumHeight(row, InputRowHeight);
        counters->addWidget(Label_7208IN[k], row, 0);
        counters->addWidget(Label_7208Szamlalo[k], row, 1);
        counters->addWidget(Label_CounterRate[k], row, 2);
        counters->addWidget(Label_7208Overflow[k], row, 3);
        counters->addWidget(Label_7208Ido[k], row, 4);
        counters->addWidget(unit, row, 5);
        counters->addWidget(Label_7208TimeOut[k], row, 6);
        QGridLayout* preset = m_narrow ? presets : counters;
        const int presetRow = m_narrow ? k % 4 : row, presetColumn = m_narrow ? k / 4 * 4 : 7;
        preset->setRowMinimumHeight(presetRow, InputRowHeight);
        preset->addWidget(LabeledEdit_7208Ertek[k]->EditLabel(), presetRow, presetColumn, Qt::AlignRight);
        preset->addWidget(LabeledEdit_7208Ertek[k], presetRow, presetColumn + 1);
        preset->addWidget(SpeedButton_7208ErtekBeiras[k], presetRow, presetColumn + 2);
    }
    Button_7208ImpulzusertekBeiras = new QPushButton(tr("Write selected values to instrument"), GroupBox25);
    Button_7208ImpulzusertekBeiras->setObjectName(QStringLiteral("Button_7208ImpulzusertekBeiras"));
    Button_7208ImpulzusertekBeiras->setEnabled(false);
    presets->setColumnMinimumWidth(3, 12);
    counterGroup->addLayout(counters);
    if (m_narrow) {
        counterGroup->addLayout(presets);
        counterGroup->addWidget(Button_7208ImpulzusertekBeiras, 0, Qt::AlignRight);
    } else {
        delete presets;
        counters->addWidget(Button_7208ImpulzusertekBeiras, 8, 6, 1, 4, Qt::AlignRight);
    }
    return GroupBox25;
}

// One column per input, under the input's name.
QGroupBox* CountersPage::BuildNamurFlags() {
    GroupBox23 = MakeGroup("GroupBox23",
                           tr("NAMUR errors (The red background color inicates the error state.)"), this);
    auto* namur = new QGridLayout(GroupBox23);
    namur->setContentsMargins(6, 4, 6, 6);
    namur->setHorizontalSpacing(6);
    namur->setVerticalSpacing(2);
    for (int k = 0; k < 8; ++k) {
        const QString n = QString::number(k + 1);
        Label_7208Szakadas[k] = MakeFlag(QStringLiteral("Label_7208Szakadas") + n,
                                         tr("Open", "NAMUR error: open circuit"), GroupBox23);
        Label_7208Zarlat[k] = MakeFlag(QStringLiteral("Label_7208Zarlat") + n, tr("Shorted"), GroupBox23);
        auto* column = new QLabel(QStringLiteral("IN") + n, GroupBox23);
        column->setObjectName(QStringLiteral("Label_7208NamurIN") + n);
        namur->addWidget(column, 0, k);
        namur->addWidget(Label_7208Szakadas[k], 1, k);
        namur->addWidget(Label_7208Zarlat[k], 2, k);
    }
    return GroupBox23;
}

// The device's error flags, current and latched, one column each (the rates took the width of a second
// one), with the latched flags' clear button.
void CountersPage::BuildErrorFlags() {
    const QStringList errorFlags = {tr("Invalid settings"),        tr("Invalid counted values"),
                                    tr("8.2 V NAMUR power error"), tr("MODBUS module error"),
                                    tr("Not MODBUS module"),       tr("NAMUR input error"),
                                    tr("Counter > 4 billions"),    tr("Time > max. enabled")};
    GroupBox26 = MakeGroup("GroupBox26", tr("Current error states"), this);
    GroupBox27 = MakeGroup("GroupBox27", tr("Error states until cleared"), this);
    auto* current = new QGridLayout(GroupBox26);
    auto* latched = new QGridLayout(GroupBox27);
    for (QGridLayout* grid : {current, latched}) {
        grid->setContentsMargins(6, 4, 6, 6);
        grid->setSpacing(3);
    }
    for (int bit = 0; bit < 8; ++bit) {
        const QString b = QString::number(bit);
        Label_7208AltHibaBit[bit] =
            MakeFlag(QStringLiteral("Label_7208AltHibaBit") + b, errorFlags[bit], GroupBox26, false);
        Label_7208MegorzodoAltHibaBit[bit] =
            MakeFlag(QStringLiteral("Label_7208MegorzodoAltHibaBit") + b, errorFlags[bit], GroupBox27, false);
        current->addWidget(Label_7208AltHibaBit[bit], bit, 0);
        latched->addWidget(Label_7208MegorzodoAltHibaBit[bit], bit, 0);
    }
    Button_7208HibabitTorles = new QPushButton(tr("Clear"), GroupBox27);
    Button_7208HibabitTorles->setObjectName(QStringLiteral("Button_7208HibabitTorles"));
    Button_7208HibabitTorles->setEnabled(false);
    latched->addWidget(Button_7208HibabitTorles, 8, 0, Qt::AlignRight);
}

// The refresh, record, history and first-initialization buttons in a column, "Fast" under the toggle it
// modifies, and the data source.
QVBoxLayout* CountersPage::BuildActions() {
    auto* actions = new QVBoxLayout;
    Button_7208ImpulzusKiolvasas = new QPushButton(tr("Refresh"), this);
    Button_7208ImpulzusKiolvasas->setObjectName(QStringLiteral("Button_7208ImpulzusKiolvasas"));
    SpeedButton_7208FolymatosKiolvasas = new TSpeedButton(
        QStringLiteral("SpeedButton_7208FolymatosKiolvasas"), tr("Continuous refresh"), this);
    // Our own: the continuous refresh reads back to back instead of at the original's pace.
    CheckBox_Gyors = new QCheckBox(tr("Fast"), this);
    CheckBox_Gyors->setObjectName(QStringLiteral("CheckBox_Gyors"));
    CheckBox_Gyors->setToolTip(tr("Reads the counters back to back, as fast as the line allows: each read "
                                  "1.8 ms after the device's last answer instead of 20 ms"));
    // Our own: writes every report shown to a CSV file while down.
    SpeedButton_RecordCounters =
        new TSpeedButton(QStringLiteral("SpeedButton_RecordCounters"), tr("Record counters…"), this);
    SpeedButton_RecordCounters->setToolTip(tr("Writes every counter report shown into a CSV file"));
    // Our own: the rates and counters over time, live or from a counter log; open whatever the port does.
    Button_History = new QPushButton(tr("History…"), this);
    Button_History->setObjectName(QStringLiteral("Button_History"));
    Button_History->setToolTip(tr("The rates and counters over time, live or from a counter log"));
    Button_GyariElsoInic = new QPushButton(tr("First initialization"), this);
    Button_GyariElsoInic->setObjectName(QStringLiteral("Button_GyariElsoInic"));
    Button_GyariElsoInic->setVisible(false);
    Label_7208Adatforras =
        new TColorLabel(QStringLiteral("Label_7208Adatforras"), tr("Data source at startup:"), this);
    Label_7208Adatforras->setMargin(3);
    Label_7208Adatforras->setMinimumWidth(220);
    for (QPushButton* button :
         {static_cast<QPushButton*>(Button_7208ImpulzusKiolvasas),
          static_cast<QPushButton*>(SpeedButton_7208FolymatosKiolvasas),
          static_cast<QPushButton*>(SpeedButton_RecordCounters), Button_History, Button_GyariElsoInic}) {
        // "History…" opens whatever the port state.
        button->setEnabled(button == Button_History);
        actions->addWidget(button, 0, Qt::AlignLeft);
        if (button != SpeedButton_7208FolymatosKiolvasas) continue;
        // Indented, so that the column stays narrow (the design had it beside).
        auto* fast = new QHBoxLayout;
        fast->addSpacing(style()->pixelMetric(QStyle::PM_IndicatorWidth));
        fast->addWidget(CheckBox_Gyors);
        fast->addStretch(1);
        actions->addLayout(fast);
    }
    actions->addStretch(1);
    return actions;
}

void CountersPage::PlaceGroups(QVBoxLayout* rows, QVBoxLayout* actions) {
    if (m_narrow) {
        // The counter rows, the NAMUR flags under them, then the buttons beside the error flags (room is
        // left there for more buttons).
        rows->addWidget(GroupBox25, 0, Qt::AlignLeft);
        rows->addWidget(GroupBox23, 0, Qt::AlignLeft);
        auto* lower = new QHBoxLayout;
        lower->addLayout(actions);
        lower->addWidget(GroupBox26, 0, Qt::AlignTop);
        lower->addWidget(GroupBox27, 0, Qt::AlignTop);
        lower->addStretch(1);
        rows->addLayout(lower);
        rows->addWidget(Label_7208Adatforras, 0, Qt::AlignLeft);
        rows->addStretch(1);
        return;
    }
    // The counter rows over the NAMUR flags and the buttons on the left, the error flags on the right with
    // the data source under them (the design had it under the buttons).
    auto* lower = new QHBoxLayout;
    lower->addWidget(GroupBox23, 0, Qt::AlignTop);
    lower->addLayout(actions, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(GroupBox25, 0, Qt::AlignLeft);
    left->addLayout(lower);
    left->addStretch(1);
    auto* errors = new QVBoxLayout;
    errors->addWidget(GroupBox26);
    errors->addWidget(GroupBox27);
    errors->addWidget(Label_7208Adatforras);
    errors->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(errors);
    columns->addStretch(1);
    rows->addLayout(columns, 1);
}

// Each input's summary with its preset field and Select (or the preset fields after the rows on a narrow
// screen), the buttons, then the error groups.
QList<QWidget*> CountersPage::TabOrder() const {
    QList<QWidget*> order;
    for (int k = 0; k < 8; ++k) {
        order << Label_7208IN[k];
        if (!m_narrow) order << LabeledEdit_7208Ertek[k] << SpeedButton_7208ErtekBeiras[k];
    }
    for (int k = 0; k < 8 && m_narrow; ++k)
        order << LabeledEdit_7208Ertek[k] << SpeedButton_7208ErtekBeiras[k];
    order << Button_7208ImpulzusertekBeiras << Button_7208ImpulzusKiolvasas
          << SpeedButton_7208FolymatosKiolvasas << CheckBox_Gyors << SpeedButton_RecordCounters
          << Button_History << Button_GyariElsoInic << Button_7208HibabitTorles;
    return order;
}

} // namespace zeph::app
