// SPDX-License-Identifier: MIT
// Tests of the Hungarian window: how the language is chosen and remembered, what the window shows in
// Hungarian, that the number format does not follow the language, and that no English text is left.
#include "app/CommandLine.h"
#include "app/Language.h"
#include "app/Mnemonics.h"
#include "settingsfile/IniFile.h"
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDate>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTabWidget>
#include <QXmlStreamReader>

#include <memory>

using namespace zeph;
using test::RecordingDialogs;

namespace {

// Every text a widget shows or tells a screen reader, labelled with what it is.
QList<QPair<QString, QString>> TextsOf(QWidget* widget) {
    QList<QPair<QString, QString>> texts;
    const auto add = [&texts](const char* what, const QString& text) {
        if (!text.isEmpty()) texts.append({QLatin1String(what), text});
    };
    if (widget->isWindow()) add("title", widget->windowTitle());
    add("tooltip", widget->toolTip());
    add("accessible name", widget->accessibleName());
    add("accessible description", widget->accessibleDescription());
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) add("text", button->text());
    if (auto* label = qobject_cast<QLabel*>(widget)) add("text", label->text());
    if (auto* group = qobject_cast<QGroupBox*>(widget)) add("title", group->title());
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) add("placeholder", edit->placeholderText());
    if (auto* tabs = qobject_cast<QTabWidget*>(widget))
        for (int i = 0; i < tabs->count(); ++i)
            add("tab", tabs->tabText(i));
    if (auto* table = qobject_cast<QTableView*>(widget); table && table->model())
        for (int column = 0; column < table->model()->columnCount(); ++column)
            add("heading", table->model()->headerData(column, Qt::Horizontal).toString());
    return texts;
}

// Texts that read the same in both languages: names of signals, units and headings without a word of
// English in them.
bool LanguageNeutral(const QString& text) {
    static const QRegularExpression neutral(
        QStringLiteral(R"(\b(TX|RX|NAMUR|MODBUS|RS-485|ms|IN\d)\b|\?\?\?|[^\p{L}])"));
    return QString(text).remove(QLatin1Char('&')).remove(neutral).isEmpty();
}

// The %1, %2 ... a text carries, in order of number; a translation may use one twice ("IN%1 (#%1 ...").
QStringList Placeholders(const QString& text) {
    static const QRegularExpression placeholder(QStringLiteral("%\\d"));
    QStringList found;
    for (auto match = placeholder.globalMatch(text); match.hasNext();)
        found << match.next().captured();
    found.sort();
    found.removeDuplicates();
    return found;
}

struct Window;
using WindowTexts = QList<QPair<QString, QList<QPair<QString, QString>>>>;
WindowTexts TextsOfWindow(const Window& window);

struct Window {
    QTemporaryDir dir;
    RecordingDialogs dialogs;
    std::unique_ptr<app::TForm_Main> form;

    explicit Window(app::Language language) {
        app::InstallTranslations(language);
        form = std::make_unique<app::TForm_Main>(test::IsolatedOptions(dir));
        form->SetDialogs(&dialogs);
    }
    template <typename T = QWidget> T* W(const char* name) const {
        return test::Control<T>(form.get(), QLatin1String(name));
    }
};

// Each widget's object name with its texts, in the order the window made them.
WindowTexts TextsOfWindow(const Window& window) {
    WindowTexts texts;
    for (QWidget* widget : QList<QWidget*>{window.form.get()} + window.form->findChildren<QWidget*>())
        texts.append({widget->objectName(), TextsOf(widget)});
    return texts;
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT

    // A window's texts before any translation was ever installed in this program.
    WindowTexts untouchedEnglish;

private slots:
    void initTestCase() { untouchedEnglish = TextsOfWindow(Window(app::Language::English)); }

    void cleanup() {
        app::InstallTranslations(app::Language::English);
        QLocale::setDefault(QLocale::system());
    }

    void choosingTheLanguage_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<int>("system");
        QTest::addColumn<bool>("hungarian");
        QTest::newRow("the command line wins") << "en"
                                               << "hu" << int(QLocale::Hungarian) << false;
        QTest::newRow("then the remembered one") << ""
                                                 << "hu" << int(QLocale::English) << true;
        QTest::newRow("then a Hungarian system") << ""
                                                 << "" << int(QLocale::Hungarian) << true;
        QTest::newRow("English otherwise") << ""
                                           << "" << int(QLocale::German) << false;
        QTest::newRow("nonsense remembered") << ""
                                             << "xx" << int(QLocale::Hungarian) << true;
    }
    void choosingTheLanguage() {
        QFETCH(QString, commandLine);
        QFETCH(QString, remembered);
        QFETCH(int, system);
        QFETCH(bool, hungarian);
        const app::Language chosen = app::ChooseLanguage(
            app::LanguageFromCode(commandLine), app::LanguageFromCode(remembered), QLocale::Language(system));
        QCOMPARE(chosen == app::Language::Hungarian, hungarian);
    }

    // --language is remembered in the INI file and decides later runs that give none; the system's
    // language (English here) decides only when neither says.
    void commandLineChoiceIsRememberedAndInstalled() {
        QTemporaryDir dir;
        const QString iniPath = dir.filePath(QStringLiteral("zeph7208-configurator.ini"));
        const auto run = [&iniPath](const QStringList& arguments) {
            QCommandLineParser parser;
            app::AddCommandLineOptions(parser);
            parser.parse(QStringList{QStringLiteral("zeph7208-configurator")} + arguments);
            app::StartOptions options = app::StartOptionsFrom(parser);
            options.iniPath = iniPath;
            return app::SetUpLanguage(options, QLocale::English);
        };
        QVERIFY(run({}) == app::Language::English);
        QVERIFY(run({"--language", "hu"}) == app::Language::Hungarian);
        QVERIFY(app::InstalledLanguage() == app::Language::Hungarian);
        settingsfile::IniFile ini;
        ini.Load(iniPath);
        QCOMPARE(ini.ReadString("Configurator", "Language", ""), QString("hu"));
        QVERIFY(run({}) == app::Language::Hungarian);
        QVERIFY(run({"--language", "en"}) == app::Language::English);
        QVERIFY(app::InstalledLanguage() == app::Language::English);
        QVERIFY(run({}) == app::Language::English);
    }

    // The window's language box is remembered at once and says that it takes effect at the next start.
    void languageBoxTakesEffectAtTheNextStart() {
        QTemporaryDir dir;
        const app::StartOptions options = test::IsolatedOptions(dir);
        app::TForm_Main window(options);
        auto* box = test::Control<QComboBox>(&window, "ComboBox_Language");
        QWidget* note = test::Control<QWidget>(&window, "Label_LanguageNote");
        QTest::keyClick(box, Qt::Key_Down);
        QVERIFY(app::RememberedLanguage(options.iniPath) == app::Language::Hungarian);
        QVERIFY(note->isVisibleTo(&window));
        QTest::keyClick(box, Qt::Key_Up);
        QVERIFY(app::RememberedLanguage(options.iniPath) == app::Language::English);
        QVERIFY(!note->isVisibleTo(&window));
    }

    // One row per way a text reaches the Hungarian window: the design's caption (the English set not
    // applied), a caption of our own through the translation, a screen reader's name, the status bar.
    void hungarianWindowShows_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("shown");
        QTest::newRow("design caption") << "Button_Megnyitas"
                                        << "Soros port megnyitás";
        QTest::newRow("our own caption") << "Button_FrameMonitor"
                                         << "Keretfigyelő";
        QTest::newRow("accessible name") << "RadioGroup_7208BemTip3"
                                         << "3. bemenet típusa";
        QTest::newRow("group name from the design's label") << "RadioGroup_7208MbParitas"
                                                            << "Paritás bit";
        QTest::newRow("status bar") << "Label_StatusPort"
                                    << "Port zárva";
    }
    void hungarianWindowShows() {
        QFETCH(QString, control);
        QFETCH(QString, shown);
        const Window window(app::Language::Hungarian);
        QWidget* widget = window.W(qPrintable(control));
        QString text = widget->accessibleName();
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = app::WithoutMnemonic(button->text());
        if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
        QCOMPARE(text, shown);
    }

    // A box from the window itself and one from the device layer below it, which names the control by
    // its Hungarian caption.
    void hungarianMessageBoxes_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        QTest::newRow("window") << "Button_Megnyitas"
                                << "Nincs soros port kijelölve a listában.";
        QTest::newRow("settings check") << "Button_FileMentes"
                                        << "Nincs kiválasztva\n\rBemenet típus";
    }
    void hungarianMessageBoxes() {
        QFETCH(QString, button);
        QFETCH(QString, message);
        const Window window(app::Language::Hungarian);
        window.W<QAbstractButton>(qPrintable(button))->click();
        QCOMPARE(window.dialogs.Texts(), QStringList{message});
    }

    void qtDialogsSpeakHungarian() {
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                           QStringLiteral("/qtbase_hu.qm")))
            QSKIP("Debian's Qt translations (qt6-translations-l10n) are not installed");
        app::InstallTranslations(app::Language::Hungarian);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Mégse"));
    }

    // The decimal separator and the short date follow the locale, not the language: a German locale's
    // comma and date in both languages.
    void numberFormatFollowsTheLocaleNotTheLanguage_data() {
        QTest::addColumn<bool>("hungarian");
        QTest::newRow("English") << false;
        QTest::newRow("Hungarian") << true;
    }
    void numberFormatFollowsTheLocaleNotTheLanguage() {
        QFETCH(bool, hungarian);
        const QLocale german(QLocale::German, QLocale::Germany);
        QLocale::setDefault(german);
        Window window(hungarian ? app::Language::Hungarian : app::Language::English);
        auto* value = window.W<QLineEdit>("LabeledEdit_7208Ertek1");
        value->setText(QStringLiteral("12,6"));
        window.W<QAbstractButton>("SpeedButton_7208ErtekBeiras1")->click();
        QCOMPARE(value->text(), QString("13"));
        window.form->close();
        settingsfile::IniFile ini;
        ini.Load(test::IsolatedOptions(window.dir).iniPath);
        QCOMPARE(ini.ReadString("Date", "Date", ""),
                 german.toString(QDate::currentDate(), QLocale::ShortFormat));
    }

    // Every text of the Hungarian window and its frame monitor that reads as it does in English, unless
    // it has no English word in it, is a text left untranslated: the list names them all.
    void noEnglishLeftInTheHungarianWindow() {
        // Each window's texts are taken while its own language is in place: some are made as they are
        // shown (the frame monitor's headings).
        const WindowTexts english = TextsOfWindow(Window(app::Language::English));
        const WindowTexts hungarian = TextsOfWindow(Window(app::Language::Hungarian));
        QCOMPARE(hungarian.size(), english.size());
        QStringList untranslated;
        for (qsizetype i = 0; i < english.size(); ++i) {
            QCOMPARE(hungarian[i].first, english[i].first);
            for (const auto& [what, text] : hungarian[i].second)
                if (english[i].second.contains({what, text}) && !LanguageNeutral(text))
                    untranslated << QStringLiteral("%1 %2: \"%3\"").arg(hungarian[i].first, what, text);
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(u'\n' + untranslated.join(u'\n')));
    }

    // Going back to English after Hungarian (--language en) leaves no Hungarian behind: the window reads
    // to the byte as one made before any translation was installed.
    void englishAfterHungarianIsTheUntouchedEnglish() {
        { const Window hungarian(app::Language::Hungarian); }
        QCOMPARE(TextsOfWindow(Window(app::Language::English)), untouchedEnglish);
    }

    // Every text of the translation file has a finished Hungarian text with the same placeholders.
    void everyTextOfTheTranslationFileIsTranslated() {
        QFile file(QStringLiteral(ZEPH_TRANSLATION_FILE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QStringList unfinished;
        QString context, source;
        int messages = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            if (xml.name() == QLatin1String("name")) context = xml.readElementText();
            if (xml.name() == QLatin1String("source")) source = xml.readElementText();
            if (xml.name() != QLatin1String("translation")) continue;
            ++messages;
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            const QString translation = xml.readElementText();
            if (!type.isEmpty() || translation.isEmpty() || Placeholders(translation) != Placeholders(source))
                unfinished << context + QStringLiteral(": \"") + source + u'"';
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(messages > 100);
        QVERIFY2(unfinished.isEmpty(), qPrintable(u'\n' + unfinished.join(u'\n')));
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
