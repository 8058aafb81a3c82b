// SPDX-License-Identifier: MIT
// Fuzz target: the application INI file reader, and writing back what it read. Input: the file's bytes.
#include "fuzz/FuzzSupport.h"
#include "fuzz/ScratchFiles.h"
#include "settingsfile/AppIniFile.h"

using namespace zeph::settingsfile;

namespace {

const QString Date = QStringLiteral("2024.05.06");

bool operator==(const AppIniValues& a, const AppIniValues& b) {
    return a.preferredPort == b.preferredPort && a.p2 == b.p2 && a.portById == b.portById;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zeph::fuzz::ScratchFiles files;
    const QString path = files.Write(QStringLiteral("input.ini"), data, size);
    const AppIniValues values = ReadAppIni(path);
    FUZZ_CHECK(!values.preferredPort.contains(QLatin1Char('\r')) &&
               !values.preferredPort.contains(QLatin1Char('\n')));

    // A run writes back what it read: the file then reads the same.
    WriteAppIni(path, Date, values.preferredPort, values);
    FUZZ_CHECK(ReadAppIni(path) == values);

    // Into a new file, everything but a port holding a NUL character.
    const QString fresh = files.Remove(QStringLiteral("new.ini"));
    WriteAppIni(fresh, Date, values.preferredPort, values);
    AppIniValues expected = values;
    if (values.preferredPort.contains(QChar(0))) expected.preferredPort = AppIniValues().preferredPort;
    FUZZ_CHECK(ReadAppIni(fresh) == expected);
    return 0;
}
