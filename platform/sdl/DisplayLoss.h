// What the desktop backend does when its display goes away (the X server
// or the Wayland compositor ends, or the session logs out): say so in one
// line and end the process at once with a non-zero status.
#pragma once

// Installs the watch for the display SDL's video has just opened.
void watchForDisplayLoss();
