// SPDX-License-Identifier: MIT
// Layout of the settings page: the eight input groups, the MODBUS RS-485 group, the data-source label
// and the settings page's first-initialization button. Every control starts empty.
#include "app/TForm_Main.h"

#include "app/ControlNames.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TRadioGroup.h"
#include "device/SettingsBlock.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace zeph::app {

namespace {

// Stacks a labelled edit under its caption.
QVBoxLayout* Labelled(TLabeledEdit* edit) {
    auto* box = new QVBoxLayout;
    box->setSpacing(1);
    box->addWidget(edit->EditLabel());
    box->addWidget(edit);
    return box;
}

} // namespace

QWidget* TForm_Main::BuildSettingsPage() {
    auto* page = new QWidget;
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(6, 6, 6, 6);
    rows->setSpacing(6);

    auto* inputs = new QGridLayout;
    inputs->setSpacing(6);
    for (int k = 0; k < 8; ++k) {
        const QString n = QString::number(k + 1);
        auto* group = new QGroupBox(tr("Input %1").arg(k + 1), page);
        group->setObjectName(QLatin1String(InputGroupBoxNames[k]));
        GroupBox_Input[k] = group;
        auto* grid = new QGridLayout(group);
        grid->setContentsMargins(6, 4, 6, 6);
        grid->setSpacing(4);

        RadioGroup_7208BemTip[k] =
            new TRadioGroup(QStringLiteral("RadioGroup_7208BemTip") + n, tr("Type"), group);
        RadioGroup_7208BemTip[k]->SetItems({QStringLiteral("NAMUR"), tr("Contact")});
        RadioGroup_7208BemEl[k] =
            new TRadioGroup(QStringLiteral("RadioGroup_7208BemEl") + n, tr("Counted event"), group);
        RadioGroup_7208BemEl[k]->SetItems(
            {tr("Close", "counted event: closings"), tr("Open", "counted event: openings")});

        // The debounce box reads as two lines: the check box caption and the label under its text.
        CheckBox_7208PergMentesites[k] = new QCheckBox(tr("Debounced"), group);
        CheckBox_7208PergMentesites[k]->setObjectName(QStringLiteral("CheckBox_7208PergMentesites") + n);
        Label_Debounce[k] = new QLabel(tr("input", "second line of \"Debounced\""), group);
        Label_Debounce[k]->setObjectName(QLatin1String(DebounceLabelNames[k]));
        Label_Debounce[k]->setIndent(group->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                                     group->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing));
        auto* debounce = new QVBoxLayout;
        debounce->setSpacing(0);
        debounce->addWidget(CheckBox_7208PergMentesites[k]);
        debounce->addWidget(Label_Debounce[k]);

        LabeledEdit_7208BemTimeOut[k] = new TLabeledEdit(QStringLiteral("LabeledEdit_7208BemTimeOut") + n,
                                                         tr("Max. time between pulses [ms]:"), 10, group);
        LabeledEdit_7208BemTimeOut[k]->setMaximumWidth(120);

        if (m_narrow) {
            // One control under the other and the time's caption on two lines, so that four groups stand
            // side by side on a screen 1024 pixels wide beside the right-hand panel, in either language.
            LabeledEdit_7208BemTimeOut[k]->EditLabel()->setWordWrap(true);
            grid->addWidget(RadioGroup_7208BemTip[k], 0, 0);
            grid->addWidget(RadioGroup_7208BemEl[k], 1, 0);
            grid->addLayout(debounce, 2, 0);
            grid->addLayout(Labelled(LabeledEdit_7208BemTimeOut[k]), 3, 0);
            grid->setRowStretch(4, 1);
        } else {
            grid->addWidget(RadioGroup_7208BemTip[k], 0, 0);
            grid->addWidget(RadioGroup_7208BemEl[k], 0, 1);
            grid->addLayout(debounce, 1, 0, 1, 2);
            grid->addLayout(Labelled(LabeledEdit_7208BemTimeOut[k]), 2, 0, 1, 2);
        }
        inputs->addWidget(group, k / 4, k % 4);
    }
    rows->addLayout(inputs);

    GroupBox_7208MODBUS = new QGroupBox(QStringLiteral("MODBUS RS-485"), page);
    GroupBox_7208MODBUS->setObjectName(QStringLiteral("GroupBox_7208MODBUS"));
    auto* modbus = new QHBoxLayout(GroupBox_7208MODBUS);
    modbus->setContentsMargins(6, 4, 6, 6);
    modbus->setSpacing(12);

    RadioGroup_7208MbParitas =
        new TRadioGroup(QStringLiteral("RadioGroup_7208MbParitas"), tr("Parity"), GroupBox_7208MODBUS);
    RadioGroup_7208MbParitas->SetItems({tr("None", "parity"), tr("Even", "parity"), tr("Odd", "parity")});
    modbus->addWidget(RadioGroup_7208MbParitas, 0, Qt::AlignTop);

    Label5 = new QLabel(tr("Baud rate"), GroupBox_7208MODBUS);
    Label5->setObjectName(QStringLiteral("Label5"));
    ListBox_7208MbSebesseg = new QListWidget(GroupBox_7208MODBUS);
    ListBox_7208MbSebesseg->setObjectName(QStringLiteral("ListBox_7208MbSebesseg"));
    for (int baud : device::BaudRates)
        ListBox_7208MbSebesseg->addItem(QStringLiteral("%1 bit/sec.").arg(baud));
    ListBox_7208MbSebesseg->setCurrentRow(-1);
    ListBox_7208MbSebesseg->setMaximumHeight(100);
    ListBox_7208MbSebesseg->setMaximumWidth(130);
    Label5->setBuddy(ListBox_7208MbSebesseg);
    auto* baud = new QVBoxLayout;
    baud->setSpacing(1);
    baud->addWidget(Label5);
    baud->addWidget(ListBox_7208MbSebesseg);
    modbus->addLayout(baud);

    LabeledEdit_7208MbKeszulekcim = new TLabeledEdit(QStringLiteral("LabeledEdit_7208MbKeszulekcim"),
                                                     tr("Address [1-247]:"), 3, GroupBox_7208MODBUS);
    LabeledEdit_7208MbIdokorlat = new TLabeledEdit(QStringLiteral("LabeledEdit_7208MbIdokorlat"),
                                                   tr("Comm. timeout [10 ms]:"), 5, GroupBox_7208MODBUS);
    LabeledEdit_7208MbValaszKeslIdo = new TLabeledEdit(QStringLiteral("LabeledEdit_7208MbValaszKeslIdo"),
                                                       tr("Answer delay [ms]:"), 3, GroupBox_7208MODBUS);
    auto* edits = new QVBoxLayout;
    edits->addLayout(Labelled(LabeledEdit_7208MbKeszulekcim));
    edits->addLayout(Labelled(LabeledEdit_7208MbIdokorlat));
    // Narrow, the three edits share one column: the group fits a page 700 pixels wide.
    auto* moreEdits = m_narrow ? edits : new QVBoxLayout;
    moreEdits->addLayout(Labelled(LabeledEdit_7208MbValaszKeslIdo));
    edits->addStretch(1);
    modbus->addLayout(edits);
    if (moreEdits != edits) {
        moreEdits->addStretch(1);
        modbus->addLayout(moreEdits);
    }

    CheckBox_7208MbRFelLe = new QCheckBox(tr("Pull up and pull down R"), GroupBox_7208MODBUS);
    CheckBox_7208MbRFelLe->setObjectName(QStringLiteral("CheckBox_7208MbRFelLe"));
    CheckBox_7208MbRLezaro = new QCheckBox(tr("Termination resistor"), GroupBox_7208MODBUS);
    CheckBox_7208MbRLezaro->setObjectName(QStringLiteral("CheckBox_7208MbRLezaro"));
    auto* resistors = new QVBoxLayout;
    resistors->addWidget(CheckBox_7208MbRFelLe);
    resistors->addWidget(CheckBox_7208MbRLezaro);
    resistors->addStretch(1);
    modbus->addLayout(resistors);
    modbus->addStretch(1);

    // The data source and the first initialization beside the MODBUS group, narrow under it.
    auto* lower = new QHBoxLayout;
    lower->addWidget(GroupBox_7208MODBUS, 1);
    auto* source = new QBoxLayout(m_narrow ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    Label_7208ParameterAdatforras =
        new TColorLabel(QStringLiteral("Label_7208ParameterAdatforras"), tr("Data source at startup:"), page);
    Label_7208ParameterAdatforras->setMinimumWidth(220);
    Label_7208ParameterAdatforras->setMargin(3);
    Button_GyariElsoInicB = new QPushButton(tr("First initialization"), page);
    Button_GyariElsoInicB->setObjectName(QStringLiteral("Button_GyariElsoInicB"));
    Button_GyariElsoInicB->setEnabled(false);
    Button_GyariElsoInicB->setVisible(false);
    if (!m_narrow) source->addStretch(1);
    source->addWidget(Label_7208ParameterAdatforras);
    source->addWidget(Button_GyariElsoInicB);
    if (m_narrow) {
        source->addStretch(1);
        rows->addLayout(lower);
        rows->addLayout(source);
    } else {
        lower->addLayout(source);
        rows->addLayout(lower);
    }
    rows->addStretch(1);
    return page;
}

} // namespace zeph::app
