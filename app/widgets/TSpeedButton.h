// SPDX-License-Identifier: MIT
// A sticky toggle button: stays down until pressed again.
#pragma once

#include <QPushButton>

namespace zeph::app {

// Connect handlers to clicked(): it comes only from the user and after Down() has changed.
// SetDown from code never runs a click handler.
class TSpeedButton : public QPushButton {
    Q_OBJECT
public:
    TSpeedButton(const QString& name, const QString& caption, QWidget* parent = nullptr);

    bool Down() const { return isChecked(); }
    void SetDown(bool down) { setChecked(down); }
};

} // namespace zeph::app
