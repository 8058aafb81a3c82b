// SPDX-License-Identifier: MIT
// The kinds of modal message box the window shows: errors, warnings that leave the work going on (a serial
// server that did not take a setting), and the information "Ready".
#pragma once

namespace zeph::app {

enum class MessageKind { Error, Warning, Information };

} // namespace zeph::app
