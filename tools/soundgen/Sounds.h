// The game's two sound effects, synthesised from fixed seeds with integer arithmetic.
#pragma once

#include <cstdint>
#include <vector>

const uint32_t HIT_RATE = 11025;
const uint32_t HIT_SAMPLES = 1388;  // 0.13 s
const uint32_t EXPLOSION_RATE = 22050;
const uint32_t EXPLOSION_SAMPLES = 11026;  // 0.5 s

// A short bright zap: 8-bit unsigned (silence 128), peak about -6 dBFS.
std::vector<uint8_t> MakeHit();

// A noise burst with a fast attack, a falling tail and a low thump: 16-bit signed, peak about -3 dBFS.
std::vector<int16_t> MakeExplosion();
