// SPDX-License-Identifier: MIT
// Alt-key mnemonics: which letter of which caption, and the caption as it reads without its marker.
// The captions keep their exact texts; the letters are laid over them here, once the window is built.
#pragma once

#include "app/Language.h"

#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

namespace zeph::app {

struct MnemonicRow {
    QString name; // object name of a button, a group box or a label with a buddy
    QChar letter;
};

// The main window's: the buttons of the right-hand panel and of the pages, the MODBUS group and the
// port list's caption. None repeats within what one page shows together with the right-hand panel. Each
// language has its own letters, taken from its captions.
std::vector<MnemonicRow> MainWindowMnemonics(Language language = Language::English);
std::vector<MnemonicRow> FrameMonitorMnemonics(Language language = Language::English);
std::vector<MnemonicRow> CommissioningMnemonics(Language language = Language::English);

// Marks each row's letter in its widget's caption. Returns the names of rows whose widget is missing,
// of a kind without a caption, or whose caption lacks the letter.
QStringList ApplyMnemonics(QWidget* root, const std::vector<MnemonicRow>& rows);

// Marks letter in text: at the start of a word if it starts one, else its first occurrence, case blind.
// A literal "&" is doubled so that it stays a character; a letter not in the text marks nothing.
QString WithMnemonic(const QString& text, QChar letter);

// The text as it reads on screen: a single "&" removed, a doubled one made single.
QString WithoutMnemonic(const QString& text);

// The letter a text marks, upper case; a null character when it marks none.
QChar MnemonicOf(const QString& text);

} // namespace zeph::app
