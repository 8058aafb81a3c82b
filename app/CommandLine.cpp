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

namespace {

[[noreturn]] void Refuse(const QString& why) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(why));
    std::exit(1);
}

// What the parse cannot see: a second settings file, a malformed network port, an unknown language.
void RefuseBadValues(const QCommandLineParser& parser) {
    if (parser.positionalArguments().size() > 1) Refuse(QStringLiteral("give one settings file at most"));
    // A serial path may name a port that comes later; a network port's text is wrong or right now.
    for (const QString& port : parser.values(PortOption)) {
        QString why;
        if (line::LooksLikeNetworkPort(port) && !line::ParsePortText(port, &why)) Refuse(why);
    }
    if (parser.isSet(LanguageOption) && !LanguageFromCode(parser.value(LanguageOption)))
        Refuse(QStringLiteral("unknown language '%1': give hu or en").arg(parser.value(LanguageOption)));
}

// The options QGuiApplication and QApplication take for themselves (with one dash or two), which our
// parser would call unknown before the application has taken them off. The platform named is kept.
QStringList WithoutQtOptions(const QStringList& arguments, QString* platform) {
    static const QStringList withValue = {"platform",
                                          "platformpluginpath",
                                          "platformtheme",
                                          "plugin",
                                          "qwindowgeometry",
                                          "geometry",
                                          "qwindowicon",
                                          "icon",
                                          "qwindowtitle",
                                          "title",
                                          "session",
                                          "display",
                                          "name",
                                          "style",
                                          "stylesheet"};
    static const QStringList alone = {"reverse", "widgetcount", "nograb",       "dograb",
                                      "sync",    "testability", "qmljsdebugger"};
    QStringList kept{arguments.value(0)};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) {
            kept += arguments.mid(i);
            break;
        }
        QString name = argument;
        if (name.startsWith(QLatin1String("--"))) name.remove(0, 1);
        const QString bare = name.mid(1).section(u'=', 0, 0);
        if (!name.startsWith(u'-') || name.size() < 2) {
            kept << argument;
        } else if (withValue.contains(name.mid(1)) && i + 1 < arguments.size()) {
            if (bare == QLatin1String("platform")) *platform = arguments[i + 1];
            ++i;
        } else if (!withValue.contains(bare) && !alone.contains(bare)) {
            kept << argument;
        }
    }
    return kept;
}

// Qt's platforms that draw without a display server; any other needs X11 or Wayland.
bool NeedsDisplay(const QString& platforms) {
    static const QStringList displayless = {"offscreen", "minimal", "minimalegl",  "linuxfb",
                                            "eglfs",     "vnc",     "vkkhrdisplay"};
    for (const QString& platform : platforms.split(u';', Qt::SkipEmptyParts))
        if (displayless.contains(platform.section(u':', 0, 0).trimmed())) return false;
    return true;
}

} // namespace

void CheckBeforeDisplay(int argc, char* argv[]) {
    // A core application needs no display.
    QCoreApplication core(argc, argv);
    QString platform;
    const QStringList ours = WithoutQtOptions(QCoreApplication::arguments(), &platform);
    QCommandLineParser parser;
    AddCommandLineOptions(parser);
    if (!parser.parse(ours)) Refuse(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("help-all"))) parser.process(ours);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
    RefuseBadValues(parser);
    if (platform.isEmpty()) platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (NeedsDisplay(platform) && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        Refuse(QStringLiteral("no display: the window needs X11 or Wayland (DISPLAY and WAYLAND_DISPLAY are "
                              "not set); zeph7208 does the same work on the command line without one"));
}

void ProcessCommandLine(QCommandLineParser& parser, const QCoreApplication& application) {
    parser.process(application);
    RefuseBadValues(parser);
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
