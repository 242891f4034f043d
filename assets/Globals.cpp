// Every long-lived object of the presentation, defined in one place so that
// they are constructed in this order at start-up and destroyed in reverse.
#include "app/Stopwatch.h"

Stopwatch frameClock;
Stopwatch demoClock;
