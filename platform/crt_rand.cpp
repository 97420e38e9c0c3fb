#include "platform/crt_rand.h"

namespace crt {
namespace {
uint32_t g_state = 1;
}

int rand() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7fff);
}

uint32_t rand_state() { return g_state; }

void rand_reset_for_testing() { g_state = 1; }
}  // namespace crt
