// Numbered time stamps in "log.txt", one per space-bar press.
#pragma once

void openTimingLog();
void writeTimeStamp();
