// SPDX-License-Identifier: MIT
// Settings pages that the tests share: the worked example and a page that differs from it in
// every control.
#pragma once

#include "device/SettingsBlock.h"

#include <QMetaType>

#include <functional>

namespace zeph::test {

using PageEdit = std::function<void(device::SettingsPageState&)>;

// The device's factory record as the page must show it: input 1 contact, input 2 NAMUR counting
// openings without debouncing, the rest NAMUR, debounced, closings; Even, 19200, address 1, termination.
inline device::SettingsPageState WorkedExamplePage() {
    device::SettingsPageState page;
    page.inputType = {1, 0, 0, 0, 0, 0, 0, 0};
    page.countedEdge = {0, 1, 0, 0, 0, 0, 0, 0};
    page.debounced = {true, false, true, true, true, true, true, true};
    page.maxTimeText = {"60000", "1000", "1000", "1000", "1000", "1000", "1000", "1000"};
    page.parity = 1;
    page.baudRate = 7;
    page.addressText = "1";
    page.pullResistors = false;
    page.termination = true;
    page.commTimeoutText = "100";
    page.answerDelayText = "5";
    return page;
}

// A page that differs from the example in every control, to see whether a read or a load overwrote it.
inline device::SettingsPageState MarkerPage() {
    device::SettingsPageState page;
    page.inputType.fill(0);
    page.countedEdge.fill(1);
    page.debounced.fill(false);
    page.maxTimeText.fill("77");
    page.parity = 2;
    page.baudRate = 0;
    page.addressText = "99";
    page.pullResistors = true;
    page.commTimeoutText = "7";
    page.answerDelayText = "9";
    return page;
}

} // namespace zeph::test

Q_DECLARE_METATYPE(zeph::test::PageEdit)
