// SPDX-License-Identifier: MIT
// Names, descriptions and state texts for screen readers.
#include "app/AccessibleNames.h"

#include <QCoreApplication>
#include <QWidget>

namespace zeph::app {

namespace {

// The context of these texts in the translation files.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(AccessibleNames)
};

} // namespace

std::vector<AccessibleNameRow> MainWindowAccessibleNames() {
    std::vector<AccessibleNameRow> rows = {
        {"GroupBox_SorosPortKivalasztasa", Texts::tr("Serial port")},
        {"ListBox_ComPortLista", Texts::tr("List of serial ports")},
        {"GroupBox_FajlMuveletek", Texts::tr("Settings file")},
        {"GroupBox_KeszulekOlvasasIras", Texts::tr("Settings in the instrument")},
        // The group's caption is its own widget; a reader entering an item hears the group's name.
        {"RadioGroup_7208MbParitas", Texts::tr("Parity")},
        {"ListBox_7208MbSebesseg", Texts::tr("Baud rate")},
        {"LabeledEdit_7208MbKeszulekcim", Texts::tr("MODBUS address, 1 to 247")},
        {"LabeledEdit_7208MbIdokorlat", Texts::tr("Communication time-out in tens of milliseconds")},
        {"LabeledEdit_7208MbValaszKeslIdo", Texts::tr("Answer delay in milliseconds")},
        {"CheckBox_7208MbRFelLe", Texts::tr("Pull-up and pull-down resistors")},
        {"CheckBox_Gyors", Texts::tr("Fast continuous refresh")},
        {"ComboBox_Language", Texts::tr("Language")},
        // The caption explains the colours; the flags say "set" or "clear" themselves.
        {"GroupBox23", Texts::tr("NAMUR errors")},
    };
    for (int n = 1; n <= 8; ++n) {
        const QString k = QString::number(n);
        const auto named = [n](const char* object, const QString& text) {
            return AccessibleNameRow{QLatin1String(object) + QString::number(n), text.arg(n)};
        };
        rows.push_back(named("RadioGroup_7208BemTip", Texts::tr("Input %1 type")));
        rows.push_back(named("RadioGroup_7208BemEl", Texts::tr("Input %1 counted event")));
        rows.push_back(named("CheckBox_7208PergMentesites", Texts::tr("Input %1 debounced")));
        rows.push_back(named("LabeledEdit_7208BemTimeOut",
                             Texts::tr("Input %1 maximum time between pulses in milliseconds")));
        rows.push_back(named("LabeledEdit_7208Ertek", Texts::tr("New value for IN%1")));
        rows.push_back(named("SpeedButton_7208ErtekBeiras", Texts::tr("Select IN%1")));
        rows.push_back(named("Label_7208Overflow", Texts::tr("IN%1 counter over 4 billions")));
        rows.push_back(named("Label_7208TimeOut", Texts::tr("IN%1 time over maximum")));
        rows.push_back(named("Label_7208Szakadas", Texts::tr("IN%1 NAMUR open circuit")));
        rows.push_back(named("Label_7208Zarlat", Texts::tr("IN%1 NAMUR short circuit")));
    }
    return rows;
}

std::vector<AccessibleNameRow> FrameMonitorAccessibleNames() {
    return {
        {"TableView_Frames", Texts::tr("Frames on the line")},
        {"PlainTextEdit_FrameDetails", Texts::tr("Selected frame in full")},
    };
}

// The three Browse buttons would read alike.
std::vector<AccessibleNameRow> CommissioningAccessibleNames() {
    return {
        {"Button_BrowseTemplate", Texts::tr("Browse for the template")},
        {"Button_BrowseDeviceList", Texts::tr("Browse for the device list")},
        {"Button_BrowseOutputFolder", Texts::tr("Browse for the output folder")},
        {"TableWidget_Devices", Texts::tr("Devices of the run")},
        {"ProgressBar_Commissioning", Texts::tr("Devices finished")},
    };
}

QStringList ApplyAccessibleNames(QWidget* root, const std::vector<AccessibleNameRow>& rows) {
    QStringList missing;
    for (const AccessibleNameRow& row : rows) {
        if (auto* widget = root->findChild<QWidget*>(row.name))
            widget->setAccessibleName(row.accessibleName);
        else
            missing << row.name;
    }
    return missing;
}

QString FlagStateText(bool set) {
    return set ? Texts::tr("set") : Texts::tr("clear");
}

QString ActivityText(bool active) {
    return active ? Texts::tr("active") : Texts::tr("idle");
}

QString LampText(Lamp lamp, bool lit) {
    switch (lamp) {
    case Lamp::Port:
        return lit ? Texts::tr("Port open") : Texts::tr("Port closed");
    case Lamp::Tx:
        return lit ? Texts::tr("TX active") : Texts::tr("TX idle");
    case Lamp::Rx:
        return lit ? Texts::tr("RX active") : Texts::tr("RX idle");
    }
    return {};
}

QString ReadingName(Reading reading, int input, const QString& shown) {
    // The page shows "???" before the first report and nothing for a rate not known yet; a reader
    // would spell both out.
    const bool unknown = shown.isEmpty() || shown == QLatin1String("???");
    switch (reading) {
    case Reading::Counter:
        if (unknown) return Texts::tr("IN%1 counter: not read").arg(input);
        return Texts::tr("IN%1 counter: %2").arg(input).arg(shown);
    case Reading::Interval:
        if (unknown) return Texts::tr("IN%1 time between the last two pulses: not read").arg(input);
        if (shown == QLatin1String("-"))
            return Texts::tr("IN%1 time between the last two pulses: none").arg(input);
        return Texts::tr("IN%1 time between the last two pulses: %2 milliseconds").arg(input).arg(shown);
    case Reading::Rate: {
        if (unknown) return Texts::tr("IN%1 rate: not known yet").arg(input);
        // The rate label shows "2.50 /s".
        QString number = shown;
        number.remove(QStringLiteral(" /s"));
        return Texts::tr("IN%1 rate: %2 pulses per second").arg(input).arg(number);
    }
    }
    return {};
}

QString InputSummary(int input, const QString& counter, const QString& rate, const QString& interval,
                     const InputFlags& flags) {
    const auto unknown = [](const QString& shown) {
        return shown.isEmpty() || shown == QLatin1String("???");
    };
    if (unknown(counter)) return Texts::tr("IN%1: not read").arg(input);
    QStringList parts{Texts::tr("IN%1: counter %2").arg(input).arg(counter)};
    if (!unknown(rate))
        parts << Texts::tr("%1 pulses per second").arg(QString(rate).remove(QStringLiteral(" /s")));
    parts << (interval == QLatin1String("-")
                  ? Texts::tr("no time between pulses yet")
                  : Texts::tr("%1 milliseconds between the last two pulses").arg(interval));
    QStringList set;
    if (flags.overflow) set << Texts::tr("counter over 4 billions");
    if (flags.timeOver) set << Texts::tr("time over maximum");
    if (flags.namurOpen) set << Texts::tr("NAMUR open circuit");
    if (flags.namurShort) set << Texts::tr("NAMUR short circuit");
    const QString flagText =
        set.isEmpty() ? Texts::tr("no flag set") : Texts::tr("set: %1").arg(set.join(QStringLiteral(", ")));
    return parts.join(QStringLiteral(", ")) + QStringLiteral("; ") + flagText;
}

} // namespace zeph::app
