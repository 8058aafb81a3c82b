// SPDX-License-Identifier: MIT
// The settings file (".zsf"): the settings-page control states under the controls' own names.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace zeph::settingsfile {

enum class ControlKind { RadioGroup, CheckBox, ListBox, Edit };

struct SettingsKey {
    QString name; // the control's object name, also the key in section "Beallitas"
    ControlKind kind;
    int itemCount; // items of a radio group or list box; 0 for check boxes and edits
};

// The 39 keys of section "Beallitas" in writing order.
const std::vector<SettingsKey>& SettingsKeys();
// Position of a key in SettingsKeys() (names compared without regard to case), or -1.
int SettingsKeyIndex(const QString& name);

// One control's state: index for radio groups and list boxes (-1 = no choice), checked for check
// boxes, text for edits. The fields a kind does not use are ignored when saving.
struct ControlState {
    int index = -1;
    bool checked = false;
    QString text;

    friend bool operator==(const ControlState&, const ControlState&) = default;
};

// One state per key, in the order of SettingsKeys().
using SettingsValues = std::vector<ControlState>;

// Why a save failed, so that the user can be told the real reason.
enum class SaveFailure {
    None,
    ExistingFileTooLarge,   // the chosen file is larger than any settings file; it is left alone
    ExistingFileUnreadable, // the chosen file cannot be read, so its other sections could not be kept
    NotWritten              // the new content could not be written (read-only storage, no room) or stored
};

// Writes the header, the 39 keys and the date into the file at path, keeping every other section and
// key of an existing file where it was, and replaces the file with WriteFileSafely (SafeFile.h): on
// failure (returns false, failure says what kind of fault it was, error why) the old file is exactly as it
// was. For a file refused before writing, error is a sentence for the user; for one that could not be
// written, the system's reason. A missing file is created.
bool SaveSettingsFile(const QString& path, const SettingsValues& values, const QString& date,
                      QString* error = nullptr, SaveFailure* failure = nullptr);

// The bytes a save into a new file writes, without writing them anywhere.
std::optional<QByteArray> NewSettingsFileBytes(const SettingsValues& values, const QString& date,
                                               QString* error = nullptr);

struct LoadResult {
    enum class Outcome {
        // Empty, oversized, or the header is not "ZEPH7208". The whole file is read before its header is
        // examined, so no read can fail after a good header.
        NotSettingsFile,
        // Missing, not readable, or not a regular file (a folder, FIFO or device): reason says which.
        Unreadable,
        Loaded
    };
    Outcome outcome = Outcome::NotSettingsFile;
    SettingsValues values; // filled only when Loaded, already clamped to what each control can show
    QString reason;        // only when Unreadable: the system's text or "not a regular file"
};

LoadResult LoadSettingsFile(const QString& path);

} // namespace zeph::settingsfile
