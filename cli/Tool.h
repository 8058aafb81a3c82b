// SPDX-License-Identifier: MIT
// The zeph7208 program as a function of its arguments, so that it can be run and tested in one place.
#pragma once

#include <QStringList>

namespace zeph::cli {

// Parses the arguments (arguments[0] is the program), runs the command and returns the exit status. A
// termination signal or a reader that went away ends the program by that signal, after the port has been
// closed.
int RunTool(const QStringList& arguments);

} // namespace zeph::cli
