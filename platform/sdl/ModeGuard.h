// Keeps the desktop's display mode safe around a real mode switch.
//
// On X11 a mode set with XRandR stays after the process that set it has
// gone. SDL gives the mode back on every orderly way out, but not when the
// program is killed (SIGKILL, the out-of-memory killer) or crashes. So
// before the switch a guardian process is forked: it knows the output's
// setup from before the switch and puts it back when the program ends
// without having said that it did so itself.
#pragma once

namespace modeguard {

// Before switching the mode of SDL display `displayIndex`: saves the setup
// of the XRandR output behind it (its CRTC's mode, position, rotation and
// outputs, and the screen size) and starts the guardian. A crash then tells
// the guardian at once, before it ends as the crash it is. False when no
// such guarantee can be had (not X11, no XRandR 1.3, the display not found,
// no process): the caller must not switch the mode then.
bool arm(int displayIndex);

// The program has given the desktop its mode back itself: the guardian ends
// without touching the display.
void disarm();

// Makes SIGHUP (the terminal closed) and SIGQUIT end the presentation the
// way SIGTERM does, through SDL's quit request. Only where SDL handles
// SIGTERM and the signal has its default action (nohup keeps its SIGHUP).
void endOnHangup();

}  // namespace modeguard
