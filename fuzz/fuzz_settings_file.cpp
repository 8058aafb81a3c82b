// SPDX-License-Identifier: MIT
// Fuzz target: the settings file loader, and saving what it loaded. Input: the file's bytes.
#include "fuzz/FuzzSupport.h"
#include "fuzz/ScratchFiles.h"
#include "settingsfile/IniFile.h"
#include "settingsfile/SettingsFile.h"

using namespace zeph::settingsfile;

namespace {
const QString Date = QStringLiteral("2024.05.06");
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zeph::fuzz::ScratchFiles files;
    const QString path = files.Write(QStringLiteral("input.zsf"), data, size);
    const LoadResult loaded = LoadSettingsFile(path);

    // A settings file is one whose header says so, whatever else it holds.
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool header = IniFile::FromBytes(bytes).ReadString(QStringLiteral("Fejlec"), QStringLiteral("ZT"),
                                                             QString()) == QLatin1String("ZEPH7208");
    FUZZ_CHECK((loaded.outcome == LoadResult::Outcome::Loaded) == header);
    if (!header) {
        FUZZ_CHECK(loaded.values.empty());
        return 0;
    }

    // Every value is one its control can show.
    const auto& keys = SettingsKeys();
    FUZZ_CHECK(loaded.values.size() == keys.size());
    bool nul = false;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const ControlState& state = loaded.values[i];
        switch (keys[i].kind) {
        case ControlKind::RadioGroup:
        case ControlKind::ListBox:
            FUZZ_CHECK(state.index >= -1 && state.index < keys[i].itemCount);
            break;
        case ControlKind::CheckBox:
            break;
        case ControlKind::Edit:
            FUZZ_CHECK(!state.text.contains(QLatin1Char('\r')) && !state.text.contains(QLatin1Char('\n')));
            FUZZ_CHECK(state.text == state.text.trimmed());
            nul = nul || state.text.contains(QChar(0));
            break;
        }
    }

    // Saved over the same file, and into a new one, the values load again unchanged. Only a text holding a
    // NUL character cannot be written.
    for (const bool overExisting : {true, false}) {
        const QString out = overExisting ? path : files.Remove(QStringLiteral("new.zsf"));
        const bool saved = SaveSettingsFile(out, loaded.values, Date);
        FUZZ_CHECK(saved == !nul);
        if (!saved) continue;
        const LoadResult again = LoadSettingsFile(out);
        FUZZ_CHECK(again.outcome == LoadResult::Outcome::Loaded);
        FUZZ_CHECK(again.values == loaded.values);
    }
    return 0;
}
