// The DirectDraw stand-in: surfaces, copies, colour keys, locks, device contexts and flips.
#include <gtest/gtest.h>

#include "platform/ddraw_testing.h"
#include "platform/headless.h"
#include "tests/display/display_fixture.h"

using namespace display_test;

namespace {

void Fill(IDirectDrawSurface* p, BYTE (*f)(int x, int y)) {
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof(d));
    d.dwSize = sizeof(d);
    ASSERT_EQ(p->Lock(nullptr, &d, 0, nullptr), DD_OK);
    for (DWORD y = 0; y < d.dwHeight; ++y)
        for (DWORD x = 0; x < d.dwWidth; ++x) static_cast<BYTE*>(d.lpSurface)[y * d.lPitch + x] = f(int(x), int(y));
    p->Unlock(nullptr);
}

BYTE At(IDirectDrawSurface* p, int x, int y) {
    LONG pitch = 0;
    BYTE* px = ddraw_testing::Pixels(p, &pitch);
    return px[y * pitch + x];
}

}  // namespace

TEST(DirectDraw, CreateSurfaceMakesZeroFilledEightBitSurfacesAndRefusesBadSizes) {
    SDisplay dpy;
    struct Case {
        DWORD w, h;
        bool ok;
        LONG pitch;
    } cases[] = {{640, 480, true, 640}, {1, 1, true, 4}, {3, 1, true, 4}, {5, 2, true, 8},
                 {0, 10, false, 0},     {10, 0, false, 0}, {16385, 1, false, 0}, {0xFFFFFFFF, 0xFFFFFFFF, false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        DDSURFACEDESC ddsd;
        std::memset(&ddsd, 0, sizeof(ddsd));
        ddsd.dwSize = sizeof(ddsd);
        ddsd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        ddsd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        ddsd.dwWidth = c.w;
        ddsd.dwHeight = c.h;
        IDirectDrawSurface* p = reinterpret_cast<IDirectDrawSurface*>(&ddsd);  // must come back null on failure
        HRESULT hr = dpy.pDD->CreateSurface(&ddsd, &p, nullptr);
        if (!c.ok) {
            EXPECT_NE(hr, DD_OK);
            EXPECT_EQ(p, nullptr);
            continue;
        }
        ASSERT_EQ(hr, DD_OK);
        DDSURFACEDESC d;
        std::memset(&d, 0, sizeof(d));
        d.dwSize = sizeof(d);
        ASSERT_EQ(p->Lock(nullptr, &d, 0, nullptr), DD_OK);
        EXPECT_EQ(d.dwWidth, c.w);
        EXPECT_EQ(d.dwHeight, c.h);
        EXPECT_EQ(d.lPitch, c.pitch) << "rows padded to a multiple of 4 bytes";
        EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 8u);
        const BYTE* px = static_cast<const BYTE*>(d.lpSurface);
        for (LONG i = 0; i < d.lPitch * LONG(c.h); ++i) ASSERT_EQ(px[i], 0) << "at byte " << i;
        p->Unlock(nullptr);
        p->Release();
    }
    // A wrong record size and a missing width are refused too.
    DDSURFACEDESC bad;
    std::memset(&bad, 0, sizeof(bad));
    bad.dwSize = 100;
    bad.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    bad.dwWidth = bad.dwHeight = 8;
    IDirectDrawSurface* p = nullptr;
    EXPECT_EQ(dpy.pDD->CreateSurface(&bad, &p, nullptr), DDERR_INVALIDPARAMS);
    bad.dwSize = sizeof(bad);
    bad.dwFlags = DDSD_CAPS | DDSD_HEIGHT;
    EXPECT_EQ(dpy.pDD->CreateSurface(&bad, &p, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(p, nullptr);
}

TEST(DirectDraw, PrimaryChainFlipsAndPresentsThroughItsPalette) {
    headless::Reset();
    std::vector<PALETTEENTRY> pal = DistinctPalette();
    SDisplay dpy(pal.data());
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof(d));
    d.dwSize = sizeof(d);
    ASSERT_EQ(dpy.pPrimary->GetSurfaceDesc(&d), DD_OK);
    EXPECT_EQ(d.dwWidth, 640u);
    EXPECT_EQ(d.dwHeight, 480u);

    Fill(dpy.pBack, [](int x, int y) { return BYTE(x + 3 * y); });
    const int before = headless::PresentCount();
    ASSERT_EQ(dpy.pPrimary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(headless::PresentCount(), before + 1);
    const std::vector<BYTE>& shown = headless::PresentedPixels();
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(shown[10 * 640 + 7], BYTE(7 + 30));
    EXPECT_EQ(shown[479 * 640 + 639], BYTE(639 + 3 * 479));
    EXPECT_EQ(headless::PresentedPalette()[200].peGreen, 55) << "shown through the primary's palette";
    // The drawn frame is now the front; the back buffer pointer stays the back buffer and holds the old front.
    EXPECT_EQ(At(dpy.pPrimary, 7, 10), BYTE(37));
    EXPECT_EQ(At(dpy.pBack, 7, 10), 0);

    // Only the primary flips; a DC out on the back buffer makes it busy.
    EXPECT_EQ(dpy.pBack->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    HDC hdc = nullptr;
    ASSERT_EQ(dpy.pBack->GetDC(&hdc), DD_OK);
    EXPECT_EQ(dpy.pPrimary->Flip(nullptr, 0), DDERR_SURFACEBUSY);
    EXPECT_EQ(dpy.pBack->ReleaseDC(hdc), DD_OK);
    EXPECT_EQ(dpy.pPrimary->Flip(nullptr, 0), DD_OK);

    // Palettes keep any flag byte; without one the display shows a grey ramp.
    PALETTEENTRY got[256];
    ASSERT_EQ(dpy.pPalette->GetEntries(0, 0, 256, got), DD_OK);
    EXPECT_EQ(got[5].peBlue, 35);
    pal[5].peFlags = 0xC3;
    ASSERT_EQ(dpy.pPalette->SetEntries(0, 5, 1, &pal[5]), DD_OK);
    ASSERT_EQ(dpy.pPalette->GetEntries(0, 5, 1, got), DD_OK);
    EXPECT_EQ(got[0].peFlags, 0xC3);
    EXPECT_EQ(dpy.pPalette->GetEntries(0, 200, 57, got), DDERR_INVALIDPARAMS);
    IDirectDrawPalette* bad = dpy.pPalette;
    EXPECT_NE(dpy.pDD->CreatePalette(0, pal.data(), &bad, nullptr), DD_OK) << "only 8-bit palettes";
    EXPECT_EQ(bad, nullptr);
    EXPECT_EQ(dpy.pPrimary->SetPalette(nullptr), DD_OK);
    ASSERT_EQ(dpy.pPrimary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(headless::PresentedPalette()[77].peRed, 77);
    EXPECT_EQ(headless::PresentedPalette()[77].peBlue, 77);
}

TEST(DirectDraw, ReleasingBackThenPrimaryFreesEverything) {
    const int live = ddraw_testing::LiveObjectCount();
    {
        std::vector<PALETTEENTRY> pal = DistinctPalette();
        SDisplay dpy(pal.data());
        IDirectDrawSurface* p = dpy.Offscreen(16, 16);
        p->Release();
        IDirectDrawPalette* got = nullptr;
        ASSERT_EQ(dpy.pPrimary->GetPalette(&got), DD_OK);
        EXPECT_EQ(got, dpy.pPalette);
        got->Release();
        EXPECT_EQ(ddraw_testing::LiveObjectCount(), live + 4);
    }
    EXPECT_EQ(ddraw_testing::LiveObjectCount(), live);
}

TEST(DirectDraw, BltFastCopiesOpaqueAndKeyedPixels) {
    SDisplay dpy;
    IDirectDrawSurface* src = dpy.Offscreen(100, 40);
    // Source: a pattern with key pixels (value 255) on every third column and a whole key row.
    Fill(src, [](int x, int y) { return BYTE(y == 5 || x % 3 == 0 ? 255 : (x + y) % 200); });
    Fill(dpy.pBack, [](int, int) { return BYTE(9); });

    DDCOLORKEY key{255, 255};
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    RECT rc{3, 2, 40, 12};
    ASSERT_EQ(dpy.pBack->BltFast(100, 200, src, &rc, DDBLTFAST_SRCCOLORKEY), DD_OK);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 37; ++x) {
            BYTE s = At(src, rc.left + x, rc.top + y);
            ASSERT_EQ(At(dpy.pBack, 100 + x, 200 + y), s == 255 ? 9 : s) << x << "," << y;
        }
    EXPECT_EQ(At(dpy.pBack, 99, 200), 9);
    EXPECT_EQ(At(dpy.pBack, 137, 209), 9);

    // A key range skips every value in it.
    DDCOLORKEY range{10, 20};
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &range), DD_OK);
    RECT all{0, 0, 100, 40};
    ASSERT_EQ(dpy.pBack->BltFast(0, 0, src, &all, DDBLTFAST_SRCCOLORKEY), DD_OK);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            BYTE s = At(src, x, y);
            ASSERT_EQ(At(dpy.pBack, x, y), s >= 10 && s <= 20 ? 9 : s);
        }

    // Opaque: every pixel, key or not.
    ASSERT_EQ(dpy.pBack->BltFast(540, 440, src, &all, DDBLTFAST_NOCOLORKEY), DD_OK);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(At(dpy.pBack, 540 + x, 440 + y), At(src, x, y));

    // A source without a key, or with a key no 8-bit pixel can have, is copied whole.
    IDirectDrawSurface* plain = dpy.Offscreen(8, 8);
    Fill(plain, [](int, int) { return BYTE(255); });
    ASSERT_EQ(dpy.pBack->BltFast(0, 0, plain, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(At(dpy.pBack, 7, 7), 255);
    DDCOLORKEY invalid{CLR_INVALID, CLR_INVALID};
    ASSERT_EQ(plain->SetColorKey(DDCKEY_SRCBLT, &invalid), DD_OK);
    Fill(dpy.pBack, [](int, int) { return BYTE(9); });
    ASSERT_EQ(dpy.pBack->BltFast(0, 0, plain, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(At(dpy.pBack, 3, 3), 255);
    DDCOLORKEY got{};
    EXPECT_EQ(plain->GetColorKey(DDCKEY_SRCBLT, &got), DD_OK);
    EXPECT_EQ(got.dwColorSpaceLowValue, CLR_INVALID);
    plain->Release();
    src->Release();
}

TEST(DirectDraw, BltFastRefusesBadRectanglesAndNeverTouchesOutside) {
    SDisplay dpy;
    IDirectDrawSurface* src = dpy.Offscreen(50, 30);
    Fill(src, [](int, int) { return BYTE(1); });
    struct Case {
        const char* what;
        DWORD x, y;
        RECT rc;
        HRESULT hr;
    } cases[] = {
        {"empty", 0, 0, {10, 10, 10, 20}, DDERR_INVALIDRECT},
        {"inverted", 0, 0, {20, 10, 10, 20}, DDERR_INVALIDRECT},
        {"negative left", 0, 0, {-1, 0, 10, 10}, DDERR_INVALIDRECT},
        {"past the source", 0, 0, {0, 0, 51, 30}, DDERR_INVALIDRECT},
        {"past the bottom", 0, 0, {0, 25, 10, 31}, DDERR_INVALIDRECT},
        {"past the right of the screen", 600, 0, {0, 0, 41, 10}, DDERR_INVALIDRECT},
        {"past the bottom of the screen", 0, 451, {0, 0, 10, 30}, DDERR_INVALIDRECT},
        {"huge x", 0xFFFFFFF0u, 0, {0, 0, 20, 10}, DDERR_INVALIDRECT},
        {"huge y", 0, 0xFFFFFFFFu, {0, 0, 20, 10}, DDERR_INVALIDRECT},
        {"at the very corner", 590, 450, {0, 0, 50, 30}, DD_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RECT rc = c.rc;
        EXPECT_EQ(dpy.pBack->BltFast(c.x, c.y, src, &rc, DDBLTFAST_SRCCOLORKEY), c.hr);
        EXPECT_EQ(dpy.pBack->BltFast(c.x, c.y, src, &rc, DDBLTFAST_NOCOLORKEY), c.hr);
    }
    EXPECT_EQ(At(dpy.pBack, 639, 479), 1);
    EXPECT_EQ(At(dpy.pBack, 589, 449), 0);
    RECT rc{0, 0, 10, 10};
    EXPECT_EQ(dpy.pBack->BltFast(0, 0, nullptr, &rc, 0), DDERR_INVALIDPARAMS);

    // Locked or DC-out surfaces are busy, on either side; lost ones say so.
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof(d));
    d.dwSize = sizeof(d);
    ASSERT_EQ(src->Lock(nullptr, &d, 0, nullptr), DD_OK);
    EXPECT_EQ(dpy.pBack->BltFast(0, 0, src, &rc, 0), DDERR_SURFACEBUSY);
    EXPECT_EQ(src->Lock(nullptr, &d, 0, nullptr), DDERR_SURFACEBUSY);
    HDC hdc = nullptr;
    EXPECT_EQ(src->GetDC(&hdc), DDERR_SURFACEBUSY);
    EXPECT_EQ(src->Unlock(nullptr), DD_OK);
    EXPECT_EQ(src->Unlock(nullptr), DDERR_NOTLOCKED);
    ASSERT_EQ(dpy.pBack->GetDC(&hdc), DD_OK);
    EXPECT_EQ(dpy.pBack->BltFast(0, 0, src, &rc, 0), DDERR_SURFACEBUSY);
    EXPECT_EQ(dpy.pBack->ReleaseDC(reinterpret_cast<HDC>(&d)), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dpy.pBack->ReleaseDC(hdc), DD_OK);

    ddraw_testing::SetSurfaceLost(src);
    EXPECT_EQ(src->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(dpy.pBack->BltFast(0, 0, src, &rc, 0), DDERR_SURFACELOST);
    EXPECT_EQ(src->Restore(), DD_OK);
    EXPECT_EQ(src->IsLost(), DD_OK);
    EXPECT_EQ(At(src, 0, 0), 0) << "a lost surface comes back empty";
    EXPECT_EQ(dpy.pBack->BltFast(0, 0, src, &rc, 0), DD_OK);

    // A copy within one surface reads the source as it was before the copy.
    Fill(src, [](int x, int) { return BYTE(x); });
    RECT part{0, 0, 40, 1};
    EXPECT_EQ(src->BltFast(5, 0, src, &part, 0), DD_OK);
    EXPECT_EQ(At(src, 5, 0), 0);
    EXPECT_EQ(At(src, 44, 0), 39);
    src->Release();
}
