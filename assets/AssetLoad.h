// The one-time load of every asset, on the first frame: opens the timing
// log, makes every texture, builds the font, fills the particle systems and
// finally starts the presentation's clocks.
#pragma once

// Needs the current rendering context and the window's device context.
void loadAssets();
