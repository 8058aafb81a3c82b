// SPDX-License-Identifier: MIT
// Accessible texts set only when they change: every setting tells a listening screen reader, and the
// counters page sets its names and descriptions with every report.
#pragma once

#include <QString>
#include <QWidget>

namespace zeph::app {

inline void SetNameIfChanged(QWidget* widget, const QString& name) {
    if (widget->accessibleName() != name) widget->setAccessibleName(name);
}

inline void SetDescriptionIfChanged(QWidget* widget, const QString& description) {
    if (widget->accessibleDescription() != description) widget->setAccessibleDescription(description);
}

} // namespace zeph::app
