// Names, descriptions and state texts for screen readers.
#include "app/AccessibleNames.h"

#include <QWidget>

namespace zeph::app {

namespace {

std::vector<AccessibleNameRow> BuildMainWindowNames() {
    std::vector<AccessibleNameRow> rows = {
        {"GroupBox_SorosPortKivalasztasa", "Serial port"},
        {"ListBox_ComPortLista", "List of serial ports"},
        {"GroupBox_FajlMuveletek", "Settings file"},
        {"GroupBox_KeszulekOlvasasIras", "Settings in the instrument"},
        {"ListBox_7208MbSebesseg", "Baud rate"},
        {"LabeledEdit_7208MbKeszulekcim", "MODBUS address, 1 to 247"},
        {"LabeledEdit_7208MbIdokorlat", "Communication time-out in tens of milliseconds"},
        {"LabeledEdit_7208MbValaszKeslIdo", "Answer delay in milliseconds"},
        {"CheckBox_7208MbRFelLe", "Pull-up and pull-down resistors"},
        // The caption explains the colours; the flags say "set" or "clear" themselves.
        {"GroupBox23", "NAMUR errors"},
    };
    for (int n = 1; n <= 8; ++n) {
        const QString k = QString::number(n);
        const QString input = QStringLiteral("Input ") + k;
        const QString in = QStringLiteral("IN") + k;
        rows.push_back({"RadioGroup_7208BemTip" + k, input + " type"});
        rows.push_back({"RadioGroup_7208BemEl" + k, input + " counted event"});
        rows.push_back({"CheckBox_7208PergMentesites" + k, input + " debounced"});
        rows.push_back(
            {"LabeledEdit_7208BemTimeOut" + k, input + " maximum time between pulses in milliseconds"});
        rows.push_back({"LabeledEdit_7208Ertek" + k, "New value for " + in});
        rows.push_back({"SpeedButton_7208ErtekBeiras" + k, "Select " + in});
        rows.push_back({"Label_7208Overflow" + k, in + " counter over 4 billions"});
        rows.push_back({"Label_7208TimeOut" + k, in + " time over maximum"});
        rows.push_back({"Label_7208Szakadas" + k, in + " NAMUR open circuit"});
        rows.push_back({"Label_7208Zarlat" + k, in + " NAMUR short circuit"});
    }
    return rows;
}

} // namespace

const std::vector<AccessibleNameRow>& MainWindowAccessibleNames() {
    static const std::vector<AccessibleNameRow> rows = BuildMainWindowNames();
    return rows;
}

const std::vector<AccessibleNameRow>& FrameMonitorAccessibleNames() {
    static const std::vector<AccessibleNameRow> rows = {
        {"TableView_Frames", "Frames on the line"},
        {"PlainTextEdit_FrameDetails", "Selected frame in full"},
    };
    return rows;
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
    return set ? QStringLiteral("set") : QStringLiteral("clear");
}

QString ActivityText(bool active) {
    return active ? QStringLiteral("active") : QStringLiteral("idle");
}

QString LampText(Lamp lamp, bool lit) {
    switch (lamp) {
    case Lamp::Port:
        return lit ? QStringLiteral("Port open") : QStringLiteral("Port closed");
    case Lamp::Tx:
        return lit ? QStringLiteral("TX active") : QStringLiteral("TX idle");
    case Lamp::Rx:
        return lit ? QStringLiteral("RX active") : QStringLiteral("RX idle");
    }
    return {};
}

QString ReadingName(Reading reading, int input, const QString& shown) {
    const QString in = QStringLiteral("IN%1 ").arg(input);
    // The page shows "???" before the first report and nothing for a rate not known yet; a reader
    // would spell both out.
    const bool unknown = shown.isEmpty() || shown == QLatin1String("???");
    switch (reading) {
    case Reading::Counter:
        return in + QStringLiteral("counter: ") + (unknown ? QStringLiteral("not read") : shown);
    case Reading::Interval:
        if (unknown) return in + QStringLiteral("time between the last two pulses: not read");
        if (shown == QLatin1String("-")) return in + QStringLiteral("time between the last two pulses: none");
        return in + QStringLiteral("time between the last two pulses: %1 milliseconds").arg(shown);
    case Reading::Rate:
        if (unknown) return in + QStringLiteral("rate: not known yet");
        return in + QStringLiteral("rate: ") +
               QString(shown).replace(QStringLiteral(" /s"), QStringLiteral(" pulses per second"));
    }
    return {};
}

} // namespace zeph::app
