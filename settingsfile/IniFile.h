// SPDX-License-Identifier: MIT
// A keyed INI document with profile-function semantics, shared by the application INI file and the
// settings file: tolerant parsing, case-blind names, in-place writes and a safe save.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace zeph::settingsfile {

class IniFile {
public:
    // Settings files are a few KB; anything bigger is not ours and is never read whole.
    static constexpr qint64 MaxFileSize = 1024 * 1024;

    enum class LoadStatus {
        Loaded,   // read and parsed
        Missing,  // no such file: an empty document, every read gives its default
        TooLarge, // over MaxFileSize: refused, the document is left empty
        ReadError // exists but cannot be read, or is not a regular file
    };

    IniFile() = default;

    // Any bytes parse; lines end in LF, CR LF or a lone CR. Lines are kept exactly for a later save.
    static IniFile FromBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;

    // Replaces this document with the file's content (or an empty one when the load fails). For Missing
    // and ReadError, error (when given) says why: the system's reason or "not a regular file". Nothing
    // but a regular file is opened, and that without waiting, so a FIFO or device never blocks the load.
    LoadStatus Load(const QString& path, QString* error = nullptr);

    // Writes the whole document with WriteFileSafely (SafeFile.h): on failure the old file keeps its bytes
    // and error (when given) says why.
    bool Save(const QString& path, QString* error = nullptr) const;

    // First matching key of the first matching section; the value is trimmed. A present key with an
    // empty value reads as empty, not as the default.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal with an optional sign, or 0x followed by hex digits; anything else (also anything outside
    // the signed 32-bit range) gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;

    // Replaces the value in place, or adds the key after the last key of its section, or adds the
    // section at the end. Refuses (returns false, changes nothing) names that are empty after trimming
    // or that could not be read back as written: line breaks or NUL anywhere, ']' in a section name,
    // '=' in a key name, a key starting with '[', ';', '#' or a byte-order mark (which reading drops from
    // the start of every line); and values with line breaks or NUL.
    bool WriteString(const QString& section, const QString& key, const QString& value);

    // Every section header and key in file order, with its line (from 1), for a reader that checks every
    // name and tells where a fault is. A key before the first section has an empty section. Lines that
    // are neither (comments, blank lines, text without '=') are left out; Unparsed lists those that are
    // not blank or comments.
    struct Entry {
        int line = 0;
        QString section;
        QString key; // empty for a section header
        QString value;
    };
    std::vector<Entry> Entries() const;
    std::vector<int> UnparsedLines() const;

    // Parses strict integers the same way ReadInteger does; exposed for callers holding plain text.
    static bool ParseInteger(const QString& text, int* result);

private:
    enum class LineKind { Other, Section, Key };
    struct Line {
        QByteArray raw; // content without its line ending, exactly as read
        QByteArray eol; // "\r\n", "\n", "\r" or empty for a last line without one
        LineKind kind = LineKind::Other;
        QString name;  // trimmed section or key name
        QString value; // trimmed value of a key line
    };

    static Line ParseLine(const QByteArray& raw, bool firstLine);
    static QString Decode(const QByteArray& bytes);
    int FindSection(const QString& section) const; // index of the header line or -1
    int FindKey(int sectionLine, const QString& key) const;
    void EnsureLineEnded(int index);

    std::vector<Line> m_lines;
};

} // namespace zeph::settingsfile
