// The soundtrack's stream and whether its start has been attempted.
#pragma once

#include "platform/audio.h"

extern HSTREAM musicStream;
extern bool musicStarted;

// The music file, opened from the current directory.
constexpr const char* musicFileName = "90secver.ogg";
