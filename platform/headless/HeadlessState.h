// Shared between the two halves of the headless backend (not for users).
#pragma once

#include "platform/headless/Headless.h"

namespace headless {

const Config& currentConfig();
bool noAudioDeviceWanted();

}  // namespace headless
