// SPDX-License-Identifier: MIT
// Tests of the keyed INI layer, the safe save every file goes through (full disks, failed syncs, in-place
// rewrites, links planted in shared folders), the application INI file and the settings file.
#include "common/WriteFault.h"
#include "settingsfile/AppIniFile.h"
#include "settingsfile/IniFile.h"
#include "settingsfile/SafeFile.h"
#include "settingsfile/SettingsFile.h"

#include <fcntl.h>
#include <optional>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zeph::settingsfile;
using zeph::test::WriteFault;
using Outcome = LoadResult::Outcome;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A small tmpfs of our own, where "read-only" and "full" hold even for root. Unmounted on destruction.
struct TmpfsMount {
    QTemporaryDir dir;
    bool mounted = false;
    explicit TmpfsMount(const char* options) {
        mounted =
            dir.isValid() && ::mount("tmpfs", dir.path().toLocal8Bit().constData(), "tmpfs", 0, options) == 0;
    }
    bool MakeReadOnly() {
        return ::mount(nullptr, dir.path().toLocal8Bit().constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                       nullptr) == 0;
    }
    ~TmpfsMount() {
        if (mounted) ::umount2(dir.path().toLocal8Bit().constData(), MNT_DETACH);
    }
    // Writes a file "filler" until not one more block can be had.
    bool Fill() {
        const int fd = ::open(dir.filePath("filler").toLocal8Bit().constData(), O_WRONLY | O_CREAT, 0600);
        const QByteArray block(4096, 'f');
        while (fd >= 0 && ::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        return fd >= 0 && errno == ENOSPC && ::close(fd) == 0;
    }
};

// File permissions hold for root only when it acts as somebody else: while this lives, the thread's file
// accesses are made as the user nobody.
struct AsOrdinaryUser {
    AsOrdinaryUser() {
        if (::geteuid() == 0) ::setfsuid(65534);
    }
    ~AsOrdinaryUser() {
        if (::geteuid() == 0) ::setfsuid(0);
    }
};

// The worked example: every key in writing order, with the values a fresh settings page holds.
QByteArray ExampleFile(const QString& date) {
    QByteArray s = "[Fejlec]\r\nZT=ZEPH7208\r\n[Beallitas]\r\n";
    for (int i = 1; i <= 8; ++i)
        s += "RadioGroup_7208BemTip" + QByteArray::number(i) + "=" + (i == 1 ? "1" : "0") + "\r\n";
    for (int i = 1; i <= 8; ++i)
        s += "CheckBox_7208PergMentesites" + QByteArray::number(i) + "=" + (i == 2 ? "0" : "1") + "\r\n";
    for (int i = 1; i <= 8; ++i)
        s += "RadioGroup_7208BemEl" + QByteArray::number(i) + "=" + (i == 2 ? "1" : "0") + "\r\n";
    for (int i = 1; i <= 8; ++i)
        s +=
            "LabeledEdit_7208BemTimeOut" + QByteArray::number(i) + "=" + (i == 1 ? "60000" : "1000") + "\r\n";
    s += "RadioGroup_7208MbParitas=1\r\nListBox_7208MbSebesseg=7\r\nCheckBox_7208MbRFelLe=0\r\n"
         "CheckBox_7208MbRLezaro=1\r\nLabeledEdit_7208MbKeszulekcim=1\r\nLabeledEdit_7208MbIdokorlat=100\r\n"
         "LabeledEdit_7208MbValaszKeslIdo=5\r\n[Date]\r\nDate=" +
         date.toUtf8() + "\r\n";
    return s;
}

ControlState Choice(int index) {
    ControlState state;
    state.index = index;
    return state;
}

ControlState Checked() {
    ControlState state;
    state.checked = true;
    return state;
}

ControlState Text(const QString& text) {
    ControlState state;
    state.text = text;
    return state;
}

SettingsValues ExampleValues() {
    SettingsValues v(SettingsKeys().size());
    for (int i = 0; i < 8; ++i) {
        v[i].index = i == 0 ? 1 : 0;
        v[8 + i].checked = i != 1;
        v[16 + i].index = i == 1 ? 1 : 0;
        v[24 + i].text = i == 0 ? "60000" : "1000";
    }
    v[32].index = 1;
    v[33].index = 7;
    v[35].checked = true;
    v[36].text = "1";
    v[37].text = "100";
    v[38].text = "5";
    return v;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void readString_data();
    void readString();
    void readInteger_data();
    void readInteger();
    void writeString_data();
    void writeString();
    void rewriteInPlaceReadsBackAndStays_data();
    void rewriteInPlaceReadsBackAndStays();
    void writeRefusesWhatCannotBeReadBack_data();
    void writeRefusesWhatCannotBeReadBack();
    void anyBytesParseAndRoundTrip_data();
    void anyBytesParseAndRoundTrip();
    void loadStatus_data();
    void loadStatus();
    void failedSaveLeavesOldFile_data();
    void failedSaveLeavesOldFile();
    void linksFollowedAsTheKernelWould_data();
    void linksFollowedAsTheKernelWould();
    void writableFileInLockedFolder_data();
    void writableFileInLockedFolder();
    void appIniRoundTrips();
    void appIniKeepsTheAdaptersStableName();
    void appIniKeepsPortWhenNoneSelected();
    void appIniNetworkPorts_data();
    void appIniNetworkPorts();
    void windowPlace_data();
    void windowPlace();
    void appIniPath_data();
    void appIniPath();
    void appIniPathKeepsWritableFileInLockedFolder();
    void exampleSettingsFileWrittenAndRead();
    void settingsHeader_data();
    void settingsHeader();
    void settingsFileUnreadable_data();
    void settingsFileUnreadable();
    void settingsApplyRules_data();
    void settingsApplyRules();
    void saveMergesIntoExistingFile();
    void saveFailureNamesTheReason_data();
    void saveFailureNamesTheReason();
    void saveRefusesBrokenInput();

private:
    QTemporaryDir scratch_;
};

void TestSettingsFile::readString_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const QByteArray& content, const QString& section, const QString& key,
                  const QString& expected) { QTest::newRow(name) << content << section << key << expected; };
    const QString d = "<default>";
    row("plain", "[A]\r\nk=v\r\n", "A", "k", "v");
    row("names case and blanks", "[ SeCt ]\n  KeY   =x\n", " sect", "key ", "x");
    row("value trimmed", "[A]\nk=  two words \t\n", "A", "k", "two words");
    row("empty value is not the default", "[A]\nk=\n", "A", "k", "");
    row("value holding =", "[A]\nk=a=b\n", "A", "k", "a=b");
    row("comment ;", "[A]\n;k=1\n", "A", "k", d);
    row("comment #", "[A]\n  # k=1\n", "A", "k", d);
    row("blank and odd lines between", "[A]\n\n  \njunk\nk=1\n", "A", "k", "1");
    row("key before any section", "k=1\n[A]\n", "A", "k", d);
    row("key of another section", "[A]\n[B]\nk=1\n", "A", "k", d);
    row("missing section", "[A]\nk=1\n", "Z", "k", d);
    row("duplicate key: first", "[A]\nk=1\nK=2\n", "A", "k", "1");
    row("duplicate section: first", "[A]\nk=1\n[a]\nk=2\n", "A", "k", "1");
    row("lone CR endings", "[A]\rj=0\rk=1\r", "A", "k", "1");
    row("no final line end", "[A]\r\nk=1", "A", "k", "1");
    row("header without ]", "[A\nk=1\n", "A", "k", "1");
    row("UTF-8 mark before first header", "\xEF\xBB\xBF[A]\nk=1\n", "A", "k", "1");
    row("NUL inside another line", QByteArray("[A]\nx=\0\0\nk=1\n", 13), "A", "k", "1");
    row("8-bit code page value", "[A]\nk=\xE1rv\xEDz\n", "A", "k", "árvíz");
}

void TestSettingsFile::readString() {
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(IniFile::FromBytes(content).ReadString(section, key, "<default>"), expected);
}

void TestSettingsFile::readInteger_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    const int d = 77;
    QTest::newRow("decimal") << "12" << 12;
    QTest::newRow("negative") << "-12" << -12;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("blanks") << "  42 " << 42;
    QTest::newRow("leading zeros are decimal") << "010" << 10;
    QTest::newRow("hex") << "0x1F" << 31;
    QTest::newRow("hex upper X") << "0XfF" << 255;
    QTest::newRow("letters") << "abc" << d;
    QTest::newRow("trailing letters") << "12abc" << d;
    QTest::newRow("empty") << "" << d;
    QTest::newRow("sign only") << "-" << d;
    QTest::newRow("inner blank") << "1 2" << d;
    QTest::newRow("0x alone") << "0x" << d;
    QTest::newRow("signed hex") << "-0x10" << d;
    QTest::newRow("int max") << "2147483647" << 2147483647;
    QTest::newRow("int min") << "-2147483648" << int(-2147483648LL);
    QTest::newRow("overflow") << "2147483648" << d;
    QTest::newRow("underflow") << "-2147483649" << d;
    QTest::newRow("huge") << "99999999999999999999999" << d;
    QTest::newRow("hex max") << "0x7FFFFFFF" << 2147483647;
    QTest::newRow("hex overflow") << "0x80000000" << d;
    QTest::newRow("full-width digits") << QString::fromUtf8("\xEF\xBC\x91\xEF\xBC\x92") << d;
}

void TestSettingsFile::readInteger() {
    QFETCH(QString, value);
    QFETCH(int, expected);
    const IniFile ini = IniFile::FromBytes("[S]\nn=" + value.toUtf8() + "\n");
    QCOMPARE(ini.ReadInteger("S", "n", 77), expected);
}

void TestSettingsFile::writeString_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");
    auto row = [](const char* name, const QByteArray& before, const QString& section, const QString& key,
                  const QByteArray& after) { QTest::newRow(name) << before << section << key << after; };
    // Every row writes the value "new".
    row("in place, rest byte-identical", "; top\r\n[A]\r\n  k = old \r\n\r\n# x\n[B]\nk=2", "a", "K",
        "; top\r\n[A]\r\n  k = new\r\n\r\n# x\n[B]\nk=2");
    row("in place, last line without end", "[A]\nk=1", "A", "k", "[A]\nk=new");
    row("new key after last key, before blanks and comments", "[A]\r\na=1\r\n\r\n; about B\r\n[B]\r\n", "A",
        "b", "[A]\r\na=1\r\nb=new\r\n\r\n; about B\r\n[B]\r\n");
    row("new key in keyless section", "[A]\n\n[B]\n", "A", "k", "[A]\nk=new\r\n\n[B]\n");
    row("new key after unterminated last line", "[A]\na=1", "A", "b", "[A]\na=1\r\nb=new\r\n");
    row("duplicate sections: first", "[A]\n[A]\nk=1\n", "A", "k", "[A]\nk=new\r\n[A]\nk=1\n");
    row("new section at end", "[A]\na=1", " N ", " k", "[A]\na=1\r\n[N]\r\nk=new\r\n");
    row("new file", "", "N", "k", "[N]\r\nk=new\r\n");
}

void TestSettingsFile::writeString() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    IniFile ini = IniFile::FromBytes(before);
    QVERIFY(ini.WriteString(section, key, "new"));
    QCOMPARE(ini.ToBytes(), after);
    QCOMPARE(ini.ReadString(section, key, "?"), QString("new"));
    QCOMPARE(IniFile::FromBytes(after).ReadString(section, key, "?"), QString("new"));
}

void TestSettingsFile::rewriteInPlaceReadsBackAndStays_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new key, leading blanks")
        << QByteArray("[A]\n") << " \t5" << QByteArray("[A]\nk= \t5\r\n");
    QTest::newRow("line's own spacing")
        << QByteArray("[A]\n k =  old\n") << "  5" << QByteArray("[A]\n k =  5\n");
    QTest::newRow("blanks only") << QByteArray("[A]\nk=old\n") << "  " << QByteArray("[A]\nk=\n");
    QTest::newRow("line in an 8-bit code page")
        << QByteArray("[A]\nk\xA0=old\n") << QString::fromUtf8("caf\xC3\xA9")
        << QByteArray("[A]\nk\xC2\xA0=caf\xC3\xA9\n");
}

void TestSettingsFile::rewriteInPlaceReadsBackAndStays() {
    QFETCH(QByteArray, before);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    IniFile ini = IniFile::FromBytes(before);
    for (int write = 1; write <= 3; ++write) {
        QVERIFY(ini.WriteString("A", "k", value));
        QCOMPARE(ini.ToBytes(), after);
    }
    QCOMPARE(IniFile::FromBytes(after).ReadString("A", "k", "?"), value.trimmed());
}

void TestSettingsFile::writeRefusesWhatCannotBeReadBack_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    auto row = [](const char* name, const QString& section, const QString& key, const QString& value) {
        QTest::newRow(name) << section << key << value;
    };
    row("empty section", " ", "k", "v");
    row("empty key", "S", "", "v");
    row("line break in value", "S", "k", "1\r\n[Fejlec]");
    row("NUL in value", "S", "k", QString(QChar(u'\0')));
    row("] in section", "a]b", "k", "v");
    row("= in key", "S", "a=b", "v");
    row("comment key", "S", ";k", "v");
    row("header-like key", "S", "[k", "v");
    row("key starting with a byte-order mark", "S", QChar(0xFEFF) + QString("k"), "v");
}

void TestSettingsFile::writeRefusesWhatCannotBeReadBack() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QByteArray before = "[S]\nk=old\n";
    IniFile ini = IniFile::FromBytes(before);
    QVERIFY(!ini.WriteString(section, key, value));
    QCOMPARE(ini.ToBytes(), before);
}

void TestSettingsFile::anyBytesParseAndRoundTrip_data() {
    QTest::addColumn<QByteArray>("content");
    QByteArray noise(64 * 1024, '\0');
    QRandomGenerator rng(7208);
    for (char& c : noise)
        c = char(rng.bounded(256));
    QTest::newRow("random bytes") << noise;
    QTest::newRow("one 1 MiB line") << QByteArray(1024 * 1024, 'x');
    QTest::newRow("NULs only") << QByteArray(100, '\0');
    QTest::newRow("mixed endings") << QByteArray("\r\r\n\n\r[\r=\n]=[=\r\n");
    QTest::newRow("brackets and equals") << QByteArray("[[[[]]]]\n====\n[]\n=x\n");
}

void TestSettingsFile::anyBytesParseAndRoundTrip() {
    QFETCH(QByteArray, content);
    IniFile ini = IniFile::FromBytes(content);
    QCOMPARE(ini.ToBytes(), content);
    QCOMPARE(ini.ReadString("Fejlec", "ZT", "none"), QString("none"));
    QVERIFY(ini.WriteString("Fejlec", "ZT", "ZEPH7208"));
    QCOMPARE(IniFile::FromBytes(ini.ToBytes()).ReadString("Fejlec", "ZT", "none"), QString("ZEPH7208"));
}

void TestSettingsFile::loadStatus_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");
    QTest::newRow("missing") << "missing" << int(IniFile::LoadStatus::Missing);
    QTest::newRow("exactly the cap") << "cap" << int(IniFile::LoadStatus::Loaded);
    QTest::newRow("one byte over") << "over" << int(IniFile::LoadStatus::TooLarge);
    QTest::newRow("folder") << "folder" << int(IniFile::LoadStatus::ReadError);
    QTest::newRow("FIFO does not block") << "fifo" << int(IniFile::LoadStatus::ReadError);
    QTest::newRow("endless device") << "/dev/zero" << int(IniFile::LoadStatus::ReadError);
}

void TestSettingsFile::loadStatus() {
    QFETCH(QString, kind);
    QFETCH(int, status);
    QTemporaryDir dir;
    QString path = dir.filePath("f.ini");
    if (kind == "cap" || kind == "over")
        QVERIFY(WriteAll(path, "[A]\nk=1\n" + QByteArray(IniFile::MaxFileSize - 8 + (kind == "over"), ';')));
    else if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    else if (kind == "fifo")
        QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
    else if (kind.startsWith('/'))
        path = kind;
    IniFile ini = IniFile::FromBytes("[A]\nk=stale\n");
    QCOMPARE(int(ini.Load(path)), status);
    QCOMPARE(ini.ReadString("A", "k", "none"), QString(kind == "cap" ? "1" : "none"));
}

void TestSettingsFile::failedSaveLeavesOldFile_data() {
    QTest::addColumn<QString>(
        "fault");                      // "write", "sync": WriteFault's disk; "ro", "full": a tmpfs of our own
    QTest::addColumn<bool>("inPlace"); // the folder takes no new file: the file is rewritten in place
    QTest::addColumn<QString>("reason");
    const QString full = "No space left on device";
    QTest::newRow("write fails part-way") << "write" << false << full;
    QTest::newRow("sync fails") << "sync" << false << "Input/output error";
    QTest::newRow("in place, write fails part-way") << "write" << true << full;
    QTest::newRow("in place, sync fails") << "sync" << true << "Input/output error";
    QTest::newRow("read-only file system") << "ro" << false << "Read-only file system";
    QTest::newRow("full file system") << "full" << false << full;
    QTest::newRow("full file system, in place") << "full" << true << full;
}

void TestSettingsFile::failedSaveLeavesOldFile() {
    QFETCH(QString, fault);
    QFETCH(bool, inPlace);
    QFETCH(QString, reason);
    const bool tmpfs = fault == "ro" || fault == "full";
    TmpfsMount fs("size=64k");
    QTemporaryDir plain;
    if (tmpfs && !fs.mounted) QSKIP("mounting a tmpfs is not permitted here");
    const QString folder = tmpfs ? fs.dir.path() : plain.path();
    const QString path = folder + "/settings.zsf";
    const QByteArray old = "[Other]\r\nkeep=me\r\n";
    QVERIFY(WriteAll(path, old));
    QStringList files{"settings.zsf"};
    if (fault == "full") {
        QVERIFY(fs.Fill());
        files.prepend("filler");
    }
    // More than the block the old file has, and less than a write buffer: a save that only checked its
    // buffered writes would find nothing wrong.
    IniFile ini = IniFile::FromBytes(old);
    QVERIFY(ini.WriteString("Big", "k", QString(8 * 1024, 'x')));
    if (inPlace) {
        QVERIFY(QFile::setPermissions(path, QFile::Permissions(0x6666)));
        QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x5555)));
    }
    if (fault == "ro") QVERIFY(fs.MakeReadOnly());
    QString error;
    bool saved = false;
    {
        std::optional<AsOrdinaryUser> nobody;
        if (inPlace) nobody.emplace();
        const WriteFault disk(fault == "write" ? 100 : -1, fault == "sync" ? EIO : 0);
        saved = ini.Save(path, &error);
    }
    if (inPlace) QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x7700)));
    QVERIFY(!saved);
    QCOMPARE(error, reason);
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), files); // no temporary left over
    if (!tmpfs) { // and the same save succeeds once the disk is well again
        QVERIFY2(ini.Save(path, &error), qPrintable(error));
        QCOMPARE(ReadAll(path), ini.ToBytes());
    }
}

void TestSettingsFile::linksFollowedAsTheKernelWould_data() {
    QTest::addColumn<int>("linkOwner"); // -1: the test's own user
    QTest::addColumn<int>("folderOwner");
    QTest::addColumn<int>("folderMode");
    // "save"; "open" for the counter log; "nowhere", a link to a file not there yet; "chain", an own link
    // elsewhere leading to the one in the folder
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("followed");
    const int other = 65534;
    QTest::newRow("own link in a shared folder") << -1 << -1 << 01777 << "save" << true;
    QTest::newRow("own link, the counter log") << -1 << -1 << 01777 << "open" << true;
    QTest::newRow("planted in a shared folder") << other << -1 << 01777 << "save" << false;
    QTest::newRow("planted, the counter log") << other << -1 << 01777 << "open" << false;
    QTest::newRow("planted, to a file not there yet") << other << -1 << 01777 << "nowhere" << false;
    QTest::newRow("own link to a planted one") << other << -1 << 01777 << "chain" << false;
    QTest::newRow("in its owner's shared folder") << other << other << 01777 << "save" << true;
    QTest::newRow("in a folder not writable by all") << other << -1 << 01775 << "save" << true;
}

// The kernel's rule for shared folders (fs.protected_symlinks), applied by the program itself.
void TestSettingsFile::linksFollowedAsTheKernelWould() {
    QFETCH(int, linkOwner);
    QFETCH(int, folderOwner);
    QFETCH(int, folderMode);
    QFETCH(QString, how);
    QFETCH(bool, followed);
    QTemporaryDir dir;
    const QString shared = dir.filePath("shared");
    const QString target = dir.filePath("target.ini");
    const QString link = shared + "/link.ini";
    const QByteArray old = "[Old]\r\n";
    QVERIFY(QDir().mkdir(shared));
    QCOMPARE(::chmod(shared.toLocal8Bit().constData(), mode_t(folderMode)), 0);
    if (how != "nowhere") QVERIFY(WriteAll(target, old));
    QCOMPARE(::symlink(target.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    if ((linkOwner >= 0 && ::lchown(link.toLocal8Bit().constData(), uid_t(linkOwner), gid_t(-1)) != 0) ||
        (folderOwner >= 0 && ::chown(shared.toLocal8Bit().constData(), uid_t(folderOwner), gid_t(-1)) != 0))
        QSKIP("giving a link or folder to another user is not permitted here");
    QString path = link;
    if (how == "chain") {
        path = dir.filePath("own.ini");
        QCOMPARE(::symlink(link.toLocal8Bit().constData(), path.toLocal8Bit().constData()), 0);
    }
    const QByteArray written = "[New]\r\n";
    QString error;
    bool saved = false;
    if (how == "open") {
        const int fd = OpenFileForWriting(path, &error);
        saved = fd >= 0 && WriteFully(fd, written, &error);
        if (fd >= 0) ::close(fd);
    } else {
        saved = WriteFileSafely(path, written, &error);
    }
    QCOMPARE(saved, followed);
    QCOMPARE(error, followed ? QString()
                             : path + " is a link owned by another user in a shared folder; not followed.");
    QCOMPARE(QFileInfo(link).symLinkTarget(), target); // still a link, to the same file
    if (how == "nowhere")
        QCOMPARE(QFileInfo::exists(target), followed);
    else
        QCOMPARE(ReadAll(target), followed ? written : old);
}

void TestSettingsFile::writableFileInLockedFolder_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("fileWritable");
    QTest::newRow("settings file") << "settings" << true;
    QTest::newRow("application INI file") << "ini" << true;
    QTest::newRow("settings file, itself read-only") << "settings" << false;
}

// No temporary file can go beside the target, so the file is written in place, as the original did.
void TestSettingsFile::writableFileInLockedFolder() {
    QFETCH(QString, file);
    QFETCH(bool, fileWritable);
    QTemporaryDir dir;
    const QString path = dir.filePath("f");
    const QByteArray old = "[Other]\r\nkeep=me\r\n";
    QVERIFY(WriteAll(path, old));
    QVERIFY(
        QFile::setPermissions(path, fileWritable ? QFile::Permissions(0x6666) : QFile::Permissions(0x4444)));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::Permissions(0x5555)));
    QString error;
    bool saved = true;
    {
        AsOrdinaryUser nobody;
        if (file == "ini")
            WriteAppIni(path, "d", QString("COM2"), AppIniValues{});
        else
            saved = SaveSettingsFile(path, ExampleValues(), "d", &error);
    }
    QVERIFY(QFile::setPermissions(dir.path(), QFile::Permissions(0x7700)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"f"});
    if (!fileWritable) {
        QVERIFY(!saved);
        QVERIFY2(error.contains("Permission denied"), qPrintable(error));
        QCOMPARE(ReadAll(path), old);
        return;
    }
    QVERIFY2(saved, qPrintable(error));
    QVERIFY(ReadAll(path).startsWith(old));
    if (file == "ini")
        QCOMPARE(ReadAppIni(path).preferredPort, QString("COM2"));
    else
        QVERIFY(LoadSettingsFile(path).values == ExampleValues());
}

void TestSettingsFile::appIniRoundTrips() {
    QTemporaryDir dir;
    const QString path = dir.filePath("nested/zeph.ini"); // the folder is created on write
    const AppIniValues first = ReadAppIni(path);
    QCOMPARE(first.preferredPort, QString("COM1"));
    QCOMPARE(first.p2, (std::array<qint32, 4>{0, 65535, 0, 65535}));
    WriteAppIni(path, "08-12-2014", QString("/dev/ttyUSB0"), first);
    QCOMPARE(ReadAll(path),
             QByteArray("[Date]\r\nDate=08-12-2014\r\n[Com]\r\nListBox_ComPortlista=/dev/ttyUSB0\r\n"
                        "[P2]\r\niP2_PWMCopyed4mA1=0\r\niP2_PWMCopyed20mA1=65535\r\n"
                        "iP2_PWMCopyed4mA2=0\r\niP2_PWMCopyed20mA2=65535\r\n"));

    // Letters read as the default and go back as it; real numbers, hex included, are carried through.
    QVERIFY(WriteAll(path,
                     "[P2]\r\niP2_PWMCopyed4mA1=abc\r\niP2_PWMCopyed20mA1=0x10\r\niP2_PWMCopyed4mA2=-7\r\n"));
    const AppIniValues read = ReadAppIni(path);
    QCOMPARE(read.p2, (std::array<qint32, 4>{0, 16, -7, 65535}));
    WriteAppIni(path, "d", QString("COM3"), read);
    const AppIniValues again = ReadAppIni(path);
    QCOMPARE(again.preferredPort, QString("COM3"));
    QCOMPARE(again.p2, read.p2);
    QVERIFY(ReadAll(path).startsWith("[P2]\r\niP2_PWMCopyed4mA1=0\r\niP2_PWMCopyed20mA1=16\r\n"));

    // A failure shows no box: the old file stays, and a warning (on standard error) says why.
    const QByteArray before = ReadAll(path);
    QTest::ignoreMessage(QtWarningMsg, qPrintable(path + ": cannot be written: No space left on device"));
    {
        const WriteFault full(0);
        WriteAppIni(path, "other day", QString("COM9"), again);
    }
    QCOMPARE(ReadAll(path), before);
}

void TestSettingsFile::appIniKeepsTheAdaptersStableName() {
    QTemporaryDir dir;
    const QString path = dir.filePath("zeph.ini");
    AppIniValues values;
    values.portById = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";
    WriteAppIni(path, "d", QString("/dev/ttyUSB1"), values);
    QVERIFY(ReadAll(path).endsWith("[Configurator]\r\nPortById=" + values.portById.toUtf8() + "\r\n"));
    QCOMPARE(ReadAppIni(path).portById, values.portById);
    // A port without a stable name clears the old one, so it cannot win over "Com" at the next start.
    values.portById.clear();
    WriteAppIni(path, "d", QString("/dev/pts/4"), values);
    QCOMPARE(ReadAppIni(path).portById, QString());
    QCOMPARE(ReadAppIni(path).preferredPort, QString("/dev/pts/4"));
}

void TestSettingsFile::appIniKeepsPortWhenNoneSelected() {
    QTemporaryDir dir;
    const QString path = dir.filePath("zeph.ini");
    QVERIFY(
        WriteAll(path, "[Com]\nListBox_ComPortlista=COM4\n[P2]\niP2_PWMCopyed4mA1=5\n[Date]\nDate=old\n"));
    AppIniValues changed;
    changed.p2 = {1, 2, 3, 4};
    WriteAppIni(path, "new", std::nullopt, changed);
    QCOMPARE(ReadAll(path),
             QByteArray("[Com]\nListBox_ComPortlista=COM4\n[P2]\niP2_PWMCopyed4mA1=5\n[Date]\nDate=new\n"));
}

// The network ports are one value, the port texts apart by blanks; our keys go into a file of the
// original only when there is something to keep or clear.
void TestSettingsFile::appIniNetworkPorts_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("read");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QByteArray>("after");
    const QByteArray original = "[Com]\r\nListBox_ComPortlista=COM4\r\n";
    QTest::newRow("first ones") << original << QStringList{}
                                << QStringList{"tcp://a:1", "rfc2217://[::1]:2?allowance_ms=800"}
                                << "tcp://a:1"
                                << original +
                                       "[Date]\r\nDate=d\r\n[Configurator]\r\nNetworkPorts=tcp://a:1 "
                                       "rfc2217://[::1]:2?allowance_ms=800\r\nNetworkPort=tcp://a:1\r\n";
    QTest::newRow("none then or now")
        << original << QStringList{} << QStringList{} << "" << original + "[Date]\r\nDate=d\r\n";
    QTest::newRow("all removed")
        << QByteArray("[Configurator]\r\nNetworkPorts=tcp://a:1\r\nNetworkPort=tcp://a:1\r\n")
        << QStringList{"tcp://a:1"} << QStringList{} << ""
        << QByteArray("[Configurator]\r\nNetworkPorts=\r\nNetworkPort=\r\n[Date]\r\nDate=d\r\n");
    QTest::newRow("any blanks between")
        << QByteArray("[Configurator]\r\nNetworkPorts= tcp://a:1 \t tcp://b:2\r\n")
        << QStringList{"tcp://a:1", "tcp://b:2"} << QStringList{"tcp://a:1", "tcp://b:2"} << ""
        << QByteArray("[Configurator]\r\nNetworkPorts= tcp://a:1 tcp://b:2\r\n[Date]\r\nDate=d\r\n");
}

void TestSettingsFile::appIniNetworkPorts() {
    QFETCH(QByteArray, before);
    QFETCH(QStringList, read);
    QFETCH(QStringList, written);
    QFETCH(QString, chosen);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath("zeph.ini");
    QVERIFY(WriteAll(path, before));
    AppIniValues values = ReadAppIni(path);
    QCOMPARE(values.networkPorts, read);
    values.networkPorts = written;
    values.networkPort = chosen;
    WriteAppIni(path, "d", std::nullopt, values);
    QCOMPARE(ReadAll(path), after);
    QCOMPARE(ReadAppIni(path).networkPorts, written);
    QCOMPARE(ReadAppIni(path).networkPort, chosen);
}

void TestSettingsFile::windowPlace_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QRect>("expected"); // null: nothing read
    const QByteArray keys = "[Configurator]\nMonLeft=-20\nMonTop=30\nMonWidth=800\nMonHeight=0x190\n";
    QTest::newRow("all four keys") << keys << QRect(-20, 30, 800, 400);
    QTest::newRow("no file") << QByteArray() << QRect();
    QTest::newRow("a key missing") << QByteArray(keys).replace("MonTop=30\n", "") << QRect();
    QTest::newRow("not a number") << QByteArray(keys).replace("=30", "=3O") << QRect();
    QTest::newRow("no size") << QByteArray(keys).replace("=800", "=0") << QRect();
}

void TestSettingsFile::windowPlace() {
    QFETCH(QByteArray, file);
    QFETCH(QRect, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("zeph.ini");
    if (!file.isEmpty()) QVERIFY(WriteAll(path, "[Com]\nListBox_ComPortlista=COM4\n" + file));
    QCOMPARE(ReadWindowPlace(path, "Mon").value_or(QRect()), expected);
    // Written back, it reads the same, and the rest of the file stays.
    QVERIFY(WriteWindowPlace(path, "Mon", QRect(5, -6, 700, 300)));
    QCOMPARE(ReadWindowPlace(path, "Mon"), std::optional(QRect(5, -6, 700, 300)));
    QCOMPARE(ReadAppIni(path).preferredPort, QString(file.isEmpty() ? "COM1" : "COM4"));
}

// The configuration folder unless a portable copy sits beside the executable.
void TestSettingsFile::appIniPath_data() {
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QString>("portable"); // the file made beside the executable first; empty: none
    QTest::addColumn<QString>("expected");
    const QString d = scratch_.path();
    const QString configured = "/cfg/zeph7208-configurator/zeph7208-configurator.ini";
    for (const char* folder : {"bare", "copy", "windows", "v1.2", "hidden", "other", "dir"})
        QVERIFY(QDir(d).mkpath(folder));
    QVERIFY(QDir(d).mkpath("dir/zeph7208-configurator.ini"));
    QTest::newRow("writable folder, no file: configuration folder") << d + "/bare/zeph7208-configurator"
                                                                    << "" << configured;
    QTest::newRow("portable copy") << d + "/copy/zeph7208-configurator"
                                   << d + "/copy/zeph7208-configurator.ini"
                                   << d + "/copy/zeph7208-configurator.ini";
    QTest::newRow("extension replaced")
        << d + "/windows/Zeph7208.exe" << d + "/windows/Zeph7208.ini" << d + "/windows/Zeph7208.ini";
    QTest::newRow("dotted folder, no extension")
        << d + "/v1.2/zeph" << d + "/v1.2/zeph.ini" << d + "/v1.2/zeph.ini";
    QTest::newRow("hidden name") << d + "/hidden/.zeph" << d + "/hidden/.zeph.ini" << d + "/hidden/.zeph.ini";
    QTest::newRow("another program's file")
        << d + "/other/zeph7208-configurator" << d + "/other/other.ini" << configured;
    QTest::newRow("a folder of that name") << d + "/dir/zeph7208-configurator"
                                           << "" << configured;
    QTest::newRow("folder missing") << d + "/gone/zeph7208-configurator"
                                    << "" << configured;
}

void TestSettingsFile::appIniPath() {
    QFETCH(QString, exe);
    QFETCH(QString, portable);
    QFETCH(QString, expected);
    if (!portable.isEmpty()) QVERIFY(WriteAll(portable, "[Com]\n"));
    QCOMPARE(AppIniPath(exe, "/cfg"), expected);
}

// A folder nobody may add files to, root included (a read-only file system): a writable INI file in it,
// bound over a placeholder from elsewhere, is kept and written in place; one that cannot be written is not.
void TestSettingsFile::appIniPathKeepsWritableFileInLockedFolder() {
    TmpfsMount fs("size=16k");
    if (!fs.mounted) QSKIP("mounting a tmpfs is not permitted here");
    QTemporaryDir elsewhere;
    const QString ini = fs.dir.filePath("zeph.ini");
    QVERIFY(WriteAll(ini, "") && WriteAll(fs.dir.filePath("stuck.ini"), "") &&
            WriteAll(elsewhere.filePath("zeph.ini"), "[Com]\n"));
    QCOMPARE(::mount(elsewhere.filePath("zeph.ini").toLocal8Bit().constData(), ini.toLocal8Bit().constData(),
                     nullptr, MS_BIND, nullptr),
             0);
    QVERIFY(fs.MakeReadOnly());
    QCOMPARE(AppIniPath(fs.dir.filePath("zeph.bin"), "/cfg"), ini);
    QCOMPARE(AppIniPath(fs.dir.filePath("stuck.bin"), "/cfg"),
             QString("/cfg/zeph7208-configurator/zeph7208-configurator.ini"));
}

void TestSettingsFile::exampleSettingsFileWrittenAndRead() {
    QTemporaryDir dir;
    const QString path = dir.filePath("plant.zsf");
    QString error;
    QVERIFY2(SaveSettingsFile(path, ExampleValues(), "08-12-2014", &error), qPrintable(error));
    QCOMPARE(ReadAll(path), ExampleFile("08-12-2014"));
    const LoadResult loaded = LoadSettingsFile(path);
    QCOMPARE(loaded.outcome, Outcome::Loaded);
    QVERIFY(loaded.values == ExampleValues());
    // Saving again over the same file changes nothing but the date.
    QVERIFY(SaveSettingsFile(path, ExampleValues(), "09-12-2014", &error));
    QCOMPARE(ReadAll(path), ExampleFile("09-12-2014"));
}

void TestSettingsFile::settingsHeader_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("exact") << QByteArray("[Fejlec]\nZT=ZEPH7208\n") << Outcome::Loaded;
    QTest::newRow("names in other case") << QByteArray("[fejlec]\nzt=ZEPH7208\n") << Outcome::Loaded;
    QTest::newRow("blanks around") << QByteArray(" [ FEJLEC ] \r\n Zt =  ZEPH7208 \r\n") << Outcome::Loaded;
    QTest::newRow("value in other case") << QByteArray("[Fejlec]\nZT=zeph7208\n") << Outcome::NotSettingsFile;
    QTest::newRow("longer value") << QByteArray("[Fejlec]\nZT=ZEPH72080\n") << Outcome::NotSettingsFile;
    QTest::newRow("wrong section") << QByteArray("[Beallitas]\nZT=ZEPH7208\n") << Outcome::NotSettingsFile;
    QTest::newRow("commented out") << QByteArray("[Fejlec]\n;ZT=ZEPH7208\n") << Outcome::NotSettingsFile;
    QTest::newRow("empty file") << QByteArray() << Outcome::NotSettingsFile;
    QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << Outcome::NotSettingsFile;
    QTest::newRow("over the size cap")
        << QByteArray("[Fejlec]\nZT=ZEPH7208\n" + QByteArray(IniFile::MaxFileSize, '\n'))
        << Outcome::NotSettingsFile;
}

void TestSettingsFile::settingsHeader() {
    QFETCH(QByteArray, content);
    QFETCH(Outcome, outcome);
    QTemporaryDir dir;
    const QString path = dir.filePath("s.zsf");
    QVERIFY(WriteAll(path, content));
    const LoadResult result = LoadSettingsFile(path);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.values.size(), outcome == Outcome::Loaded ? SettingsKeys().size() : 0u);
}

void TestSettingsFile::settingsFileUnreadable_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing"
                             << "No such file or directory";
    QTest::newRow("folder") << "folder"
                            << "not a regular file";
    QTest::newRow("FIFO, without waiting for a writer") << "fifo"
                                                        << "not a regular file";
    QTest::newRow("no read permission") << "locked"
                                        << "Permission denied";
}

// Told apart from a file of the wrong kind, with the reason.
void TestSettingsFile::settingsFileUnreadable() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath("s.zsf");
    if (kind == "folder") QVERIFY(QDir().mkdir(path));
    if (kind == "fifo") QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
    if (kind == "locked") {
        QVERIFY(WriteAll(path, "[Fejlec]\r\nZT=ZEPH7208\r\n"));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::Permissions(0x7755)));
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    }
    std::optional<AsOrdinaryUser> nobody;
    if (kind == "locked") nobody.emplace();
    const LoadResult result = LoadSettingsFile(path);
    nobody.reset();
    QCOMPARE(result.outcome, Outcome::Unreadable);
    QCOMPARE(result.reason, reason);
    QVERIFY(result.values.empty());
}

void TestSettingsFile::settingsApplyRules_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<ControlState>("expected");
    auto row = [](const char* name, const QString& key, const QByteArray& stored, ControlState expected) {
        QTest::newRow(name) << key << stored << expected;
    };
    row("parity beyond last: last", "RadioGroup_7208MbParitas", "5", Choice(2));
    row("parity negative: none", "RadioGroup_7208MbParitas", "-3", {});
    row("parity letters: none", "RadioGroup_7208MbParitas", "odd", {});
    row("input type beyond last", "RadioGroup_7208BemTip8", "7", Choice(1));
    row("edge choice hex", "RadioGroup_7208BemEl3", "0x1", Choice(1));
    row("baud last", "ListBox_7208MbSebesseg", "8", Choice(8));
    row("baud beyond: none", "ListBox_7208MbSebesseg", "9", {});
    row("baud negative: none", "ListBox_7208MbSebesseg", "-1", {});
    row("box 2: set", "CheckBox_7208MbRLezaro", "2", Checked());
    row("box -1: set", "CheckBox_7208PergMentesites5", "-1", Checked());
    row("box yes: clear", "CheckBox_7208MbRLezaro", "yes", {});
    row("box 0: clear", "CheckBox_7208MbRFelLe", "0", {});
    row("address unchecked", "LabeledEdit_7208MbKeszulekcim", "999", Text("999"));
    row("edit text kept", "LabeledEdit_7208BemTimeOut2", " 1e3 ms ", Text("1e3 ms"));
    row("empty section: all defaults", "", "", {});
}

void TestSettingsFile::settingsApplyRules() {
    QFETCH(QString, key);
    QFETCH(QByteArray, stored);
    QFETCH(ControlState, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("s.zsf");
    const QByteArray line = key.isEmpty() ? QByteArray() : key.toUtf8() + "=" + stored + "\r\n";
    QVERIFY(WriteAll(path, "[Fejlec]\r\nZT=ZEPH7208\r\n[Beallitas]\r\n" + line));
    const LoadResult result = LoadSettingsFile(path);
    QCOMPARE(result.outcome, Outcome::Loaded);
    const int target = SettingsKeyIndex(key);
    for (int i = 0; i < int(result.values.size()); ++i) {
        QVERIFY2(result.values[i] == (i == target ? expected : ControlState{}),
                 qPrintable(SettingsKeys()[i].name));
    }
}

void TestSettingsFile::saveMergesIntoExistingFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("s.zsf");
    const QByteArray head = "; made by hand\n[Other]\nx = 1\n\n[beallitas]\n";
    QVERIFY(WriteAll(path, head + " checkbox_7208mbrlezaro = 0 \n# tail note\n"));
    QVERIFY(SaveSettingsFile(path, ExampleValues(), "d"));
    const QByteArray after = ReadAll(path);
    QVERIFY(after.startsWith(head + " checkbox_7208mbrlezaro = 1\nRadioGroup_7208BemTip1=1\r\n"));
    QVERIFY(after.contains(
        "LabeledEdit_7208MbValaszKeslIdo=5\r\n# tail note\n[Fejlec]\r\nZT=ZEPH7208\r\n[Date]"));
    QVERIFY(LoadSettingsFile(path).values == ExampleValues());
}

void TestSettingsFile::saveFailureNamesTheReason_data() {
    QTest::addColumn<QString>("existing");
    QTest::addColumn<SaveFailure>("failure");
    QTest::addColumn<QString>("error");
    QTest::newRow("readable file") << "plain" << SaveFailure::None << "";
    QTest::newRow("over the size cap") << "large" << SaveFailure::ExistingFileTooLarge << "larger than 1 MiB";
    QTest::newRow("FIFO") << "fifo" << SaveFailure::ExistingFileUnreadable << "not a regular file";
    QTest::newRow("no read permission")
        << "write-only" << SaveFailure::ExistingFileUnreadable << "Permission denied";
    QTest::newRow("write fails") << "full disk" << SaveFailure::NotWritten << "No space left";
}

// A file that cannot be read whole is never rewritten, since what else it holds would be lost.
void TestSettingsFile::saveFailureNamesTheReason() {
    QFETCH(QString, existing);
    QFETCH(SaveFailure, failure);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("s.zsf");
    QByteArray old = "[Notes]\r\nkeep=me\r\n";
    if (existing == "large") old += QByteArray(IniFile::MaxFileSize, ';');
    if (existing == "fifo")
        QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
    else
        QVERIFY(WriteAll(path, old));
    if (existing == "write-only") {
        QVERIFY(QFile::setPermissions(dir.path(), QFile::Permissions(0x7755)));
        QVERIFY(QFile::setPermissions(path, QFile::Permissions(0x2222)));
    }
    QString why;
    SaveFailure found = SaveFailure::NotWritten;
    bool saved = false;
    {
        std::optional<AsOrdinaryUser> nobody;
        std::optional<WriteFault> full;
        if (existing == "write-only") nobody.emplace();
        if (existing == "full disk") full.emplace(0);
        saved = SaveSettingsFile(path, ExampleValues(), "d", &why, &found);
    }
    QCOMPARE(found, failure);
    QCOMPARE(saved, failure == SaveFailure::None);
    QVERIFY2(why.contains(error), qPrintable(why));
    if (saved) return;
    if (existing == "write-only") QVERIFY(QFile::setPermissions(path, QFile::Permissions(0x6666)));
    if (existing != "fifo") QCOMPARE(ReadAll(path), old);
}

void TestSettingsFile::saveRefusesBrokenInput() {
    QTemporaryDir dir;
    const QString path = dir.filePath("s.zsf");
    QVERIFY(WriteAll(path, "[Old]\r\n"));
    SettingsValues smuggling = ExampleValues();
    smuggling[36].text = "1\r\n[Fejlec]\r\nZT=other"; // pasted text must not become keys of its own
    QString error;
    QVERIFY(!SaveSettingsFile(path, smuggling, "d", &error));
    QVERIFY(error.contains("LabeledEdit_7208MbKeszulekcim"));
    QVERIFY(!SaveSettingsFile(path, SettingsValues(38), "d", &error));
    QVERIFY(!SaveSettingsFile(dir.filePath("missing/s.zsf"), ExampleValues(), "d", &error));
    QCOMPARE(ReadAll(path), QByteArray("[Old]\r\n"));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
