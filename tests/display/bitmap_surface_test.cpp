// Pictures into surfaces, the display palette from a bitmap resource or file, and colour keys.
#include <gtest/gtest.h>

#include "game/BitmapSurface.h"
#include "platform/ddraw_testing.h"
#include "tests/display/display_fixture.h"

using namespace display_test;

namespace {

PALETTEENTRY Ramp(int i) {
    return PALETTEENTRY{BYTE(((i >> 5) & 7) * 255 / 7), BYTE(((i >> 2) & 7) * 255 / 7), BYTE((i & 3) * 255 / 3), 0};
}

bool Same(const PALETTEENTRY& a, const PALETTEENTRY& b) {
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue && a.peFlags == b.peFlags;
}

std::string Show(const PALETTEENTRY& e) {
    return "(" + std::to_string(e.peRed) + "," + std::to_string(e.peGreen) + "," + std::to_string(e.peBlue) + "," +
           std::to_string(e.peFlags) + ")";
}

#define EXPECT_ENTRY(got, want) EXPECT_TRUE(Same(got, want)) << Show(got) << " instead of " << Show(want)

// The palette LoadBitmapPalette makes for `name`, as 256 entries (empty when it makes none).
std::vector<PALETTEENTRY> PaletteFor(LPCSTR name) {
    IDirectDraw* dd = nullptr;
    DirectDrawCreate(nullptr, &dd, nullptr);
    IDirectDrawPalette* pal = LoadBitmapPalette(dd, name);
    std::vector<PALETTEENTRY> e;
    if (pal != nullptr) {
        e.resize(256);
        pal->GetEntries(0, 0, 256, e.data());
        pal->Release();
    }
    dd->Release();
    return e;
}

// File bytes: file header, a 40-byte info header, then `rest`.
std::vector<BYTE> PaletteFile(WORD bits, DWORD clrUsed, const std::vector<BYTE>& rest, DWORD headerSize = 40) {
    std::vector<BYTE> dib = InfoHeader(headerSize, 16, 16, bits, clrUsed);
    dib.insert(dib.end(), rest.begin(), rest.end());
    return BitmapFile(dib, headerSize);
}

// `count` table entries: entry i = (red i, green 2i, blue 255 - i, reserved i ^ 0x5A), stored as RGBQUAD.
std::vector<BYTE> Table(int count) {
    std::vector<BYTE> t;
    for (int i = 0; i < count; ++i) t.insert(t.end(), {BYTE(255 - i), BYTE(2 * i), BYTE(i), BYTE(i ^ 0x5A)});
    return t;
}
PALETTEENTRY TableEntry(int i, bool withFlags) {
    return PALETTEENTRY{BYTE(i), BYTE(2 * i), BYTE(255 - i), BYTE(withFlags ? (i ^ 0x5A) : 0)};
}

// Bytes as the file road leaves them when it does not exchange red and blue.
PALETTEENTRY Raw(const std::vector<BYTE>& file, size_t at) {
    return PALETTEENTRY{file[at], file[at + 1], file[at + 2], file[at + 3]};
}

// A table without "sky.bmp" (so the file road is taken) or with the given bytes as "sky.bmp".
class CPaletteTest : public ::testing::Test {
protected:
    void UseResource(const std::vector<BYTE>& bytes) {
        m_res = bytes;
        m_table[0] = ResourceEntry{RT_BITMAP, "sky.bmp", m_res.data(), DWORD(m_res.size())};
        resources::SetTableForTesting(m_table, 1);
    }
    void NoResource() {
        m_table[0] = ResourceEntry{RT_BITMAP, "OTHER", nullptr, 0};
        resources::SetTableForTesting(m_table, 1);
    }
    void SetUp() override { NoResource(); }

    CScratchDirAndTable m_dir;
    std::vector<BYTE> m_res;
    ResourceEntry m_table[1];
};

}  // namespace

TEST_F(CPaletteTest, WithoutResourceOrFileTheRampServes) {
    for (LPCSTR name : {"sky.bmp", static_cast<LPCSTR>(nullptr)}) {
        std::vector<PALETTEENTRY> p = PaletteFor(name);
        ASSERT_EQ(p.size(), 256u);
        EXPECT_ENTRY(p[0], (PALETTEENTRY{0, 0, 0, 0}));
        EXPECT_ENTRY(p[3], (PALETTEENTRY{0, 0, 255, 0}));
        EXPECT_ENTRY(p[28], (PALETTEENTRY{0, 255, 0, 0}));
        EXPECT_ENTRY(p[73], (PALETTEENTRY{72, 72, 85, 0}));
        EXPECT_ENTRY(p[224], (PALETTEENTRY{255, 0, 0, 0}));
        EXPECT_ENTRY(p[255], (PALETTEENTRY{255, 255, 255, 0}));
    }
    EXPECT_TRUE(LoadBitmapPalette(nullptr, "sky.bmp") == nullptr) << "no DirectDraw object, no palette";
}

TEST_F(CPaletteTest, FileRoadTakesTheTableFromByte54WithItsCountRule) {
    std::vector<BYTE> pixels(2000);
    for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = BYTE(k * 7 + 3);
    auto with = [&](std::vector<BYTE> a, const std::vector<BYTE>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };

    // 8 bits, biClrUsed 0 or 256 (or 300): all 256 entries, red and blue in place, flags kept.
    for (DWORD clrUsed : {0u, 256u, 300u}) {
        SCOPED_TRACE(clrUsed);
        WriteBytes("sky.bmp", PaletteFile(8, clrUsed, with(Table(256), pixels)));
        std::vector<PALETTEENTRY> p = PaletteFor("sky.bmp");
        ASSERT_EQ(p.size(), 256u);
        for (int i = 0; i < 256; ++i) EXPECT_ENTRY(p[i], TableEntry(i, true));
    }

    // 4 bits: 16 colours, then the bytes that follow the table, unexchanged.
    std::vector<BYTE> file = PaletteFile(4, 0, with(Table(16), pixels));
    WriteBytes("sky.bmp", file);
    std::vector<PALETTEENTRY> p = PaletteFor("sky.bmp");
    for (int i = 0; i < 16; ++i) EXPECT_ENTRY(p[i], TableEntry(i, true));
    for (int i = 16; i < 256; ++i) EXPECT_ENTRY(p[i], Raw(file, 54 + 4 * i));
    EXPECT_EQ(p[16].peRed, pixels[0]);

    // 24 bits, or an info header of another size: the 1,024 bytes from offset 54 as they stand.
    for (auto f : {PaletteFile(24, 0, with(Table(256), pixels)), PaletteFile(8, 0, with(Table(256), pixels), 108)}) {
        WriteBytes("sky.bmp", f);
        p = PaletteFor("sky.bmp");
        for (int i = 0; i < 256; ++i) EXPECT_ENTRY(p[i], Raw(f, 54 + 4 * i));
    }

    // A count that is negative as a signed number takes nothing.
    file = PaletteFile(8, 0x80000000u, with(Table(256), pixels));
    WriteBytes("sky.bmp", file);
    p = PaletteFor("sky.bmp");
    EXPECT_ENTRY(p[5], Raw(file, 54 + 20));
}

TEST_F(CPaletteTest, ShortFileKeepsTheRampWhereItEnds) {
    // 25 whole entries and 2 bytes of the 26th: the count (256) exchanges red and blue in all
    // 256 entries, the ramp ones included, as the loader does.
    std::vector<BYTE> file = PaletteFile(8, 0, Table(256));
    file.resize(54 + 102);
    WriteBytes("sky.bmp", file);
    std::vector<PALETTEENTRY> p = PaletteFor("sky.bmp");
    for (int i = 0; i < 25; ++i) EXPECT_ENTRY(p[i], TableEntry(i, true));
    PALETTEENTRY partial = Ramp(25);
    partial.peRed = file[54 + 100];
    partial.peGreen = file[54 + 101];
    std::swap(partial.peRed, partial.peBlue);
    EXPECT_ENTRY(p[25], partial);
    PALETTEENTRY ramp = Ramp(100);
    std::swap(ramp.peRed, ramp.peBlue);
    EXPECT_ENTRY(p[100], ramp);

    // The file ends inside the info header: biClrUsed counts as 0, so 8 bits give 256 entries,
    // all of them the ramp with red and blue exchanged.
    file.resize(14 + 30);
    WriteBytes("sky.bmp", file);
    p = PaletteFor("sky.bmp");
    ramp = Ramp(224);
    std::swap(ramp.peRed, ramp.peBlue);
    EXPECT_ENTRY(p[224], ramp);
    // An empty file: biSize 0 fails the size test, the ramp stays as it is.
    WriteBytes("sky.bmp", {});
    p = PaletteFor("sky.bmp");
    EXPECT_ENTRY(p[224], Ramp(224));
}

TEST_F(CPaletteTest, ResourceRoadTakesTheTableAfterBiSizeBytesWithinTheResource) {
    // A 108-byte header: accepted, table 108 bytes in; flags are 0 on this road.
    std::vector<BYTE> res = InfoHeader(108, 16, 16, 8, 0);
    std::vector<BYTE> t = Table(256);
    res.insert(res.end(), t.begin(), t.end());
    UseResource(res);
    WriteBytes("sky.bmp", PaletteFile(8, 0, Table(256)));  // never read once the resource is found
    std::vector<PALETTEENTRY> p = PaletteFor("sky.bmp");
    for (int i = 0; i < 256; ++i) EXPECT_ENTRY(p[i], TableEntry(i, false));

    // biClrUsed 300: 256 entries.
    res = InfoHeader(40, 16, 16, 8, 300);
    res.insert(res.end(), t.begin(), t.end());
    UseResource(res);
    p = PaletteFor("sky.bmp");
    EXPECT_ENTRY(p[255], TableEntry(255, false));

    // A resource with n = 0 (24 bits) still stops the search: the ramp, not the file's colours.
    res = InfoHeader(40, 16, 16, 24, 0);
    res.insert(res.end(), t.begin(), t.end());
    UseResource(res);
    p = PaletteFor("sky.bmp");
    EXPECT_ENTRY(p[7], Ramp(7));

    // The resource bounds the table: only the entries inside it are taken.
    res = InfoHeader(40, 16, 16, 8, 0);
    res.insert(res.end(), t.begin(), t.begin() + 42);  // 10 whole entries and 2 bytes
    UseResource(res);
    p = PaletteFor("sky.bmp");
    EXPECT_ENTRY(p[9], TableEntry(9, false));
    EXPECT_ENTRY(p[10], Ramp(10));

    // A biSize past the end, or a resource shorter than a header: no entries.
    for (DWORD biSize : {5000u, 0xFFFFFFF0u}) {
        res = InfoHeader(40, 16, 16, 8, 0);
        Put32(res, 0, biSize);
        res.insert(res.end(), t.begin(), t.end());
        UseResource(res);
        p = PaletteFor("sky.bmp");
        EXPECT_ENTRY(p[200], Ramp(200));
    }
    UseResource(std::vector<BYTE>(39, 40));
    p = PaletteFor("sky.bmp");
    EXPECT_ENTRY(p[40], Ramp(40));
}

TEST(MatchSurfaceColor, KeyColourComesBackAsItsIndexAndPixelZeroIsRestored) {
    std::vector<PALETTEENTRY> pal = DistinctPalette();
    pal[255] = PALETTEENTRY{217, 173, 216, 0};
    pal[40] = pal[7];  // pixel (0,0) holds index 40, whose colour is also at 7
    SDisplay dpy(pal.data());
    IDirectDrawSurface* p = dpy.Offscreen(640, 480);
    LONG pitch = 0;
    BYTE* px = ddraw_testing::Pixels(p, &pitch);
    px[0] = 40;
    px[1] = 2;
    px[2] = 3;
    px[3] = 4;

    EXPECT_EQ(MatchSurfaceColor(p, SPRITE_COLOR_KEY), 255u);
    EXPECT_EQ(px[0], 7) << "restored by colour: the lowest index of that colour";
    EXPECT_EQ(px[1], 2);

    // CLR_INVALID writes nothing and answers pixel (0,0).
    px[0] = 99;
    EXPECT_EQ(MatchSurfaceColor(p, CLR_INVALID), 99u);
    EXPECT_EQ(px[0], 99);

    // A lock that is busy three times is tried four times, at once.
    ddraw_testing::SetLockStillDrawing(p, 3);
    const int before = ddraw_testing::LockCalls(p);
    EXPECT_EQ(MatchSurfaceColor(p, SPRITE_COLOR_KEY), 255u);
    EXPECT_EQ(ddraw_testing::LockCalls(p) - before, 4);

    // The key set through it is used by keyed copies.
    EXPECT_EQ(SetSurfaceColorKey(p, SPRITE_COLOR_KEY), DD_OK);
    DDCOLORKEY key{};
    ASSERT_EQ(p->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 255u);
    EXPECT_EQ(key.dwColorSpaceHighValue, 255u);

    // A lost surface gives no lock: the key becomes CLR_INVALID.
    ddraw_testing::SetSurfaceLost(p);
    EXPECT_EQ(MatchSurfaceColor(p, SPRITE_COLOR_KEY), CLR_INVALID);
    EXPECT_EQ(SetSurfaceColorKey(p, SPRITE_COLOR_KEY), DD_OK);
    ASSERT_EQ(p->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, CLR_INVALID);
    p->Release();

    // A 1x1 surface still has a whole word behind its pixel.
    p = dpy.Offscreen(1, 1);
    EXPECT_EQ(MatchSurfaceColor(p, RGB(pal[77].peRed, pal[77].peGreen, pal[77].peBlue)), 77u);
    p->Release();
}

namespace {
// A surface of another depth, with no device context: the first word masked to its bit count.
class CWideSurface : public IDirectDrawSurface {
public:
    explicit CWideSurface(DWORD bits) : m_bits(bits) {}
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 0; }
    HRESULT BltFast(DWORD, DWORD, IDirectDrawSurface*, LPRECT, DWORD) override { return E_FAIL; }
    HRESULT Flip(IDirectDrawSurface*, DWORD) override { return E_FAIL; }
    HRESULT GetAttachedSurface(LPDDSCAPS, IDirectDrawSurface**) override { return E_FAIL; }
    HRESULT GetColorKey(DWORD, LPDDCOLORKEY) override { return E_FAIL; }
    HRESULT GetDC(HDC*) override { return DDERR_GENERIC; }
    HRESULT GetPalette(IDirectDrawPalette**) override { return E_FAIL; }
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC) override { return E_FAIL; }
    HRESULT IsLost() override { return DD_OK; }
    HRESULT Lock(LPRECT, LPDDSURFACEDESC d, DWORD, HANDLE) override {
        d->lpSurface = m_word;
        d->ddpfPixelFormat.dwRGBBitCount = m_bits;
        return DD_OK;
    }
    HRESULT ReleaseDC(HDC) override { return E_FAIL; }
    HRESULT Restore() override { return DD_OK; }
    HRESULT SetColorKey(DWORD, LPDDCOLORKEY) override { return E_FAIL; }
    HRESULT SetPalette(IDirectDrawPalette*) override { return E_FAIL; }
    HRESULT Unlock(LPVOID) override { return DD_OK; }

private:
    DWORD m_bits;
    BYTE m_word[4] = {0x11, 0x22, 0x33, 0x44};
};
}  // namespace

TEST(MatchSurfaceColor, WiderSurfacesGiveTheLowBitsOfTheFirstWord) {
    CWideSurface s16(16), s32(32);
    EXPECT_EQ(MatchSurfaceColor(&s16, SPRITE_COLOR_KEY), 0x2211u);
    EXPECT_EQ(MatchSurfaceColor(&s32, SPRITE_COLOR_KEY), 0x44332211u);
}

TEST(CopyBitmapToSurface, StretchesTheChosenPartOverTheWholeSurface) {
    CScratchDirAndTable dir;
    std::vector<PALETTEENTRY> pal = DistinctPalette();
    SDisplay dpy(pal.data());
    std::vector<BYTE> index(640 * 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) index[y * 640 + x] = BYTE(x * 3 + y * 11);
    WriteBytes("pic.bmp", BitmapFile8(640, 480, TableOf(pal), index));
    HBITMAP hbm = static_cast<HBITMAP>(
        LoadImageA(nullptr, "pic.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(hbm, nullptr);
    IDirectDrawSurface* p = dpy.Offscreen(640, 480);

    EXPECT_EQ(CopyBitmapToSurface(p, nullptr, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(ddraw_testing::RestoreCalls(p), 0) << "a null bitmap restores nothing";

    ASSERT_EQ(CopyBitmapToSurface(p, hbm, 100, 50, 200, 100), DD_OK);
    EXPECT_EQ(ddraw_testing::RestoreCalls(p), 1);
    LONG pitch = 0;
    const BYTE* px = ddraw_testing::Pixels(p, &pitch);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const int sx = 100 + (2 * x + 1) * 200 / 1280, sy = 50 + (2 * y + 1) * 100 / 960;
            ASSERT_EQ(px[y * pitch + x], index[sy * 640 + sx]) << x << "," << y;
        }
    EXPECT_EQ(px[0], index[50 * 640 + 100]);
    EXPECT_EQ(px[479 * pitch + 639], index[149 * 640 + 299]);

    // The whole picture, same size: every index as it stands (the palette holds each colour once).
    ASSERT_EQ(CopyBitmapToSurface(p, hbm, 0, 0, 0, 0), DD_OK);
    EXPECT_EQ(std::memcmp(px, index.data(), index.size()), 0);

    // No device context: its result comes back and the surface is left alone.
    HDC hdc = nullptr;
    ASSERT_EQ(p->GetDC(&hdc), DD_OK);
    EXPECT_EQ(CopyBitmapToSurface(p, hbm, 0, 0, 0, 0), DDERR_SURFACEBUSY);
    p->ReleaseDC(hdc);
    EXPECT_TRUE(DeleteObject(hbm)) << "the copy leaves the bitmap to its caller";
    p->Release();
}

TEST(LoadBitmapSurface, LoadsResourceOrFileAndFailsCleanly) {
    CScratchDirAndTable dir;
    std::vector<PALETTEENTRY> pal = DistinctPalette();
    SDisplay dpy(pal.data());
    const int gdiLive = gdi_internal::LiveObjectCount();
    std::vector<BYTE> res = Dib8(2, 2, TableOf(pal), {1, 2, 3, 4});
    ResourceEntry table[] = {{RT_BITMAP, "RES", res.data(), DWORD(res.size())}};
    resources::SetTableForTesting(table, 1);
    WriteBytes("FILE", BitmapFile8(3, 1, TableOf(pal), {7, 8, 9}));

    IDirectDrawSurface* p = LoadBitmapSurface(dpy.pDD, "RES", 0, 0);
    ASSERT_NE(p, nullptr);
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof(d));
    d.dwSize = sizeof(d);
    p->GetSurfaceDesc(&d);
    EXPECT_EQ(d.dwWidth, 2u);
    EXPECT_EQ(ddraw_testing::Pixels(p, nullptr)[0], 1);
    EXPECT_EQ(ReloadBitmapSurface(p, "NONE"), E_FAIL);
    p->Release();

    p = LoadBitmapSurface(dpy.pDD, "FILE", 6, 2);  // scaled on loading
    ASSERT_NE(p, nullptr);
    p->GetSurfaceDesc(&d);
    EXPECT_EQ(d.dwWidth, 6u);
    EXPECT_EQ(d.dwHeight, 2u);
    LONG pitch = 0;
    const BYTE* px = ddraw_testing::Pixels(p, &pitch);
    EXPECT_EQ(px[pitch + 5], 9);
    p->Release();

    EXPECT_EQ(LoadBitmapSurface(dpy.pDD, "NONE", 0, 0), nullptr);
    ddraw_testing::FailCreateSurface(1);
    EXPECT_EQ(LoadBitmapSurface(dpy.pDD, "RES", 0, 0), nullptr);
    EXPECT_EQ(gdi_internal::LiveObjectCount(), gdiLive) << "every bitmap and DC is freed on every road";
}
