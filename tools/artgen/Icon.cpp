#include "Icon.h"

#include <algorithm>

#include "DetMath.h"
#include "ImageFiles.h"
#include "Models.h"

namespace {

const SColor VGA16[16] = {{0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
                          {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
                          {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

// The nearest of the 16 colours, strong colours first boosted in saturation, so that orange and blue stay bright
// instead of falling to the dull half-tones.
int NearestVga(SColor c) {
    int grey = (c.r + c.g + c.b) / 3;
    int hi = std::max(c.r, std::max(c.g, c.b)), lo = std::min(c.r, std::min(c.g, c.b));
    SColor s =
        hi - lo < 90 ? c : Rgb(grey + (c.r - grey) * 8 / 5, grey + (c.g - grey) * 8 / 5, grey + (c.b - grey) * 8 / 5);
    int best = 0, bestD = 1 << 30;
    for (int i = 0; i < 16; ++i) {
        int dr = s.r - VGA16[i].r, dg = s.g - VGA16[i].g, db = s.b - VGA16[i].b;
        int d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

void AppendImage(std::vector<uint8_t>& out, const CCanvas& img) {
    const int n = img.Width();
    const uint32_t xorStride = ((uint32_t(n) * 4 + 31) / 32) * 4, andStride = ((uint32_t(n) + 31) / 32) * 4;
    PutU32(out, 40);
    PutU32(out, uint32_t(n));
    PutU32(out, uint32_t(2 * n));  // colour rows and mask rows
    PutU16(out, 1);
    PutU16(out, 4);
    PutU32(out, 0);
    PutU32(out, (xorStride + andStride) * uint32_t(n));
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    for (const SColor& c : VGA16) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(xorStride, 0);
        for (int x = 0; x < n; ++x) {
            int v = img.IsOpaque(x, y) ? NearestVga(img.Get(x, y)) : 0;
            row[size_t(x / 2)] |= uint8_t((x & 1) ? v : (v << 4));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(andStride, 0);
        for (int x = 0; x < n; ++x)
            if (!img.IsOpaque(x, y)) row[size_t(x / 8)] |= uint8_t(0x80 >> (x & 7));
        out.insert(out.end(), row.begin(), row.end());
    }
}

}  // namespace

CCanvas RenderIconImage(int nSize) {
    CCanvas img(nSize, nSize);
    SRenderParams rp;
    rp.dScale = (nSize - 2) / 53.0;
    rp.dOriginX = nSize / 2.0;
    rp.dOriginY = nSize / 2.0;
    rp.outline = {0, 0, 0};
    rp.nShadowDarken = 0;
    rp.dSeamDepth = 100;  // no seams at this size
    RenderModel(BuildCraftModel(), img, 0, 0, nSize, nSize, rp);
    // take it to the 16 colours here, so that the preview shows what the icon holds
    for (int y = 0; y < nSize; ++y)
        for (int x = 0; x < nSize; ++x)
            if (img.IsOpaque(x, y)) img.Set(x, y, VGA16[NearestVga(img.Get(x, y))]);
    return img;
}

std::vector<uint8_t> BuildIconFile() {
    CCanvas big = RenderIconImage(32), small = RenderIconImage(16);
    std::vector<uint8_t> images[2];
    AppendImage(images[0], big);
    AppendImage(images[1], small);
    std::vector<uint8_t> out;
    PutU16(out, 0);  // reserved
    PutU16(out, 1);  // icon
    PutU16(out, 2);  // images
    uint32_t offset = 6 + 2 * 16;
    const int sizes[2] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        out.push_back(uint8_t(sizes[i]));
        out.push_back(uint8_t(sizes[i]));
        out.push_back(16);  // colours
        out.push_back(0);
        PutU16(out, 1);  // planes
        PutU16(out, 4);  // bits a pixel
        PutU32(out, uint32_t(images[i].size()));
        PutU32(out, offset);
        offset += uint32_t(images[i].size());
    }
    for (auto& img : images) out.insert(out.end(), img.begin(), img.end());
    return out;
}
