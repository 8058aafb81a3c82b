// SPDX-License-Identifier: MIT
// The settings page: its layout (every control starts empty), the settings in its controls, and their
// check before a write or a save.
#include "app/SettingsPage.h"

#include "app/ControlNames.h"
#include "app/SettingsPageControls.h"
#include "app/widgets/PageScrollArea.h"
#include "app/widgets/TColorLabel.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TRadioGroup.h"
#include "session/DeviceSession.h"
#include "session/SettingsFileMapping.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
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

void AppendRadioItems(QList<QWidget*>& order, const TRadioGroup* group) {
    for (int i = 0; i < group->Items().size(); ++i)
        order << group->findChild<QWidget*>(group->objectName() + QStringLiteral("_Item%1").arg(i));
}

} // namespace

SettingsPage::SettingsPage(const WindowServices& services, bool narrow, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_narrow(narrow) {
    setObjectName(QStringLiteral("TabSheet_BeallithatoLetolthetoPar"));
    QVBoxLayout* rows = ScrolledRows(this);

    auto* inputs = new QGridLayout;
    inputs->setSpacing(6);
    for (int k = 0; k < 8; ++k)
        inputs->addWidget(BuildInputGroup(k), k / 4, k % 4);
    rows->addLayout(inputs);

    // The data source and the first initialization beside the MODBUS group, narrow under it.
    auto* lower = new QHBoxLayout;
    lower->addWidget(BuildModbusGroup(), 1);
    auto* source = new QBoxLayout(m_narrow ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    Label_7208ParameterAdatforras =
        new TColorLabel(QStringLiteral("Label_7208ParameterAdatforras"), tr("Data source at startup:"), this);
    Label_7208ParameterAdatforras->setMinimumWidth(220);
    Label_7208ParameterAdatforras->setMargin(3);
    Button_GyariElsoInicB = new QPushButton(tr("First initialization"), this);
    Button_GyariElsoInicB->setObjectName(QStringLiteral("Button_GyariElsoInicB"));
    Button_GyariElsoInicB->setEnabled(false);
    Button_GyariElsoInicB->setVisible(false);
    connect(Button_GyariElsoInicB, &QPushButton::clicked, this,
            [this] { m_services.session->FirstInitialization(); });
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
}

QGroupBox* SettingsPage::BuildInputGroup(int k) {
    const QString n = QString::number(k + 1);
    auto* group = new QGroupBox(tr("Input %1").arg(k + 1), this);
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
        // One control under the other and the time's caption on two lines, so that four groups stand side
        // by side on a screen 1024 pixels wide beside the right-hand panel, in either language.
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
    return group;
}

QGroupBox* SettingsPage::BuildModbusGroup() {
    GroupBox_7208MODBUS = new QGroupBox(QStringLiteral("MODBUS RS-485"), this);
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
    return GroupBox_7208MODBUS;
}

device::SettingsPageState SettingsPage::Read() const {
    return ReadSettingsPage(this);
}

void SettingsPage::Show(const device::SettingsPageState& page) {
    ShowSettingsPage(this, page);
}

QString SettingsPage::CaptionOf(device::FieldRef field) const {
    const QString control = session::FileKey(field);
    if (const auto* group = findChild<const TRadioGroup*>(control)) return group->title();
    if (const auto* edit = findChild<const TLabeledEdit*>(control)) return edit->EditLabel()->text();
    return session::EnglishCaption(field);
}

bool SettingsPage::ValidateSettings() {
    device::SettingsPageState page = Read();
    const std::optional<device::ValidationFailure> failure = device::ValidateSettings(
        page, QLocale(), [this](device::FieldRef field) { return CaptionOf(field); });
    // Every edit that passed is now in plain integer form.
    ShowSettingsEditTexts(this, page);
    if (!failure) return true;
    m_services.showMessage(MessageKind::Error, failure->message);
    auto* control = findChild<QWidget*>(session::FileKey(failure->field));
    if (auto* edit = qobject_cast<TLabeledEdit*>(control); edit && failure->editText)
        edit->setText(*failure->editText);
    if (control) control->setFocus();
    return false;
}

// Each input group row by row, each group's controls in order, then the MODBUS group.
QList<QWidget*> SettingsPage::TabOrder() const {
    QList<QWidget*> order;
    for (int k = 0; k < 8; ++k) {
        AppendRadioItems(order, RadioGroup_7208BemTip[k]);
        AppendRadioItems(order, RadioGroup_7208BemEl[k]);
        order << CheckBox_7208PergMentesites[k] << LabeledEdit_7208BemTimeOut[k];
    }
    AppendRadioItems(order, RadioGroup_7208MbParitas);
    order << ListBox_7208MbSebesseg << LabeledEdit_7208MbKeszulekcim << LabeledEdit_7208MbIdokorlat
          << LabeledEdit_7208MbValaszKeslIdo << CheckBox_7208MbRFelLe << CheckBox_7208MbRLezaro
          << Button_GyariElsoInicB;
    return order;
}

} // namespace zeph::app
