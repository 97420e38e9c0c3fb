// Turning 8-bit palette indices into 32-bit ARGB pixels for the screen.
#pragma once

#include "platform/wintypes.h"

namespace palette_convert {

// Entry i of `lut` becomes 0xFFRRGGBB of palette entry i.
void BuildTable(const PALETTEENTRY* palette, uint32_t lut[256]);
// Converts a width x height block of indices; pitches in bytes.
void Convert(const BYTE* src, LONG srcPitch, uint32_t* dst, int dstPitchBytes, int width, int height,
             const uint32_t lut[256]);

}  // namespace palette_convert
