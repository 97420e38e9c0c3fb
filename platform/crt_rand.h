// The program's random numbers: one shared sequence that starts at state 1 and is never reseeded.
// Each draw sets state = state * 214013 + 2531011 (mod 2^32) and returns bits 16..30 (0..32767).
#pragma once

#include <cstdint>

namespace crt {
int rand();
constexpr int RAND_MAX_VALUE = 0x7fff;
// The current state (golden tests record it).
uint32_t rand_state();
// Tests only: back to the start of the sequence, as at program start.
void rand_reset_for_testing();
}  // namespace crt
