// The scene's pseudo-random source: a tiny linear congruential generator
// whose values lie in [0, 1). The leaf particles and the photo cards each
// keep their own state, so the choices of one never shift those of the other.
#pragma once

#include <cstdint>

constexpr std::uint32_t randomSeed = 31337303u;

// One step: state = (state * 15625 + 1) & 0x7FFF; returns state / 32768.
float randomUnit(std::uint32_t& state);

// Both are plain integers initialised with a constant, so they hold the seed
// before any global object is constructed (the photo cards draw from theirs
// during start-up).
extern std::uint32_t leafRandomState;
extern std::uint32_t cardRandomState;
