#include "log/TimingLog.h"

void openTimingLog() {}
void writeTimeStamp() {}
