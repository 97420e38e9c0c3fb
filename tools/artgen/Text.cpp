#include "Text.h"

#include <ft2build.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include FT_FREETYPE_H
#include "DetMath.h"

CFontFace::CFontFace(const char* pszPath) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) return;
    m_pLibrary = lib;
    FT_Face face = nullptr;
    if (FT_New_Face(lib, pszPath, 0, &face) != 0) {
        std::fprintf(stderr, "artgen: cannot open font %s\n", pszPath);
        return;
    }
    m_pFace = face;
}

CFontFace::~CFontFace() {
    if (m_pFace) FT_Done_Face(static_cast<FT_Face>(m_pFace));
    if (m_pLibrary) FT_Done_FreeType(static_cast<FT_Library>(m_pLibrary));
}

namespace {
struct SGlyphInk {
    int x, y;  // top-left on the pen plane (y grows down, baseline at 0)
    int w, h;
    std::vector<uint8_t> a;
};
}  // namespace

SAlphaMask CFontFace::Render(const std::string& text, int nPixelHeight, bool bMono, int nTracking, int nMargin) const {
    SAlphaMask out;
    if (!m_pFace) return out;
    FT_Face face = static_cast<FT_Face>(m_pFace);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(nPixelHeight));
    std::vector<SGlyphInk> aInk;
    int pen = 0;
    FT_UInt prev = 0;
    for (unsigned char ch : text) {
        FT_UInt gi = FT_Get_Char_Index(face, ch);
        if (prev && gi && FT_HAS_KERNING(face)) {
            FT_Vector k;
            if (FT_Get_Kerning(face, prev, gi, FT_KERNING_DEFAULT, &k) == 0) pen += static_cast<int>(k.x >> 6);
        }
        FT_Int32 flags = FT_LOAD_RENDER | (bMono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
        if (FT_Load_Glyph(face, gi, flags) != 0) continue;
        FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        SGlyphInk ink{pen + g->bitmap_left, -g->bitmap_top, static_cast<int>(bm.width), static_cast<int>(bm.rows), {}};
        ink.a.resize(size_t(ink.w) * ink.h);
        for (int y = 0; y < ink.h; ++y)
            for (int x = 0; x < ink.w; ++x) {
                const unsigned char* row = bm.buffer + y * bm.pitch;
                uint8_t v =
                    bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0) : row[x];
                ink.a[size_t(y) * ink.w + x] = v;
            }
        if (ink.w > 0 && ink.h > 0) aInk.push_back(std::move(ink));
        pen += static_cast<int>(g->advance.x >> 6) + nTracking;
        prev = gi;
    }
    if (aInk.empty()) return out;
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    for (auto& g : aInk) {
        x0 = std::min(x0, g.x);
        y0 = std::min(y0, g.y);
        x1 = std::max(x1, g.x + g.w);
        y1 = std::max(y1, g.y + g.h);
    }
    out.nWidth = x1 - x0 + 2 * nMargin;
    out.nHeight = y1 - y0 + 2 * nMargin;
    out.nBaseline = -y0 + nMargin;
    out.aAlpha.assign(size_t(out.nWidth) * out.nHeight, 0);
    for (auto& g : aInk)
        for (int y = 0; y < g.h; ++y)
            for (int x = 0; x < g.w; ++x) {
                uint8_t& d = out.aAlpha[size_t(g.y - y0 + nMargin + y) * out.nWidth + (g.x - x0 + nMargin + x)];
                d = std::max(d, g.a[size_t(y) * g.w + x]);
            }
    return out;
}

SAlphaMask DilateMask(const SAlphaMask& mask, int nRadius) {
    SAlphaMask out;
    out.nWidth = mask.nWidth + 2 * nRadius;
    out.nHeight = mask.nHeight + 2 * nRadius;
    out.nBaseline = mask.nBaseline + nRadius;
    out.aAlpha.assign(size_t(out.nWidth) * out.nHeight, 0);
    for (int y = 0; y < out.nHeight; ++y)
        for (int x = 0; x < out.nWidth; ++x) {
            int best = 0;
            for (int dy = -nRadius; dy <= nRadius; ++dy)
                for (int dx = -nRadius; dx <= nRadius; ++dx) {
                    if (dx * dx + dy * dy > nRadius * nRadius + nRadius) continue;
                    best = std::max(best, int(mask.At(x - nRadius + dx, y - nRadius + dy)));
                }
            out.aAlpha[size_t(y) * out.nWidth + x] = static_cast<uint8_t>(best);
        }
    return out;
}

SAlphaMask SlantMask(const SAlphaMask& mask, double dSlant) {
    int extra = RoundInt(dSlant * mask.nHeight) + 1;
    SAlphaMask out;
    out.nWidth = mask.nWidth + extra;
    out.nHeight = mask.nHeight;
    out.nBaseline = mask.nBaseline;
    out.aAlpha.assign(size_t(out.nWidth) * out.nHeight, 0);
    for (int y = 0; y < mask.nHeight; ++y) {
        int shift = RoundInt((mask.nHeight - 1 - y) * dSlant);
        for (int x = 0; x < mask.nWidth; ++x) out.aAlpha[size_t(y) * out.nWidth + x + shift] = mask.At(x, y);
    }
    return out;
}

void PaintMask(CCanvas& canvas, const SAlphaMask& mask, int x, int y, SColor c, bool bHard, int nThreshold) {
    for (int j = 0; j < mask.nHeight; ++j)
        for (int i = 0; i < mask.nWidth; ++i) {
            int a = mask.At(i, j);
            if (a == 0) continue;
            if (bHard) {
                if (a >= nThreshold) canvas.Set(x + i, y + j, c);
            } else {
                canvas.Blend(x + i, y + j, c, a + (a >> 7));
            }
        }
}
