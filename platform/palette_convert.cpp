#include "platform/palette_convert.h"

#include <cstring>

namespace palette_convert {

void BuildTable(const PALETTEENTRY* palette, uint32_t lut[256]) {
    for (int i = 0; i < 256; ++i) {
        lut[i] = 0xFF000000u | (uint32_t(palette[i].peRed) << 16) | (uint32_t(palette[i].peGreen) << 8) |
                 palette[i].peBlue;
    }
}

void Convert(const BYTE* src, LONG srcPitch, uint32_t* dst, int dstPitchBytes, int width, int height,
             const uint32_t lut[256]) {
    for (int y = 0; y < height; ++y) {
        const BYTE* s = src + ptrdiff_t(y) * srcPitch;
        uint32_t* d = reinterpret_cast<uint32_t*>(reinterpret_cast<BYTE*>(dst) + ptrdiff_t(y) * dstPitchBytes);
        int x = 0;
        // Four indices at a time from one word.
        for (; x + 4 <= width; x += 4) {
            uint32_t w;
            std::memcpy(&w, s + x, 4);
            d[x] = lut[w & 0xFF];
            d[x + 1] = lut[(w >> 8) & 0xFF];
            d[x + 2] = lut[(w >> 16) & 0xFF];
            d[x + 3] = lut[w >> 24];
        }
        for (; x < width; ++x) d[x] = lut[s[x]];
    }
}

}  // namespace palette_convert
