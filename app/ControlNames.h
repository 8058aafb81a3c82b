// SPDX-License-Identifier: MIT
// The designer's names of the per-input families whose numbering does not follow the input number.
#pragma once

#include <array>

namespace zeph::app {

// Group box of inputs 1 to 8.
inline constexpr std::array<const char*, 8> InputGroupBoxNames = {"GroupBox8",  "GroupBox22", "GroupBox18",
                                                                  "GroupBox19", "GroupBox20", "GroupBox21",
                                                                  "GroupBox40", "GroupBox41"};

// Second line of the debounce box of inputs 1 to 8.
inline constexpr std::array<const char*, 8> DebounceLabelNames = {"Label4",  "Label9",  "Label10", "Label13",
                                                                  "Label14", "Label15", "Label17", "Label16"};

} // namespace zeph::app
