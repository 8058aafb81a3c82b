// SPDX-License-Identifier: MIT
// Makes a widget with its object name, the name tests find it by.
#pragma once

#include <QLatin1String>

#include <utility>

namespace zeph::app {

template <typename Widget, typename... Arguments>
Widget* MakeNamed(const char* name, Arguments&&... arguments) {
    auto* widget = new Widget(std::forward<Arguments>(arguments)...);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace zeph::app
