// Helpers of the display tests: bitmap bytes made on the spot, a scratch directory to run in, and the
// game's display (DirectDraw object, primary with back buffer, palette) to draw on.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/ddraw.h"
#include "platform/gdi.h"
#include "platform/resources.h"
#include "tests/support/file_bytes.h"
#include "tests/support/game_display.h"
#include "tests/support/temp_dir.h"

namespace display_test {

inline void Put16(std::vector<BYTE>& v, size_t at, DWORD x) {
    v[at] = BYTE(x);
    v[at + 1] = BYTE(x >> 8);
}
inline void Put32(std::vector<BYTE>& v, size_t at, DWORD x) {
    Put16(v, at, x & 0xFFFF);
    Put16(v, at + 2, x >> 16);
}

// An info header of `headerSize` bytes (fields beyond the 40-byte ones stay 0).
inline std::vector<BYTE> InfoHeader(DWORD headerSize, LONG width, LONG height, WORD bits, DWORD clrUsed,
                                    DWORD compression = BI_RGB) {
    std::vector<BYTE> h(headerSize, 0);
    Put32(h, 0, headerSize);
    Put32(h, 4, DWORD(width));
    Put32(h, 8, DWORD(height));
    Put16(h, 12, 1);
    Put16(h, 14, bits);
    Put32(h, 16, compression);
    Put32(h, 32, clrUsed);
    return h;
}

// A bitmap file: file header, then `dib` (info header, table, pixels); bfOffBits = 14 + offBits.
inline std::vector<BYTE> BitmapFile(const std::vector<BYTE>& dib, DWORD offBits) {
    std::vector<BYTE> f(14 + dib.size(), 0);
    f[0] = 'B';
    f[1] = 'M';
    Put32(f, 2, DWORD(f.size()));
    Put32(f, 10, 14 + offBits);
    if (!dib.empty()) std::memcpy(&f[14], dib.data(), dib.size());
    return f;
}

// An 8-bit DIB (as a bitmap resource holds it): 40-byte header, 256-entry table, rows bottom-up.
// `index` holds the pixels top row first.
inline std::vector<BYTE> Dib8(LONG width, LONG height, const std::vector<RGBQUAD>& table,
                              const std::vector<BYTE>& index, DWORD clrUsed = 256) {
    std::vector<BYTE> d = InfoHeader(40, width, height, 8, clrUsed);
    for (size_t i = 0; i < 256; ++i) {
        RGBQUAD q = i < table.size() ? table[i] : RGBQUAD{0, 0, 0, 0};
        d.push_back(q.rgbBlue);
        d.push_back(q.rgbGreen);
        d.push_back(q.rgbRed);
        d.push_back(q.rgbReserved);
    }
    const size_t row = (size_t(width) + 3) & ~size_t(3);
    for (LONG y = height - 1; y >= 0; --y) {
        for (LONG x = 0; x < width; ++x) d.push_back(index[size_t(y) * width + x]);
        for (size_t p = size_t(width); p < row; ++p) d.push_back(0);
    }
    return d;
}

inline std::vector<BYTE> BitmapFile8(LONG width, LONG height, const std::vector<RGBQUAD>& table,
                                     const std::vector<BYTE>& index) {
    return BitmapFile(Dib8(width, height, table, index), 40 + 1024);
}

inline RGBQUAD Quad(BYTE r, BYTE g, BYTE b, BYTE reserved = 0) { return RGBQUAD{b, g, r, reserved}; }

// The test's scratch directory, which may also have put a resource table of its own in place: the
// program's table comes back when it goes.
class CScratchDirAndTable : public CScratchDir {
public:
    CScratchDirAndTable() { EXPECT_TRUE(Ok()); }
    ~CScratchDirAndTable() { resources::SetTableForTesting(nullptr, 0); }
};

// The game's display (primary with back buffer, palette), with every part of it checked as made.
struct SDisplay : CGameDisplay {
    explicit SDisplay(const PALETTEENTRY* entries = nullptr) : CGameDisplay(entries) {
        EXPECT_NE(pDD, nullptr);
        EXPECT_NE(pPrimary, nullptr);
        EXPECT_NE(pBack, nullptr);
        EXPECT_NE(pPalette, nullptr);
        IDirectDrawPalette* pOnPrimary = nullptr;
        if (pPrimary != nullptr && pPrimary->GetPalette(&pOnPrimary) == DD_OK) pOnPrimary->Release();
        EXPECT_EQ(pOnPrimary, pPalette);
    }
    IDirectDrawSurface* Offscreen(DWORD w, DWORD h) {
        IDirectDrawSurface* p = CGameDisplay::Offscreen(w, h);
        EXPECT_NE(p, nullptr);
        return p;
    }
};

// A palette whose 256 colours are all different: entry i = (i, 255 - i, (i * 7) & 255).
inline std::vector<PALETTEENTRY> DistinctPalette() {
    std::vector<PALETTEENTRY> p(256);
    for (int i = 0; i < 256; ++i) p[i] = PALETTEENTRY{BYTE(i), BYTE(255 - i), BYTE((i * 7) & 255), 0};
    return p;
}

inline std::vector<RGBQUAD> TableOf(const std::vector<PALETTEENTRY>& p) {
    std::vector<RGBQUAD> t;
    for (const PALETTEENTRY& e : p) t.push_back(Quad(e.peRed, e.peGreen, e.peBlue));
    return t;
}

}  // namespace display_test
