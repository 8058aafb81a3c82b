// SPDX-License-Identifier: MIT
// The two kinds of modal message box the device operations ask the window to show.
#pragma once

namespace zeph::device {

enum class MessageKind { Error, Information };

} // namespace zeph::device
