// Turning 8-bit palette indices into 32-bit ARGB pixels for the screen.
#pragma once

#include "platform/wintypes.h"

namespace palette_convert {

// Entry i of `lut` becomes 0xFFRRGGBB of palette entry i.
void BuildTable(const PALETTEENTRY* palette, uint32_t lut[256]);
// Converts a width x height block of indices; pitches in bytes. Pixel x of row y becomes
// lut[index] at byte offset y * dstPitchBytes + 4 * x of `dst`, whatever the pitches' alignment.
void Convert(const BYTE* src, LONG srcPitch, uint32_t* dst, int dstPitchBytes, int width, int height,
             const uint32_t lut[256]);

// Which instructions the conversion uses; Auto picks the best the processor has. Every path gives the
// same pixels. Tests and benchmarks try each; false when the processor lacks them.
enum class Path { Auto, Scalar, Avx512Vbmi };
bool UsePath(Path path);

}  // namespace palette_convert
