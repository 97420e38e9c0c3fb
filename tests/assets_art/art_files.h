// Reading the committed picture files for the asset tests.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/screen.h"
#include "tests/support/file_bytes.h"

struct SRgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const SRgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const SRgb& o) const { return !(*this == o); }
};

inline uint32_t U16(const std::vector<uint8_t>& v, size_t at) { return v[at] | (uint32_t(v[at + 1]) << 8); }
inline uint32_t U32(const std::vector<uint8_t>& v, size_t at) { return U16(v, at) | (U16(v, at + 2) << 16); }

// An 8-bit BMP file of the screen's size: header fields, colour table and pixels (rows top to bottom).
struct SBmp {
    std::vector<uint8_t> bytes;
    bool bValid = false;
    uint32_t nOffBits = 0, nInfoSize = 0, nClrUsed = 0, nSizeImage = 0, nCompression = 0;
    int32_t nWidth = 0, nHeight = 0;
    uint32_t nPlanes = 0, nBitCount = 0;
    std::array<SRgb, 256> table{};
    std::array<uint8_t, 256> reserved{};
    std::vector<uint8_t> pixels;

    uint8_t At(int x, int y) const { return pixels[size_t(y) * SCREEN_WIDTH + x]; }
    SRgb ColorAt(int x, int y) const { return table[At(x, y)]; }
};

inline SBmp LoadBmp(const std::string& name) {
    SBmp b;
    b.bytes = ReadBytes(ResourcePath(name));
    const auto& v = b.bytes;
    if (v.size() < 54 + 1024 || v[0] != 'B' || v[1] != 'M') return b;
    b.nOffBits = U32(v, 10);
    b.nInfoSize = U32(v, 14);
    b.nWidth = int32_t(U32(v, 18));
    b.nHeight = int32_t(U32(v, 22));
    b.nPlanes = U16(v, 26);
    b.nBitCount = U16(v, 28);
    b.nCompression = U32(v, 30);
    b.nSizeImage = U32(v, 34);
    b.nClrUsed = U32(v, 46);
    for (int i = 0; i < 256; ++i) {
        size_t at = 54 + 4 * size_t(i);
        b.table[i] = {v[at + 2], v[at + 1], v[at]};
        b.reserved[i] = v[at + 3];
    }
    const size_t nPixels = size_t(SCREEN_WIDTH) * SCREEN_HEIGHT;
    if (b.nWidth != SCREEN_WIDTH || b.nHeight != SCREEN_HEIGHT || b.nBitCount != 8 || v.size() < b.nOffBits + nPixels)
        return b;
    b.pixels.resize(nPixels);
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            b.pixels[size_t(y) * SCREEN_WIDTH + x] = v[b.nOffBits + size_t(SCREEN_HEIGHT - 1 - y) * SCREEN_WIDTH + x];
    b.bValid = true;
    return b;
}
