// SPDX-License-Identifier: MIT
// The English caption set that replaces the Hungarian design texts of the main window at every start.
#include "app/CaptionSet.h"

#include "app/ControlNames.h"
#include "app/widgets/TLabeledEdit.h"
#include "app/widgets/TRadioGroup.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

namespace zeph::app {

namespace {

std::vector<CaptionRow> BuildCaptionSet() {
    using T = CaptionTarget;
    std::vector<CaptionRow> rows = {
        {"TabSheet_BeallithatoLetolthetoPar", T::TabText, {"General settings"}},
        {"TabSheet_Impulzusok", T::TabText, {"Counted pulses, Error messages"}},
        {"RadioGroup_7208MbParitas", T::Caption, {"Parity"}},
        {"RadioGroup_7208MbParitas", T::Items, {"None", "Even", "Odd"}},
        {"Label5", T::Caption, {"Baud rate"}},
        {"LabeledEdit_7208MbKeszulekcim", T::EditLabel, {"Address [1-247]:"}},
        {"CheckBox_7208MbRFelLe", T::Caption, {"Pull up and pull down R"}},
        {"CheckBox_7208MbRLezaro", T::Caption, {"Termination resistor"}},
        {"LabeledEdit_7208MbIdokorlat", T::EditLabel, {"Comm. timeout [10 ms]:"}},
        {"LabeledEdit_7208MbValaszKeslIdo", T::EditLabel, {"Answer delay [ms]:"}},
        {"Label_7208ParameterAdatforras", T::Caption, {"Data source at startup:"}},
        {"Label_7208Adatforras", T::Caption, {"Data source at startup:"}},
        {"Label_Portok", T::Caption, {"List of serial ports"}},
        {"Button_PortokLekerdezese", T::Caption, {"Refresh list"}},
        {"Button_Megnyitas", T::Caption, {"Open serial port"}},
        {"Button_Bezaras", T::Caption, {"Close serial port"}},
        {"Button_FileMegnyitas", T::Caption, {"Open settings file"}},
        {"Button_FileMentes", T::Caption, {"Save settings to file"}},
        {"Button_ZT7208GyariBeall", T::Caption, {"Read factory defaults from instrument"}},
        {"Button_ZT7208AktBeallKiolvasas", T::Caption, {"Read settings from instrument"}},
        {"Button_ZT7208Letoltes", T::Caption, {"Write settings to instrument"}},
        {"GroupBox25",
         T::Caption,
         {"Counted pulses, time between last two pulses, modify the value of counters"}},
        {"Button_7208ImpulzusertekBeiras", T::Caption, {"Write selected values to instrument"}},
        {"GroupBox23", T::Caption, {"NAMUR errors (The red background color inicates the error state.)"}},
        {"GroupBox26", T::Caption, {"Current error states"}},
        {"GroupBox27", T::Caption, {"Error states until cleared"}},
        {"Button_GyariElsoInicB", T::Caption, {"First initialization"}},
        {"Button_GyariElsoInic", T::Caption, {"First initialization"}},
        {"Button_7208HibabitTorles", T::Caption, {"Clear"}},
        {"Button_7208ImpulzusKiolvasas", T::Caption, {"Refresh"}},
        {"SpeedButton_7208FolymatosKiolvasas", T::Caption, {"Continuous refresh"}},
        {"CheckBox_Gyors", T::Caption, {"Fast"}},
        {"NoAnswerText", T::Message, {"The ZEPH7208 have not responded."}},
        {"WrongDeviceText", T::Message, {" This is not a ZEPH7208."}},
    };

    for (int n = 1; n <= 8; ++n) {
        const QString k = QString::number(n);
        rows.push_back({InputGroupBoxNames[n - 1], T::Caption, {"Input " + k}});
        rows.push_back({"RadioGroup_7208BemTip" + k, T::Caption, {"Type"}});
        rows.push_back({"RadioGroup_7208BemTip" + k, T::Items, {"NAMUR", "Contact"}});
        rows.push_back({"CheckBox_7208PergMentesites" + k, T::Caption, {"Debounced"}});
        rows.push_back({DebounceLabelNames[n - 1], T::Caption, {"input"}});
        rows.push_back({"RadioGroup_7208BemEl" + k, T::Caption, {"Counted event"}});
        rows.push_back({"RadioGroup_7208BemEl" + k, T::Items, {"Close", "Open"}});
        rows.push_back({"LabeledEdit_7208BemTimeOut" + k, T::EditLabel, {"Max. time between pulses [ms]:"}});
        rows.push_back({"Label_7208Overflow" + k, T::Caption, {"+ 4 billions"}});
        rows.push_back({"Label_7208TimeOut" + k, T::Caption, {"> max. time"}});
        rows.push_back({"LabeledEdit_7208Ertek" + k, T::EditLabel, {"New value for IN" + k + ":"}});
        rows.push_back({"LabeledEdit_7208Ertek" + k, T::Hint, {"Double click: set value to zero"}});
        rows.push_back({"SpeedButton_7208ErtekBeiras" + k, T::Caption, {"Select"}});
        rows.push_back({"Label_7208Szakadas" + k, T::Caption, {"Open"}});
        rows.push_back({"Label_7208Zarlat" + k, T::Caption, {"Shorted"}});
    }

    // The device's error flag bits 0 to 7, the same for the current and the latched flags.
    static constexpr const char* errorFlags[8] = {
        "Invalid settings",  "Invalid counted values", "8.2 V NAMUR power error", "MODBUS module error",
        "Not MODBUS module", "NAMUR input error",      "Counter > 4 billions",    "Time > max. enabled"};
    for (int bit = 0; bit < 8; ++bit) {
        const QString b = QString::number(bit);
        rows.push_back({"Label_7208AltHibaBit" + b, T::Caption, {QLatin1String(errorFlags[bit])}});
        rows.push_back({"Label_7208MegorzodoAltHibaBit" + b, T::Caption, {QLatin1String(errorFlags[bit])}});
    }
    return rows;
}

bool ApplyRow(QWidget* root, const CaptionRow& row) {
    if (row.target == CaptionTarget::Message) return true; // held by the window, not a widget
    auto* widget = root->findChild<QWidget*>(row.name);
    if (!widget) return false;
    const QString& text = row.english.value(0);
    switch (row.target) {
    case CaptionTarget::Caption:
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(text);
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            group->setTitle(text);
        else if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(text);
        else
            return false;
        return true;
    case CaptionTarget::TabText: {
        // A page sits in a stacked widget inside its tab widget.
        QWidget* ancestor = widget->parentWidget();
        while (ancestor && !qobject_cast<QTabWidget*>(ancestor))
            ancestor = ancestor->parentWidget();
        auto* tabs = qobject_cast<QTabWidget*>(ancestor);
        if (!tabs || tabs->indexOf(widget) < 0) return false;
        tabs->setTabText(tabs->indexOf(widget), text);
        return true;
    }
    case CaptionTarget::EditLabel:
        if (auto* edit = qobject_cast<TLabeledEdit*>(widget)) {
            edit->EditLabel()->setText(text);
            return true;
        }
        return false;
    case CaptionTarget::Hint:
        widget->setToolTip(text);
        return true;
    case CaptionTarget::Items:
        if (auto* group = qobject_cast<TRadioGroup*>(widget)) {
            // No choice exists yet at start-up, so refilling loses nothing; keep it anyway.
            const int chosen = group->ItemIndex();
            group->SetItems(row.english);
            group->SetItemIndex(chosen);
            return true;
        }
        return false;
    case CaptionTarget::Message:
        break;
    }
    return false;
}

} // namespace

const std::vector<CaptionRow>& EnglishCaptionSet() {
    static const std::vector<CaptionRow> rows = BuildCaptionSet();
    return rows;
}

QStringList ApplyCaptionRows(QWidget* root, const std::vector<CaptionRow>& rows) {
    QStringList missing;
    for (const CaptionRow& row : rows)
        if (!ApplyRow(root, row)) missing << row.name;
    return missing;
}

} // namespace zeph::app
