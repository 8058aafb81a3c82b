// SPDX-License-Identifier: MIT
// The configurator's command line.
#include "app/CommandLine.h"

#include "line/PortText.h"
#include "settingsfile/AppIniFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

namespace zeph::app {

namespace {
const QString PortOption = QStringLiteral("port");
const QString DemoOption = QStringLiteral("demo");
const QString LanguageOption = QStringLiteral("language");
} // namespace

void AddCommandLineOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Configuration and monitoring tool for the ZEPH7208 pulse collector."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {PortOption,
         QStringLiteral("Offer PATH in the port list as well, busy or not, and select the first one "
                        "given (may be given more than once). A serial server on the network is given as "
                        "tcp://HOST:PORT or rfc2217://HOST:PORT, optionally with ?allowance_ms=N."),
         QStringLiteral("PATH")});
    parser.addOption({DemoOption, QStringLiteral("Work with the simulated device.")});
    parser.addOption(
        {LanguageOption,
         QStringLiteral("Show the window in LANGUAGE: hu (Hungarian) or en (English), and remember "
                        "it. Without it, the remembered language, else the system's."),
         QStringLiteral("LANGUAGE")});
    parser.addPositionalArgument(
        QStringLiteral("FILE.zsf"),
        QStringLiteral("A settings file to open at start, as \"Open settings file\" does."),
        QStringLiteral("[FILE.zsf]"));
}

void AnswerHelpAndVersion(int argc, char* argv[]) {
    // A core application needs no display. It only looks: options of Qt's own (-platform and the like)
    // are taken off by the QApplication, so errors are reported by the full parse after it.
    QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    AddCommandLineOptions(parser);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("help-all"))) parser.process(core);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
}

void ProcessCommandLine(QCommandLineParser& parser, const QCoreApplication& application) {
    parser.process(application);
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "%s: give one settings file at most\n",
                     qPrintable(QCoreApplication::applicationName()));
        std::exit(1);
    }
    // A serial path may name a port that comes later; a network port's text is wrong or right now.
    for (const QString& port : parser.values(PortOption)) {
        QString why;
        if (!line::LooksLikeNetworkPort(port) || line::ParsePortText(port, &why)) continue;
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(why));
        std::exit(1);
    }
    if (parser.isSet(LanguageOption) && !LanguageFromCode(parser.value(LanguageOption))) {
        std::fprintf(stderr, "%s: unknown language '%s': give hu or en\n",
                     qPrintable(QCoreApplication::applicationName()),
                     qPrintable(parser.value(LanguageOption)));
        std::exit(1);
    }
}

StartOptions StartOptionsFrom(const QCommandLineParser& parser) {
    StartOptions options;
    options.ports = parser.values(PortOption);
    options.demo = parser.isSet(DemoOption);
    options.settingsFile = parser.positionalArguments().value(0);
    if (parser.isSet(LanguageOption)) options.languageChoice = LanguageFromCode(parser.value(LanguageOption));
    return options;
}

QString IniPathOf(const StartOptions& options) {
    if (!options.iniPath.isEmpty()) return options.iniPath;
    return settingsfile::AppIniPath(QCoreApplication::applicationFilePath(),
                                    QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

Language SetUpLanguage(const StartOptions& options, QLocale::Language system) {
    const QString iniPath = IniPathOf(options);
    if (options.languageChoice) RememberLanguage(iniPath, *options.languageChoice);
    const Language language = ChooseLanguage(options.languageChoice, RememberedLanguage(iniPath), system);
    if (InstallTranslations(language)) return language;
    std::fprintf(stderr, "%s: the Hungarian texts cannot be loaded; the window stays English\n",
                 qPrintable(QCoreApplication::applicationName()));
    return Language::English;
}

} // namespace zeph::app
