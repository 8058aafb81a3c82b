// SPDX-License-Identifier: MIT
// The keyed INI document: parsing that never fails, case-blind lookup, in-place writes, safe save.
#include "settingsfile/IniFile.h"

#include "settingsfile/SafeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <QFile>
#include <QStringDecoder>
#include <sys/stat.h>
#include <unistd.h>

namespace zeph::settingsfile {

namespace {

const QByteArray crlf = QByteArrayLiteral("\r\n");
const QByteArray utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

bool HasLineBreakOrNul(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) ||
           text.contains(QChar(u'\0'));
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString IniFile::Decode(const QByteArray& bytes) {
    // Files written by other programs may be in an 8-bit code page; those bytes are not valid UTF-8,
    // and Latin-1 at least keeps one character per byte instead of replacement marks.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) return QString::fromLatin1(bytes);
    return text;
}

IniFile::Line IniFile::ParseLine(const QByteArray& raw, bool firstLine) {
    Line line;
    line.raw = raw;
    const QString text = Decode(firstLine && raw.startsWith(utf8Bom) ? raw.mid(utf8Bom.size()) : raw);
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        line.kind = LineKind::Section;
        line.name = (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
        return line;
    }
    if (trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'))) return line;
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0) return line;
    line.name = text.left(equals).trimmed();
    if (line.name.isEmpty()) return line;
    line.kind = LineKind::Key;
    line.value = text.mid(equals + 1).trimmed();
    return line;
}

IniFile IniFile::FromBytes(const QByteArray& bytes) {
    IniFile ini;
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        qsizetype eolLength = 0;
        if (end < size) eolLength = (bytes[end] == '\r' && end + 1 < size && bytes[end + 1] == '\n') ? 2 : 1;
        Line line = ParseLine(bytes.mid(start, end - start), ini.m_lines.empty());
        line.eol = bytes.mid(end, eolLength);
        ini.m_lines.push_back(std::move(line));
        start = end + eolLength;
    }
    return ini;
}

std::vector<IniFile::Entry> IniFile::Entries() const {
    std::vector<Entry> entries;
    QString section;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == LineKind::Section) section = line.name;
        if (line.kind == LineKind::Section || line.kind == LineKind::Key)
            entries.push_back(
                {int(i) + 1, section, line.kind == LineKind::Key ? line.name : QString(), line.value});
    }
    return entries;
}

std::vector<int> IniFile::UnparsedLines() const {
    std::vector<int> lines;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const QString text = Decode(m_lines[i].raw).trimmed();
        const bool comment = text.startsWith(QLatin1Char(';')) || text.startsWith(QLatin1Char('#'));
        if (m_lines[i].kind == LineKind::Other && !text.isEmpty() && !comment && text != QChar(0xFEFF))
            lines.push_back(int(i) + 1);
    }
    return lines;
}

QByteArray IniFile::ToBytes() const {
    QByteArray out;
    for (const Line& line : m_lines)
        out += line.raw + line.eol;
    return out;
}

IniFile::LoadStatus IniFile::Load(const QString& path, QString* error) {
    m_lines.clear();
    const auto unreadable = [error](const QString& why, LoadStatus status = LoadStatus::ReadError) {
        if (error) *error = why;
        return status;
    };
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    // Looked at before it is opened: opening a serial port moves its modem lines, a tape may rewind.
    if (::stat(name.constData(), &info) != 0) {
        const int why = errno;
        return unreadable(SystemErrorText(why), why == ENOENT ? LoadStatus::Missing : LoadStatus::ReadError);
    }
    if (!S_ISREG(info.st_mode)) return unreadable(NotRegularFileText());
    if (info.st_size > MaxFileSize) return LoadStatus::TooLarge;
    // Something else may stand there by the time it is opened: opened without waiting, a FIFO cannot
    // block, and what was opened is checked again before anything is read.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int why = errno;
        return unreadable(SystemErrorText(why));
    }
    int why = ::fstat(fd, &info) == 0 ? 0 : errno;
    const bool regular = why == 0 && S_ISREG(info.st_mode);
    QByteArray bytes;
    // The file may have grown since it was measured: read one byte past the cap to notice.
    while (regular && bytes.size() <= MaxFileSize) {
        char chunk[64 * 1024];
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            why = got < 0 ? errno : 0;
            break;
        }
        bytes.append(chunk, got);
    }
    ::close(fd);
    if (why) return unreadable(SystemErrorText(why));
    if (!regular) return unreadable(NotRegularFileText());
    if (bytes.size() > MaxFileSize) return LoadStatus::TooLarge;
    *this = FromBytes(bytes);
    return LoadStatus::Loaded;
}

bool IniFile::Save(const QString& path, QString* error) const {
    return WriteFileSafely(path, ToBytes(), error);
}

int IniFile::FindSection(const QString& section) const {
    const QString wanted = section.trimmed();
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == LineKind::Section && SameName(m_lines[i].name, wanted)) return int(i);
    return -1;
}

int IniFile::FindKey(int sectionLine, const QString& key) const {
    const QString wanted = key.trimmed();
    for (std::size_t i = std::size_t(sectionLine) + 1; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == LineKind::Section) break;
        if (m_lines[i].kind == LineKind::Key && SameName(m_lines[i].name, wanted)) return int(i);
    }
    return -1;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const int sectionLine = FindSection(section);
    if (sectionLine < 0) return defaultValue;
    const int keyLine = FindKey(sectionLine, key);
    return keyLine < 0 ? defaultValue : m_lines[std::size_t(keyLine)].value;
}

bool IniFile::ParseInteger(const QString& text, int* result) {
    const QString t = text.trimmed();
    const bool hex = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    qsizetype pos = hex ? 2 : 0;
    bool negative = false;
    if (!hex && pos < t.size() && (t[pos] == QLatin1Char('+') || t[pos] == QLatin1Char('-'))) {
        negative = t[pos] == QLatin1Char('-');
        ++pos;
    }
    if (pos >= t.size()) return false;
    const int base = hex ? 16 : 10;
    const qint64 limit =
        negative ? qint64(std::numeric_limits<int>::max()) + 1 : std::numeric_limits<int>::max();
    qint64 magnitude = 0;
    for (; pos < t.size(); ++pos) {
        const char16_t c = t[pos].unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0) return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return false;
    }
    *result = int(negative ? -magnitude : magnitude);
    return true;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    int value = 0;
    return ParseInteger(ReadString(section, key, QString()), &value) ? value : defaultValue;
}

void IniFile::EnsureLineEnded(int index) {
    if (index >= 0 && m_lines[std::size_t(index)].eol.isEmpty()) m_lines[std::size_t(index)].eol = crlf;
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty() || HasLineBreakOrNul(section) || HasLineBreakOrNul(key) ||
        HasLineBreakOrNul(value) || sectionName.contains(QLatin1Char(']')) ||
        keyName.contains(QLatin1Char('=')) || keyName.startsWith(QLatin1Char('[')) ||
        keyName.startsWith(QLatin1Char(';')) || keyName.startsWith(QLatin1Char('#')) ||
        keyName.startsWith(QChar(0xFEFF)))
        return false;

    Line newKey;
    newKey.raw = (keyName + QLatin1Char('=') + value).toUtf8();
    newKey.eol = crlf;
    newKey.kind = LineKind::Key;
    newKey.name = keyName;
    newKey.value = value.trimmed();

    const int sectionLine = FindSection(sectionName);
    if (sectionLine < 0) {
        EnsureLineEnded(int(m_lines.size()) - 1);
        Line header;
        header.raw = (QLatin1Char('[') + sectionName + QLatin1Char(']')).toUtf8();
        header.eol = crlf;
        header.kind = LineKind::Section;
        header.name = sectionName;
        m_lines.push_back(std::move(header));
        m_lines.push_back(std::move(newKey));
        return true;
    }

    const int keyLine = FindKey(sectionLine, keyName);
    if (keyLine >= 0) {
        // Keep the line's own spelling of the key and its spacing around '='; only the value changes.
        // That spacing replaces the value's own leading blanks: kept as well, they would be added again
        // by every rewrite of the same value, and the line would grow with each save.
        Line& line = m_lines[std::size_t(keyLine)];
        const auto blank = [](const QByteArray& bytes, qsizetype i) {
            return i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t');
        };
        qsizetype valueStart = line.raw.indexOf('=') + 1;
        while (blank(line.raw, valueStart))
            ++valueStart;
        const QByteArray newValue = value.toUtf8();
        qsizetype newValueStart = 0;
        while (blank(newValue, newValueStart))
            ++newValueStart;
        // A line in an 8-bit code page was read as Latin-1. The new value goes in as UTF-8, so the kept
        // part must too: a line of both would read back as Latin-1, the new value garbled.
        QByteArray kept = line.raw.left(valueStart);
        if (!QByteArrayView(line.raw).isValidUtf8()) kept = QString::fromLatin1(kept).toUtf8();
        line.raw = kept + newValue.mid(newValueStart);
        line.value = newKey.value;
        return true;
    }

    int insertAfter = sectionLine;
    for (std::size_t i = std::size_t(sectionLine) + 1; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == LineKind::Section) break;
        if (m_lines[i].kind == LineKind::Key) insertAfter = int(i);
    }
    EnsureLineEnded(insertAfter);
    m_lines.insert(m_lines.begin() + insertAfter + 1, std::move(newKey));
    return true;
}

} // namespace zeph::settingsfile
