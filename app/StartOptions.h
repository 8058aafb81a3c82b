// What the command line may tell the window: extra port names for the port list and demo mode.
#pragma once

#include <QStringList>

namespace zeph::app {

struct StartOptions {
    QStringList ports; // --port PATH, in the order given
    bool demo = false; // --demo: the simulated device
};

} // namespace zeph::app
