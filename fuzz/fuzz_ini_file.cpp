// SPDX-License-Identifier: MIT
// Fuzz target: the keyed INI layer. A document is parsed, written back, given one key, and read again.
// Input: section, key, value, then another section and key (each a field), then the document's bytes.
#include "fuzz/FuzzSupport.h"
#include "settingsfile/IniFile.h"

using zeph::fuzz::InputReader;
using zeph::settingsfile::IniFile;

namespace {

const QString Absent = QStringLiteral("\x01absent");

bool SameName(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

bool HasLineBreakOrNul(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

// The names and values a write must refuse, as the layer documents them.
bool Refused(const QString& section, const QString& key, const QString& value) {
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    return s.isEmpty() || k.isEmpty() || HasLineBreakOrNul(section) || HasLineBreakOrNul(key) ||
           HasLineBreakOrNul(value) || s.contains(QLatin1Char(']')) || k.contains(QLatin1Char('=')) ||
           k.startsWith(QLatin1Char('[')) || k.startsWith(QLatin1Char(';')) ||
           k.startsWith(QLatin1Char('#')) || k.startsWith(QChar(0xFEFF));
}

// An integer as the layer reads it comes back from its decimal and hexadecimal forms.
void CheckInteger(const QString& text) {
    int value = 0;
    if (!IniFile::ParseInteger(text, &value)) return;
    int again = 0;
    FUZZ_CHECK(IniFile::ParseInteger(QString::number(value), &again) && again == value);
    if (value >= 0)
        FUZZ_CHECK(IniFile::ParseInteger(QStringLiteral("0x") + QString::number(value, 16), &again) &&
                   again == value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    const QString section = QString::fromUtf8(in.Field());
    const QString key = QString::fromUtf8(in.Field());
    const QString value = QString::fromUtf8(in.Field());
    const QString otherSection = QString::fromUtf8(in.Field());
    const QString otherKey = QString::fromUtf8(in.Field());
    const QByteArray document = in.Rest();

    // Every line is kept exactly as read.
    IniFile ini = IniFile::FromBytes(document);
    FUZZ_CHECK(ini.ToBytes() == document);
    const QString otherBefore = ini.ReadString(otherSection, otherKey, Absent);
    CheckInteger(ini.ReadString(section, key, QString()));
    CheckInteger(value);

    const bool written = ini.WriteString(section, key, value);
    FUZZ_CHECK(written == !Refused(section, key, value));
    const QByteArray after = ini.ToBytes();
    if (!written) {
        FUZZ_CHECK(after == document);
        return 0;
    }
    // The value reads back as written, also from the saved bytes, and no other key changes.
    const IniFile reread = IniFile::FromBytes(after);
    FUZZ_CHECK(reread.ToBytes() == after);
    FUZZ_CHECK(ini.ReadString(section, key, Absent) == value.trimmed());
    FUZZ_CHECK(reread.ReadString(section, key, Absent) == value.trimmed());
    if (!SameName(section, otherSection) || !SameName(key, otherKey)) {
        FUZZ_CHECK(ini.ReadString(otherSection, otherKey, Absent) == otherBefore);
        FUZZ_CHECK(reread.ReadString(otherSection, otherKey, Absent) == otherBefore);
    }
    // Writing the same again changes nothing.
    IniFile twice = reread;
    FUZZ_CHECK(twice.WriteString(section, key, value) && twice.ToBytes() == after);
    return 0;
}
