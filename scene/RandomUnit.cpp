#include "scene/RandomUnit.h"

float randomUnit(std::uint32_t& state) {
    // Only the low 15 bits survive the mask, so the product may wrap freely.
    state = (state * 15625u + 1u) & 0x7FFFu;
    return static_cast<float>(state) / 32768.0f;
}
