// What the desktop backend does before SDL picks its Wayland driver.
#pragma once

// The Wayland driver of SDL 2.26 dereferences the compositor's input seat
// unconditionally while it starts, so it crashes under a compositor that
// offers none (weston's headless backend). When the driver choice in effect
// names "wayland" and the compositor that SDL would reach has no seat, this
// takes "wayland" out of the choice and returns true. It also keeps libdecor
// (window decorations SDL would load for a full-screen window that shows
// none) out.
bool leaveOutSeatlessWayland();
