// SPDX-License-Identifier: MIT
// Writing files the user can trust: a save leaves either the whole new content or the old file exactly as
// it was, says why it failed in the system's words, and follows no symbolic link somebody else planted.
// Every save of the program goes through here, and so does the opening of the counter log.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace zeph::settingsfile {

// Replaces the file at path with bytes. The bytes go to a new file beside the target, every write checked,
// synced, and renamed over the target. When the folder takes no new file from the user but the file itself
// may be read and written, it is rewritten in place: the room is reserved first, and a write that fails
// anyway puts the old bytes back. A link at path is written through (the file it leads to is replaced, the
// link stays) when the kernel's rule for shared folders lets it be followed. On failure (false) the old
// file is as it was and error, when given, says why: the system's text ("No space left on device"), "not a
// regular file", or that a link was not followed.
bool WriteFileSafely(const QString& path, QByteArrayView bytes, QString* error = nullptr);

// Opens path for writing from its start, creating the file or emptying it, through links only as
// WriteFileSafely follows them and without waiting for a FIFO's reader. Returns a close-on-exec descriptor,
// or -1 with the reason in error.
int OpenFileForWriting(const QString& path, QString* error = nullptr);

// Writes all of bytes at the descriptor's position, resuming after partial writes and interruptions.
// False with the system's reason when a write fails; part of the bytes may then be written.
bool WriteFully(int fd, QByteArrayView bytes, QString* error = nullptr);

// The system's text for an errno value, for example "Permission denied".
QString SystemErrorText(int errorNumber);
// The reason given for a directory, FIFO or device where a file was expected.
QString NotRegularFileText();

} // namespace zeph::settingsfile
