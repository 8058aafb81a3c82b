// SPDX-License-Identifier: MIT
// The two kinds of modal message box the window shows: errors, and the information "Ready.".
#pragma once

namespace zeph::app {

enum class MessageKind { Error, Information };

} // namespace zeph::app
