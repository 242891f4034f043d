#include "assets/AssetLoad.h"

#include "app/Stopwatch.h"

// Placeholder until the pictures arrive: the load ends, as always, by
// starting the presentation's clocks.
void loadAssets() {
    frameClock.restart();
    demoClock.restart();
}
