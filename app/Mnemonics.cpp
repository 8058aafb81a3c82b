// SPDX-License-Identifier: MIT
// Alt-key mnemonics of the main window and the frame monitor.
#include "app/Mnemonics.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace zeph::app {

std::vector<MnemonicRow> MainWindowMnemonics(Language language) {
    if (language == Language::Hungarian) {
        // The design's Hungarian captions and our own texts' translations. Right-hand panel: S L H I B F
        // M G V R E Z; settings page: D C; counters page: D O A N K T C. Lower-case g, j, p, q and y are
        // avoided: their underline is lost in the letter's tail.
        return {
            {"Label_Portok", 'S'},                       // &Soros portok listája
            {"Button_PortokLekerdezese", 'L'},           // A &lista frissítése
            {"Button_AddNetworkPort", 'H'},              // &Hálózati port hozzáadása…
            {"Button_Megnyitas", 'I'},                   // Soros port megny&itás
            {"Button_Bezaras", 'B'},                     // Soros port &bezárás
            {"Button_FileMegnyitas", 'F'},               // Beállítás &fájl megnyitása
            {"Button_FileMentes", 'M'},                  // Beállítások fájlba &mentése
            {"Button_ZT7208GyariBeall", 'G'},            // &Gyári alapértékek kiolvasása
            {"Button_ZT7208AktBeallKiolvasas", 'V'},     // Beállítások kiol&vasása a készülékből
            {"Button_ZT7208Letoltes", 'R'},              // Beállítások készülékbe í&rása
            {"Button_FrameMonitor", 'E'},                // K&eretfigyelő
            {"Button_Commissioning", 'Z'},               // Ü&zembe helyezés…
            {"GroupBox_7208MODBUS", 'D'},                // MO&DBUS RS-485
            {"Button_GyariElsoInicB", 'C'},              // 1. ini&cializálás
            {"Button_7208ImpulzusKiolvasas", 'D'},       // A&datok frissítése
            {"SpeedButton_7208FolymatosKiolvasas", 'O'}, // F&olyamatos adatfrissítés
            {"SpeedButton_RecordCounters", 'A'},         // Számlálók n&aplózása…
            {"Button_History", 'N'},                     // Előzmé&nyek…
            {"Button_7208ImpulzusertekBeiras", 'K'}, // &Kijelölt számláló értékek készülékbe írása
            {"Button_7208HibabitTorles", 'T'},       // &Törlés
            {"Button_GyariElsoInic", 'C'},           // 1. ini&cializálás
        };
    }
    // Right-hand panel: L E K O C T D I S W F M; settings page: U N; counters page: R U N H V A Z. Removing
    // a network port has no letter left; Delete on the port list does it. Lower-case g, j, p, q and y are
    // avoided where another letter is free: their underline is lost in the letter's tail.
    return {
        {"Label_Portok", 'L'},                       // &List of serial ports (its buddy is the list)
        {"Button_PortokLekerdezese", 'E'},           // R&efresh list
        {"Button_AddNetworkPort", 'K'},              // Add networ&k port…
        {"Button_Megnyitas", 'O'},                   // &Open serial port
        {"Button_Bezaras", 'C'},                     // &Close serial port
        {"Button_FileMegnyitas", 'I'},               // Open sett&ings file
        {"Button_FileMentes", 'S'},                  // &Save settings to file
        {"Button_ZT7208GyariBeall", 'D'},            // Read factory &defaults from instrument
        {"Button_ZT7208AktBeallKiolvasas", 'T'},     // Read se&ttings from instrument
        {"Button_ZT7208Letoltes", 'W'},              // &Write settings to instrument
        {"Button_FrameMonitor", 'F'},                // &Frame monitor
        {"Button_Commissioning", 'M'},               // Co&mmissioning…
        {"GroupBox_7208MODBUS", 'U'},                // MODB&US RS-485
        {"Button_GyariElsoInicB", 'N'},              // First i&nitialization
        {"Button_7208ImpulzusKiolvasas", 'R'},       // &Refresh
        {"SpeedButton_7208FolymatosKiolvasas", 'U'}, // Contin&uous refresh
        {"SpeedButton_RecordCounters", 'N'},         // Record cou&nters…
        {"Button_History", 'H'},                     // &History…
        {"Button_7208ImpulzusertekBeiras", 'V'},     // Write selected &values to instrument
        {"Button_7208HibabitTorles", 'A'},           // Cle&ar
        {"Button_GyariElsoInic", 'Z'},               // First initiali&zation
    };
}

std::vector<MnemonicRow> FrameMonitorMnemonics(Language language) {
    if (language == Language::Hungarian)
        return {
            {"Button_MonitorPause", 'S'}, // &Szünet
            {"Button_MonitorClear", 'T'}, // &Törlés
            {"Button_MonitorSave", 'M'},  // &Mentés…
        };
    return {
        {"Button_MonitorPause", 'P'}, // &Pause
        {"Button_MonitorClear", 'C'}, // &Clear
        {"Button_MonitorSave", 'S'},  // &Save…
    };
}

std::vector<MnemonicRow> CommissioningMnemonics(Language language) {
    if (language == Language::Hungarian)
        return {
            {"Label_Template", 'S'},             // &Sablon:
            {"Label_DeviceList", 'K'},           // &Készüléklista:
            {"Button_NewDeviceList", 'A'},       // Új lista &az adapterekből…
            {"Label_OutputFolder", 'M'},         // Kimeneti &mappa:
            {"Label_Operator", 'Z'},             // Ke&zelő:
            {"Label_Jobs", 'E'},                 // &Egyszerre futó készülékek:
            {"CheckBox_InitIfNeeded", 'I'},      // &Inicializálás, ahol a készülék igényli
            {"Button_CommissioningStart", 'D'},  // In&dítás
            {"Button_CommissioningStop", 'L'},   // &Leállítás
            {"Button_CommissioningResume", 'F'}, // &Folytatás
        };
    // The three Browse buttons have none: Tab reaches each right after its field.
    return {
        {"Label_Template", 'T'},             // &Template:
        {"Label_DeviceList", 'D'},           // &Device list:
        {"Button_NewDeviceList", 'L'},       // New &list from adapters…
        {"Label_OutputFolder", 'O'},         // &Output folder:
        {"Label_Operator", 'E'},             // Op&erator:
        {"Label_Jobs", 'A'},                 // Devices &at once:
        {"CheckBox_InitIfNeeded", 'I'},      // &Initialize devices that need it
        {"Button_CommissioningStart", 'S'},  // &Start
        {"Button_CommissioningStop", 'P'},   // Sto&p
        {"Button_CommissioningResume", 'R'}, // &Resume
    };
}

namespace {

bool ApplyRow(QWidget* root, const MnemonicRow& row) {
    auto* widget = root->findChild<QWidget*>(row.name);
    if (!widget) return false;
    const auto mark = [&row](const QString& text, auto set) {
        const QString marked = WithMnemonic(text, row.letter);
        set(marked);
        return MnemonicOf(marked) == row.letter.toUpper();
    };
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return mark(button->text(), [button](const QString& text) { button->setText(text); });
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return mark(group->title(), [group](const QString& text) { group->setTitle(text); });
    // A label's mnemonic moves the focus to its buddy; without one it would only show the marker.
    if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
        return mark(label->text(), [label](const QString& text) { label->setText(text); });
    return false;
}

} // namespace

QStringList ApplyMnemonics(QWidget* root, const std::vector<MnemonicRow>& rows) {
    QStringList missing;
    for (const MnemonicRow& row : rows)
        if (!ApplyRow(root, row)) missing << row.name;
    return missing;
}

QString WithMnemonic(const QString& text, QChar letter) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (letter.isNull()) return escaped;
    // A doubled "&" never holds a letter, so any position of a letter in escaped is safe to mark.
    qsizetype at = -1;
    for (qsizetype i = 0; i < escaped.size() && at < 0; ++i)
        if (escaped[i].toUpper() == letter.toUpper() && (i == 0 || escaped[i - 1] == QLatin1Char(' ')))
            at = i;
    if (at < 0) at = escaped.indexOf(letter, 0, Qt::CaseInsensitive);
    if (at < 0) return escaped;
    return escaped.insert(at, QLatin1Char('&'));
}

QString WithoutMnemonic(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) {
            plain += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) plain += text[++i];
    }
    return plain;
}

QChar MnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toUpper();
        ++i;
    }
    return {};
}

} // namespace zeph::app
