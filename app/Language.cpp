// SPDX-License-Identifier: MIT
// The language of the window: its choice, its memory in the application INI file and its translators.
#include "app/Language.h"

#include "settingsfile/AppIniFile.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <vector>

namespace zeph::app {

namespace {

const QString LanguageKey = QStringLiteral("Language");

// Built into the program from translations/*.ts at build time.
const QString OwnTranslation = QStringLiteral(":/i18n/zeph7208-configurator_hu.qm");

std::vector<std::unique_ptr<QTranslator>>& Installed() {
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

Language& Current() {
    static Language language = Language::English;
    return language;
}

} // namespace

std::optional<Language> LanguageFromCode(const QString& code) {
    if (code.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0) return Language::English;
    if (code.compare(QLatin1String("hu"), Qt::CaseInsensitive) == 0) return Language::Hungarian;
    return std::nullopt;
}

QString LanguageCode(Language language) {
    return language == Language::Hungarian ? QStringLiteral("hu") : QStringLiteral("en");
}

Language ChooseLanguage(std::optional<Language> commandLine, std::optional<Language> remembered,
                        QLocale::Language system) {
    if (commandLine) return *commandLine;
    if (remembered) return *remembered;
    return system == QLocale::Hungarian ? Language::Hungarian : Language::English;
}

std::optional<Language> RememberedLanguage(const QString& iniPath) {
    return LanguageFromCode(settingsfile::ReadConfiguratorValues(iniPath, {LanguageKey}).value(LanguageKey));
}

bool RememberLanguage(const QString& iniPath, Language language) {
    return settingsfile::WriteConfiguratorValues(iniPath, {{LanguageKey, LanguageCode(language)}});
}

bool InstallTranslations(Language language) {
    for (const auto& translator : Installed())
        QCoreApplication::removeTranslator(translator.get());
    Installed().clear();
    Current() = Language::English;
    if (language == Language::English) return true;

    // Qt's own texts first, so that ours win where both translate the same text.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_hu"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        Installed().push_back(std::move(qt));
    }
    auto own = std::make_unique<QTranslator>();
    if (!own->load(OwnTranslation)) return false;
    QCoreApplication::installTranslator(own.get());
    Installed().push_back(std::move(own));
    Current() = language;
    return true;
}

Language InstalledLanguage() {
    return Current();
}

} // namespace zeph::app
