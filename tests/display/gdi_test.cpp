// The GDI stand-in: bitmap loading (and refusing damaged bitmaps), device contexts, StretchBlt and
// pixels through the display palette.
#include <gtest/gtest.h>

#include "platform/ddraw_testing.h"
#include "tests/display/display_fixture.h"

using namespace display_test;

namespace {

struct SBitmapInfo {
    LONG w = 0, h = 0;
    WORD bits = 0;
    const BYTE* index = nullptr;
    const uint32_t* rgb = nullptr;
};

SBitmapInfo Info(HBITMAP h) {
    BITMAP bm;
    std::memset(&bm, 0, sizeof(bm));
    SBitmapInfo i;
    if (GetObjectA(h, sizeof(bm), &bm) != int(sizeof(bm))) return i;
    i.w = bm.bmWidth;
    i.h = bm.bmHeight;
    i.bits = bm.bmBitsPixel;
    if (i.bits == 8) i.index = static_cast<const BYTE*>(bm.bmBits);
    else i.rgb = static_cast<const uint32_t*>(bm.bmBits);
    return i;
}

HBITMAP LoadFile(const char* name, int cx = 0, int cy = 0) {
    return static_cast<HBITMAP>(LoadImageA(nullptr, name, IMAGE_BITMAP, cx, cy, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// A 3x2 8-bit picture: indices 0..5 top row first, table entry i = (10 i, 20 i, 30 i).
std::vector<BYTE> SmallFile8() {
    std::vector<RGBQUAD> t;
    for (int i = 0; i < 256; ++i) t.push_back(Quad(BYTE(10 * i), BYTE(20 * i), BYTE(30 * i)));
    return BitmapFile8(3, 2, t, {0, 1, 2, 3, 4, 5});
}

}  // namespace

TEST(Gdi, LoadsBitmapsOfEveryKindFromFilesAndResources) {
    CScratchDirAndTable dir;
    const int live = gdi_internal::LiveObjectCount();

    WriteBytes("eight", SmallFile8());
    HBITMAP h = LoadFile("eight");
    ASSERT_NE(h, nullptr);
    SBitmapInfo i = Info(h);
    EXPECT_EQ(i.w, 3);
    EXPECT_EQ(i.h, 2);
    ASSERT_EQ(i.bits, 8);
    EXPECT_EQ(std::vector<BYTE>(i.index, i.index + 6), (std::vector<BYTE>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(DeleteObject(h));

    // Scaled on loading: 3x2 to 6x1, nearest neighbour.
    h = LoadFile("eight", 6, 1);
    i = Info(h);
    ASSERT_EQ(i.w, 6);
    ASSERT_EQ(i.h, 1);
    EXPECT_EQ(std::vector<BYTE>(i.index, i.index + 6), (std::vector<BYTE>{3, 3, 4, 4, 5, 5}));
    DeleteObject(h);
    EXPECT_EQ(LoadFile("eight", -1, 0), nullptr);

    // 4-bit, top-down: two rows of 3 pixels, 4 bytes a row.
    std::vector<BYTE> dib = InfoHeader(40, 3, -2, 4, 0);
    for (int k = 0; k < 16; ++k) dib.insert(dib.end(), {BYTE(k), 0, 0, 0});
    dib.insert(dib.end(), {0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0});
    WriteBytes("four", BitmapFile(dib, 40 + 64));
    h = LoadFile("four");
    i = Info(h);
    ASSERT_EQ(i.bits, 8);
    EXPECT_EQ(std::vector<BYTE>(i.index, i.index + 6), (std::vector<BYTE>{1, 2, 3, 4, 5, 6}));
    DeleteObject(h);

    // 1-bit, bottom-up: 10 pixels a row.
    dib = InfoHeader(40, 10, 2, 1, 0);
    dib.insert(dib.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    dib.insert(dib.end(), {0xFF, 0xC0, 0, 0, 0x80, 0x40, 0, 0});  // bottom row, then top row
    WriteBytes("one", BitmapFile(dib, 40 + 8));
    h = LoadFile("one");
    i = Info(h);
    ASSERT_EQ(i.w, 10);
    EXPECT_EQ(std::vector<BYTE>(i.index, i.index + 10), (std::vector<BYTE>{1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(std::vector<BYTE>(i.index + 10, i.index + 20), (std::vector<BYTE>(10, 1)));
    DeleteObject(h);

    // 24- and 32-bit.
    dib = InfoHeader(40, 2, 1, 24, 0);
    dib.insert(dib.end(), {1, 2, 3, 4, 5, 6, 0, 0});
    WriteBytes("rgb24", BitmapFile(dib, 40));
    h = LoadFile("rgb24");
    i = Info(h);
    ASSERT_EQ(i.bits, 32);
    EXPECT_EQ(i.rgb[0], 0x030201u);
    EXPECT_EQ(i.rgb[1], 0x060504u);
    DeleteObject(h);
    dib = InfoHeader(124, 1, 1, 32, 0);
    dib.insert(dib.end(), {7, 8, 9, 0});
    WriteBytes("rgb32", BitmapFile(dib, 124));
    h = LoadFile("rgb32");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Info(h).rgb[0], 0x090807u);
    DeleteObject(h);

    // A resource holds the DIB without the file header; names compare without regard to case.
    std::vector<BYTE> res = Dib8(3, 2, {}, {5, 4, 3, 2, 1, 0});
    ResourceEntry table[] = {{RT_BITMAP, "PIC", res.data(), DWORD(res.size())}};
    resources::SetTableForTesting(table, 1);
    h = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "pic", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Info(h).index[0], 5);
    DeleteObject(h);
    EXPECT_EQ(LoadImageA(GetModuleHandleA(nullptr), "eight", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr)
        << "without LR_LOADFROMFILE no file is read";
    EXPECT_EQ(LoadFile("nothing-here"), nullptr);

    EXPECT_EQ(gdi_internal::LiveObjectCount(), live);
}

TEST(Gdi, DamagedBitmapsAreRefused) {
    CScratchDirAndTable dir;
    const std::vector<BYTE> good = SmallFile8();
    struct Case {
        const char* what;
        size_t at;  // 0: no change
        std::vector<BYTE> bytes;
        size_t keep;  // bytes of the file kept (0: all)
    } cases[] = {
        {"no BM signature", 0, {}, 0},
        {"header size 41", 14, {41, 0, 0, 0}, 0},
        {"108-byte header past the end", 14, {108, 0, 0, 0}, 14 + 60},
        {"width 0", 18, {0, 0, 0, 0}, 0},
        {"width 16385", 18, {0x01, 0x40, 0, 0}, 0},
        {"negative width", 18, {0xFF, 0xFF, 0xFF, 0xFF}, 0},
        {"height 0", 22, {0, 0, 0, 0}, 0},
        {"height -2^31", 22, {0, 0, 0, 0x80}, 0},
        {"two planes", 26, {2, 0}, 0},
        {"16 bits", 28, {16, 0}, 0},
        {"7 bits", 28, {7, 0}, 0},
        {"run-length compressed", 30, {1, 0, 0, 0}, 0},
        {"bit fields", 30, {3, 0, 0, 0}, 0},
        {"table of 257", 46, {1, 1, 0, 0}, 0},
        {"pixels past the end", 10, {0xFF, 0xFF, 0, 0}, 0},
        {"pixels inside the table", 10, {54, 0, 0, 0}, 0},
        {"offset below the file header", 10, {3, 0, 0, 0}, 0},
        {"truncated pixels", 0, {}, 14 + 40 + 1024 + 5},
        {"truncated table", 0, {}, 14 + 40 + 100},
        {"truncated header", 0, {}, 14 + 20},
        {"file header only", 0, {}, 14},
        {"empty", 0, {}, 1},
        {"huge rows", 18, {0xFF, 0x3F, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<BYTE> f = good;
        if (std::string(c.what) == "no BM signature") f[0] = 'X';
        for (size_t k = 0; k < c.bytes.size(); ++k) f[c.at + k] = c.bytes[k];
        if (c.keep) f.resize(c.keep == 1 ? 0 : c.keep);
        WriteBytes("bad", f);
        HBITMAP h = LoadFile("bad");
        EXPECT_EQ(h, nullptr);
        if (h) DeleteObject(h);
        // The same damage in a resource (the file without its first 14 bytes).
        if (f.size() >= 14 && c.at >= 14) {
            std::vector<BYTE> res(f.begin() + 14, f.end());
            ResourceEntry table[] = {{RT_BITMAP, "BAD", res.data(), DWORD(res.size())}};
            resources::SetTableForTesting(table, 1);
            EXPECT_EQ(LoadImageA(GetModuleHandleA(nullptr), "BAD", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
            resources::SetTableForTesting(nullptr, 0);
        }
    }
    // A directory is no bitmap file either.
    EXPECT_EQ(LoadFile("."), nullptr);
}

TEST(Gdi, HandlesAreCheckedAndDeleteDCLeavesTheBitmap) {
    CScratchDirAndTable dir;
    WriteBytes("eight", SmallFile8());
    HBITMAP hbm = LoadFile("eight");
    ASSERT_NE(hbm, nullptr);
    HBITMAP bogus = reinterpret_cast<HBITMAP>(&dir);
    HDC bogusDC = reinterpret_cast<HDC>(&dir);
    BITMAP bm;
    EXPECT_EQ(GetObjectA(bogus, sizeof(bm), &bm), 0);
    EXPECT_EQ(GetObjectA(hbm, sizeof(bm) - 1, &bm), 0);
    EXPECT_FALSE(DeleteObject(bogus));
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_FALSE(DeleteDC(bogusDC));
    EXPECT_EQ(SelectObject(bogusDC, hbm), nullptr);
    EXPECT_EQ(GetPixel(bogusDC, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(bogusDC, 0, 0, 0), CLR_INVALID);
    EXPECT_EQ(CreateCompatibleDC(bogusDC), nullptr);

    HDC hdc = CreateCompatibleDC(nullptr);
    ASSERT_NE(hdc, nullptr);
    HGDIOBJ old = SelectObject(hdc, hbm);
    EXPECT_NE(old, nullptr) << "the DC's first bitmap comes back";
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, hbm), nullptr) << "a bitmap lives in one DC at a time";
    EXPECT_FALSE(DeleteObject(hbm)) << "still selected";
    EXPECT_TRUE(DeleteDC(hdc));
    EXPECT_EQ(Info(hbm).w, 3) << "DeleteDC leaves the bitmap alive";
    EXPECT_TRUE(DeleteObject(hbm));
    EXPECT_FALSE(DeleteObject(hbm)) << "freed once only";
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_FALSE(DeleteDC(other));
}

TEST(Gdi, StretchBltMapsColoursToTheNearestDisplayColour) {
    CScratchDirAndTable dir;
    // Display palette: entry i = (i, i, i) except a few chosen colours.
    std::vector<PALETTEENTRY> pal(256);
    for (int i = 0; i < 256; ++i) pal[i] = PALETTEENTRY{BYTE(i), BYTE(i), BYTE(i), 0};
    pal[200] = PALETTEENTRY{255, 0, 0, 0};
    pal[201] = PALETTEENTRY{255, 0, 0, 0};   // the same red again: the lower index wins
    pal[202] = PALETTEENTRY{0, 0, 250, 0};
    pal[203] = PALETTEENTRY{0, 0, 240, 0};   // 245 is as near to both: the lower index wins
    SDisplay dpy(pal.data());

    // Picture colours: exact grey 17, red, blue 245, blue 249, near-grey (100,101,99).
    std::vector<RGBQUAD> t = {Quad(17, 17, 17), Quad(255, 0, 0), Quad(0, 0, 245), Quad(0, 0, 249),
                              Quad(100, 101, 99)};
    WriteBytes("pic", BitmapFile8(5, 1, t, {0, 1, 2, 3, 4}));
    HBITMAP hbm = LoadFile("pic");
    HDC mem = CreateCompatibleDC(nullptr);
    SelectObject(mem, hbm);

    IDirectDrawSurface* surf = dpy.Offscreen(5, 2);
    HDC hdc = nullptr;
    ASSERT_EQ(surf->GetDC(&hdc), DD_OK);
    EXPECT_TRUE(StretchBlt(hdc, 0, 0, 5, 1, mem, 0, 0, 5, 1, SRCCOPY));
    // Zero or negative extents, other raster operations and a memory DC as target do nothing.
    EXPECT_FALSE(StretchBlt(hdc, 0, 1, 0, 1, mem, 0, 0, 5, 1, SRCCOPY));
    EXPECT_FALSE(StretchBlt(hdc, 0, 1, 5, 1, mem, 0, 0, -5, 1, SRCCOPY));
    EXPECT_FALSE(StretchBlt(hdc, 0, 1, 5, 1, mem, 0, 0, 5, 1, 0x00EE0086));
    EXPECT_FALSE(StretchBlt(mem, 0, 0, 5, 1, hdc, 0, 0, 5, 1, SRCCOPY));
    // A source part beyond the bitmap draws only where it covers the bitmap; far outside, nothing.
    EXPECT_TRUE(StretchBlt(hdc, 0, 1, 5, 1, mem, 3, 0, 5, 1, SRCCOPY));
    EXPECT_TRUE(StretchBlt(hdc, -100000, -100000, 2000000000, 2000000000, mem, 9, 9, 5, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(hdc, 1, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(hdc, 5, 0), CLR_INVALID);
    ASSERT_EQ(surf->ReleaseDC(hdc), DD_OK);

    LONG pitch = 0;
    BYTE* px = ddraw_testing::Pixels(surf, &pitch);
    EXPECT_EQ(px[0], 17);
    EXPECT_EQ(px[1], 200);
    EXPECT_EQ(px[2], 202);
    EXPECT_EQ(px[3], 202);
    EXPECT_EQ(px[4], 100);
    EXPECT_EQ(px[pitch + 0], 202) << "source columns 3 and 4";
    EXPECT_EQ(px[pitch + 1], 100);
    EXPECT_EQ(px[pitch + 2], 0) << "left alone beyond the bitmap";

    // SetPixel writes the nearest index and tells the colour it became.
    ASSERT_EQ(surf->GetDC(&hdc), DD_OK);
    EXPECT_EQ(SetPixel(hdc, 4, 1, RGB(250, 10, 5)), RGB(255, 0, 0));
    EXPECT_EQ(px[pitch + 4], 200);
    EXPECT_EQ(SetPixel(hdc, 4, 1, CLR_INVALID), CLR_INVALID);
    EXPECT_EQ(px[pitch + 4], 200);
    EXPECT_EQ(SetPixel(hdc, 5, 1, 0), CLR_INVALID);

    // A new display palette changes the mapping at once.
    pal[17] = PALETTEENTRY{1, 2, 3, 0};
    dpy.pPalette->SetEntries(0, 17, 1, &pal[17]);
    EXPECT_EQ(GetPixel(hdc, 0, 0), RGB(1, 2, 3));
    surf->ReleaseDC(hdc);

    DeleteDC(mem);
    DeleteObject(hbm);
    surf->Release();
}
