// The whole frame on the headless back end: the pictures the program carries reach the screen in
// their own colours, sprites are cut from them with the key, and lost surfaces come back.
#include <gtest/gtest.h>

#include "game/MainFrm.h"
#include "game/Tesselor.h"
#include "platform/ddraw_testing.h"
#include "platform/headless.h"
#include "platform/screen.h"
#include "tests/display/display_fixture.h"

using namespace display_test;
#include "tests/support/headless_frame.h"

namespace {

// A committed 8-bit picture, read here by hand: its colour table and its pixels, top row first.
struct SPicture {
    std::vector<BYTE> file;
    std::vector<PALETTEENTRY> table;
    std::vector<BYTE> index;
};

SPicture ReadPicture(const char* name) {
    SPicture p;
    p.file = ReadBytes(ResourcePath(name));
    EXPECT_EQ(p.file.size(), 308278u) << name;
    if (p.file.size() != 308278u) return p;
    for (int i = 0; i < 256; ++i) {
        const BYTE* q = &p.file[54 + 4 * i];
        p.table.push_back(PALETTEENTRY{q[2], q[1], q[0], 0});
    }
    const BYTE* bits = &p.file[14 + 40 + 1024];
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        const BYTE* row = bits + (SCREEN_HEIGHT - 1 - y) * SCREEN_WIDTH;  // rows are stored bottom-up
        p.index.insert(p.index.end(), row, row + SCREEN_WIDTH);
    }
    return p;
}

bool SameColour(const PALETTEENTRY& a, const PALETTEENTRY& b) {
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}

// How many shown pixels differ in colour from the picture's.
int ColourMismatches(const SPicture& pic) {
    const std::vector<BYTE>& shown = headless::PresentedPixels();
    const std::vector<PALETTEENTRY>& pal = headless::PresentedPalette();
    int bad = 0;
    for (size_t i = 0; i < pic.index.size(); ++i)
        if (!SameColour(pal[shown[i]], pic.table[pic.index[i]])) ++bad;
    return bad;
}

class DisplayFrameTest : public ::testing::Test {
protected:
    void Open() {
        m_pFrame = OpenHeadlessFrame();
        ASSERT_NE(m_pFrame, nullptr);
        m_hWnd = m_pFrame->GetSafeHwnd();
    }
    void TearDown() override {
        CloseHeadlessFrame(m_hWnd);
        resources::SetTableForTesting(nullptr, 0);
    }
    CMainFrame* m_pFrame = nullptr;
    HWND m_hWnd = nullptr;
};

}  // namespace

TEST_F(DisplayFrameTest, TitleReachesTheScreenInItsOwnColours) {
    CScratchDirAndTable dir;  // no palette file here: the colours come from the "sky.bmp" resource
    const int before = ddraw_testing::LiveObjectCount();
    Open();
    EXPECT_EQ(ddraw_testing::LiveObjectCount() - before, 1 + 2 + 1 + 5)
        << "DirectDraw, the chain, the palette, five pictures";
    IDirectDrawSurface* pictures[] = {m_pFrame->m_pddsBG00, m_pFrame->m_pddsBG01, m_pFrame->m_pddsSprites,
                                      m_pFrame->m_pddsTitle, m_pFrame->m_pddsEnd};
    for (IDirectDrawSurface* p : pictures) {
        ASSERT_NE(p, nullptr);
        DDCOLORKEY key{};
        ASSERT_EQ(p->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue, 255u) << "the key colour is entry 255 of the display palette";
        EXPECT_EQ(key.dwColorSpaceHighValue, 255u);
    }

    const SPicture title = ReadPicture("TITLE.bmp");
    const SPicture sky = ReadPicture("sky.bmp");
    m_pFrame->RenderFrame();
    ASSERT_GE(headless::PresentCount(), 1);
    for (int i = 0; i < 256; ++i) EXPECT_TRUE(SameColour(headless::PresentedPalette()[i], sky.table[i])) << i;
    EXPECT_EQ(ColourMismatches(title), 0);

    // A lost game shows END over everything.
    const SPicture end = ReadPicture("END.bmp");
    m_pFrame->m_nGameState = GAME_STATE_PLAYING;
    m_pFrame->m_nGameOverCount = 500;
    m_pFrame->RenderFrame();
    EXPECT_EQ(ColourMismatches(end), 0);

    // The window takes every display object with it.
    DestroyWindow(m_hWnd);
    EXPECT_EQ(ddraw_testing::LiveObjectCount(), before);
}

TEST_F(DisplayFrameTest, SpritesAreCutFromTheSheetWithTheKey) {
    Open();
    IDirectDrawSurface* back = m_pFrame->m_pddsBack;
    IDirectDrawSurface* spr = m_pFrame->m_pddsSprites;
    const SPicture sheet = ReadPicture("SPR.bmp");
    const SPicture sky = ReadPicture("sky.bmp");
    LONG bp = 0, sp = 0;
    BYTE* b = ddraw_testing::Pixels(back, &bp);
    const BYTE* s = ddraw_testing::Pixels(spr, &sp);
    // A rectangle of the sheet that holds key and non-key pixels.
    RECT rc{0, 300, 200, 360};
    int keyPixels = 0;
    for (LONG y = rc.top; y < rc.bottom; ++y)
        for (LONG x = rc.left; x < rc.right; ++x) keyPixels += s[y * sp + x] == 255;
    ASSERT_GT(keyPixels, 0);
    ASSERT_LT(keyPixels, 200 * 60);

    for (int y = 0; y < SCREEN_HEIGHT; ++y) std::memset(b + y * bp, 42, SCREEN_WIDTH);
    ASSERT_EQ(back->BltFast(13, 17, spr, &rc, DDBLTFAST_SRCCOLORKEY), DD_OK);
    for (LONG y = 0; y < 60; ++y)
        for (LONG x = 0; x < 200; ++x) {
            const BYTE src = s[(rc.top + y) * sp + rc.left + x];
            ASSERT_EQ(b[(17 + y) * bp + 13 + x], src == 255 ? 42 : src);
            // The sheet holds its picture's colours; only its own entry 19 is not in the display palette.
            const BYTE original = sheet.index[(rc.top + y) * SCREEN_WIDTH + rc.left + x];
            if (original != 19) {
                ASSERT_TRUE(SameColour(sky.table[src], sheet.table[original]));
            }
        }
    ASSERT_EQ(back->BltFast(0, 0, spr, &rc, DDBLTFAST_NOCOLORKEY), DD_OK);
    EXPECT_EQ(std::memcmp(b + 5 * bp, s + 305 * sp, 200), 0);
}

TEST_F(DisplayFrameTest, LostSurfacesAreRestoredAndReloadedWithoutHoldingTheLoop) {
    Open();
    const SPicture title = ReadPicture("TITLE.bmp");
    ddraw_testing::SetSurfaceLost(m_pFrame->m_pddsTitle);
    m_pFrame->RenderFrame();  // the copy fails, the pictures are reloaded
    EXPECT_EQ(m_pFrame->m_pddsTitle->IsLost(), DD_OK);
    m_pFrame->RenderFrame();
    EXPECT_EQ(ColourMismatches(title), 0);

    // The chain is lost together; the frame restores it and the next one shows the title again.
    ddraw_testing::SetSurfaceLost(m_pFrame->m_pddsPrimary);
    EXPECT_EQ(m_pFrame->m_pddsBack->IsLost(), DDERR_SURFACELOST);
    m_pFrame->RenderFrame();
    EXPECT_EQ(m_pFrame->m_pddsPrimary->IsLost(), DD_OK);
    EXPECT_EQ(m_pFrame->m_pddsBack->IsLost(), DD_OK);
    const int shown = headless::PresentCount();
    m_pFrame->RenderFrame();
    EXPECT_EQ(headless::PresentCount(), shown + 1);
    EXPECT_EQ(ColourMismatches(title), 0);
}

TEST_F(DisplayFrameTest, MissingPicturesStayNullAndTheRampServesWithoutSky) {
    CScratchDirAndTable dir;
    size_t count = 0;
    const ResourceEntry* embedded = resources::EmbeddedTable(&count);
    std::vector<ResourceEntry> table;
    for (size_t i = 0; i < count; ++i) {
        const ResourceEntry& e = embedded[i];
        bool bitmap = e.type == RT_BITMAP;
        if (bitmap && !IS_INTRESOURCE(e.name) &&
            (std::string(e.name) == "END" || std::string(e.name) == "sky.bmp" || std::string(e.name) == "BG01"))
            continue;
        table.push_back(e);
    }
    resources::SetTableForTesting(table.data(), table.size());
    // BG01 is found as a file of exactly that name; END nowhere.
    std::vector<BYTE> bg01 = ReadBytes(ResourcePath("BG01.bmp"));
    WriteBytes("BG01", bg01);

    Open();
    EXPECT_EQ(m_pFrame->m_pddsEnd, nullptr);
    ASSERT_NE(m_pFrame->m_pddsBG01, nullptr);
    ASSERT_NE(m_pFrame->m_pddsTitle, nullptr);
    m_pFrame->RenderFrame();
    const std::vector<PALETTEENTRY>& pal = headless::PresentedPalette();
    EXPECT_TRUE(SameColour(pal[73], PALETTEENTRY{72, 72, 85, 0})) << "the 3-3-2 ramp";
    // With the ramp every picture colour becomes its nearest ramp colour, and the key colour's
    // nearest ramp index is the key.
    DDCOLORKEY key{};
    ASSERT_EQ(m_pFrame->m_pddsTitle->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, gdi_internal::NearestDisplayIndex(RGB(217, 173, 216)));
    // A lost game without an END picture goes on showing the game.
    m_pFrame->m_nGameState = GAME_STATE_PLAYING;
    m_pFrame->m_nGameOverCount = 500;
    m_pFrame->RenderFrame();
    EXPECT_EQ(m_pFrame->m_nGameState, GAME_STATE_PLAYING);
}
