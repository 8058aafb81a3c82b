// SPDX-License-Identifier: MIT
// A sticky toggle button: stays down until pressed again.
#include "app/widgets/TSpeedButton.h"

namespace zeph::app {

TSpeedButton::TSpeedButton(const QString& name, const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setObjectName(name);
    setCheckable(true);
}

} // namespace zeph::app
