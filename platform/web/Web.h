// Shared between the halves of the browser backend (not for the program).
#pragma once

namespace web {

// The program's clock in seconds: real time from the page's clock, or, on
// the test frame clock (?frame_clock=FPS), the frames presented and the
// pauses slept, as on the headless backend.
double counterSeconds();

// Whether the test frame clock runs.
bool onFrameClock();

// Waits until the music stream opened last has been decoded (or found
// undecodable, which it reports); at once when there is nothing to wait for.
void settleMusic();

}  // namespace web
