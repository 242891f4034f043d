// Keeps the desktop's display mode safe around a real mode switch.
//
// On X11 a mode set with XRandR stays after the process that set it has
// gone, and nothing in a program that is killed (SIGKILL, the out-of-memory
// killer) can give it back. So before the switch a guardian process is
// forked: it knows the output's setup from before the switch and puts it
// back when asked (leaving full screen, a crash) or when the program ends
// without having said that the desktop is as it was.
#pragma once

namespace modeguard {

// One presentation per X display: a second one would save the first one's
// 640 x 480 as the desktop's own mode and leave it behind. Claims the display
// named by DISPLAY for this process, through an X selection that a
// connection of its own holds until the process ends, killed or not (and,
// after a kill, until the guardian has put the mode back). False when
// another presentation holds it; true when there is nothing to claim (no
// such display).
bool claimDisplay();

// Before switching the mode of SDL display `displayIndex`: saves the setup
// of the XRandR output behind it (its CRTC's mode, position, rotation and
// outputs, and the screen size) and starts the guardian. A crash then tells
// the guardian at once, before it ends as the crash it is. False when no
// such guarantee can be had (not X11, no XRandR 1.3, the display not found,
// no process): the caller must not switch the mode then.
bool arm(int displayIndex);

// Has the guardian put the saved setup back now, waiting for it (a few
// seconds at most). Nothing when not armed.
void restore();

// The desktop has its mode back (or never lost it): the guardian ends
// without touching the display.
void disarm();

// Makes SIGHUP (the terminal closed) and SIGQUIT end the presentation the
// way SIGTERM does, through SDL's quit request. Only where SDL handles
// SIGTERM and the signal has its default action (nohup keeps its SIGHUP).
void endOnHangup();

}  // namespace modeguard
