// Copies between 8-bit pixel rectangles: opaque, and with a source colour key that leaves the
// destination alone wherever the source pixel lies in the key's range. The callers check bounds; the
// source and destination rectangles must not overlap in memory.
#pragma once

#include "platform/wintypes.h"

namespace blit8 {

void CopyOpaque(BYTE* dst, LONG dstPitch, const BYTE* src, LONG srcPitch, int width, int height);
// Skips the source values keyLow..keyHigh (keyLow <= keyHigh <= 255).
void CopyKeyed(BYTE* dst, LONG dstPitch, const BYTE* src, LONG srcPitch, int width, int height, BYTE keyLow,
               BYTE keyHigh);

// Which instructions the keyed copy uses; Auto picks the best the processor has. Tests and benchmarks
// try each; false when the processor lacks them.
enum class Path { Auto, Sse2, Avx2, Avx512 };
bool UsePath(Path path);

}  // namespace blit8
