// SPDX-License-Identifier: MIT
// Standard output for results, standard error for messages: one message a line, and a reader that goes
// away (a broken pipe) noticed rather than fatal.
#pragma once

#include <QByteArray>
#include <QString>

namespace zeph::cli {

// The text on one line: the line breaks of the configurator's messages (a line feed and a carriage
// return) become ": ", or a blank after a part that ends in a colon or a full stop.
QString OneLine(const QString& text);

// Writes to standard output at once, so that a pipe sees each report as it comes. False when the reader
// has gone or the write failed otherwise; nothing more is written then.
bool PrintOut(const QByteArray& bytes);
bool PrintOut(const QString& text);
// The reader of standard output has gone (a broken pipe).
bool OutputBroken();
// Why a write to standard output failed for another reason (a full disk, /dev/full); empty when none did.
QString OutputFailure();

// One message line on standard error.
void PrintError(const QString& message);

} // namespace zeph::cli
