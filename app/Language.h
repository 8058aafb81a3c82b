// SPDX-License-Identifier: MIT
// The language of the window: English (the default) or Hungarian, how it is chosen, remembered and put
// in place through Qt's translators.
#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace zeph::app {

enum class Language { English, Hungarian };

// "en" or "hu", case-blind; anything else is no language.
std::optional<Language> LanguageFromCode(const QString& code);
QString LanguageCode(Language language);

// The command line's choice, else the remembered one, else Hungarian on a system whose language is
// Hungarian, else English.
Language ChooseLanguage(std::optional<Language> commandLine, std::optional<Language> remembered,
                        QLocale::Language system);

// The choice kept under section "Configurator" of the application INI file (key "Language").
std::optional<Language> RememberedLanguage(const QString& iniPath);
bool RememberLanguage(const QString& iniPath, Language language);

// Puts the language's translators in place of any this function installed before: for Hungarian the
// configurator's own texts and, where Debian's Qt translations are installed, Qt's dialogs and buttons.
// English installs none. The number format is not touched: it follows the system locale whatever the
// language. Returns false when the configurator's own translation cannot be loaded.
bool InstallTranslations(Language language);
// The language whose translators are in place: the window and its dialogs speak it.
Language InstalledLanguage();

} // namespace zeph::app
