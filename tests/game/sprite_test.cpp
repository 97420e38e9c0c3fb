// The sprite: frames, accessors, and the clipped, keyed copy onto a 640x480 back buffer.
#include <gtest/gtest.h>

#include "game/Sprite.h"
#include "platform/screen.h"
#include "tests/support/memory_surface.h"

namespace {

const BYTE KEY = 255;
const BYTE BACKGROUND = 0;

// A picture whose pixels differ from their neighbours in both directions, with key pixels scattered
// through it.
BYTE PatternAt(int sx, int sy) {
    if ((sx + 2 * sy) % 11 == 0) return KEY;
    return static_cast<BYTE>(1 + (sx * 7 + sy * 13) % 250);
}

void PaintPattern(CMemorySurface& s) {
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) s.Set(x, y, PatternAt(x, y));
    s.SetSourceKey(KEY);
}

// The box holding every pixel that is not the background, or an empty box.
RECT ChangedBox(const CMemorySurface& s) {
    RECT box{s.Width(), s.Height(), 0, 0};
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (s.At(x, y) != BACKGROUND) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    if (box.right == 0) box = RECT{0, 0, 0, 0};
    return box;
}

struct ClipCase {
    const char* name;
    RECT rc;
    int x, y;
    int nBltCalls;   // copies attempted
    bool bDrawn;     // whether anything lands
    RECT box;        // the screen area the frame may cover
};

class SpriteClipTest : public ::testing::TestWithParam<ClipCase> {};

TEST_P(SpriteClipTest, CopiesExactlyTheVisiblePartOfTheFrame) {
    const ClipCase& c = GetParam();
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT, BACKGROUND);
    CMemorySurface source(SCREEN_WIDTH, SCREEN_HEIGHT);
    PaintPattern(source);

    CSprite sprite(&back, &source, c.rc, c.x, c.y);
    sprite.Draw(0);

    EXPECT_EQ(back.m_nBltCalls, c.nBltCalls);
    EXPECT_EQ(back.m_nBltRefused, c.bDrawn ? 0 : c.nBltCalls);
    // Each screen pixel under the placed frame shows the frame's pixel there unless it is a key
    // pixel; every other screen pixel is untouched.
    const int w = c.rc.right - c.rc.left, h = c.rc.bottom - c.rc.top;
    int nMismatches = 0;
    for (int py = 0; py < back.Height(); ++py) {
        for (int px = 0; px < back.Width(); ++px) {
            BYTE expected = BACKGROUND;
            const int fx = px - c.x, fy = py - c.y;
            if (c.bDrawn && fx >= 0 && fx < w && fy >= 0 && fy < h) {
                const BYTE v = PatternAt(c.rc.left + fx, c.rc.top + fy);
                if (v != KEY) expected = v;
            }
            if (back.At(px, py) != expected && ++nMismatches <= 5)
                ADD_FAILURE() << "pixel (" << px << "," << py << ") is " << int(back.At(px, py)) << ", expected "
                              << int(expected);
        }
    }
    EXPECT_EQ(nMismatches, 0);
    const RECT box = ChangedBox(back);
    EXPECT_EQ(box.left, c.box.left);
    EXPECT_EQ(box.top, c.box.top);
    EXPECT_EQ(box.right, c.box.right);
    EXPECT_EQ(box.bottom, c.box.bottom);
}

const RECT R50x30{100, 100, 150, 130};
const RECT R640x240{0, 240, 640, 480};

INSTANTIATE_TEST_SUITE_P(
    Edges, SpriteClipTest,
    ::testing::Values(
        // The 40 rightmost columns reach screen column 0.
        ClipCase{"LeftEdge", R50x30, -10, 100, 1, true, {0, 100, 40, 130}},
        // The 40 leftmost columns and the 20 top rows at (600,460).
        ClipCase{"BottomRightCorner", R50x30, 600, 460, 1, true, {600, 460, 640, 480}},
        ClipCase{"TopEdgeLastRow", R640x240, 0, -239, 1, true, {0, 0, 640, 1}},
        ClipCase{"BottomEdgeFirstRow", R640x240, 0, 479, 1, true, {0, 479, 640, 480}},
        ClipCase{"WhollyAbove", R640x240, 0, -240, 1, false, {0, 0, 0, 0}},
        ClipCase{"WhollyLeft", R50x30, -50, 100, 1, false, {0, 0, 0, 0}},
        ClipCase{"TwoColumnsLeft", R50x30, -48, 100, 1, true, {0, 100, 2, 130}},
        ClipCase{"TopLeftCorner", R50x30, -5, -7, 1, true, {0, 0, 45, 23}},
        ClipCase{"AtOriginUncut", R50x30, 0, 0, 1, true, {0, 0, 50, 30}},
        ClipCase{"XAt640Refused", R50x30, 640, 100, 1, false, {0, 0, 0, 0}},
        ClipCase{"YAt480Refused", R50x30, 100, 480, 1, false, {0, 0, 0, 0}},
        ClipCase{"XAt641NotTried", R50x30, 641, 100, 0, false, {0, 0, 0, 0}},
        ClipCase{"YAt481NotTried", R50x30, 100, 481, 0, false, {0, 0, 0, 0}},
        ClipCase{"FarOffNotTried", R50x30, 100000, -100000, 0, false, {0, 0, 0, 0}},
        ClipCase{"WholeScreen", RECT{0, 0, 640, 480}, 0, 0, 1, true, {0, 0, 640, 480}}),
    [](const ::testing::TestParamInfo<ClipCase>& info) { return std::string(info.param.name); });

TEST(SpriteDraw, KeyPixelsLeaveTheBackBufferAsItWas) {
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT, 77);
    CMemorySurface source(SCREEN_WIDTH, SCREEN_HEIGHT);
    PaintPattern(source);
    CSprite sprite(&back, &source, RECT{20, 30, 70, 60}, 5, 6);
    sprite.Draw(0);
    int nKeys = 0;
    for (int fy = 0; fy < 30; ++fy) {
        for (int fx = 0; fx < 50; ++fx) {
            const BYTE v = PatternAt(20 + fx, 30 + fy);
            if (v == KEY) ++nKeys;
            ASSERT_EQ(back.At(5 + fx, 6 + fy), v == KEY ? 77 : v) << fx << "," << fy;
        }
    }
    EXPECT_GT(nKeys, 50);
    EXPECT_EQ(back.Count(KEY), 0);
}

TEST(SpriteDraw, FramesWiderThanTheScreenAreCutShortOnTheRight) {
    // Width is taken before clipping, so a frame wider than the screen loses its overhang twice.
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT, BACKGROUND);
    CMemorySurface source(800, 20, 9);
    source.SetSourceKey(KEY);
    CSprite sprite(&back, &source, RECT{0, 0, 700, 10}, -20, 0);
    sprite.Draw(0);
    EXPECT_EQ(back.At(0, 0), 9);
    EXPECT_EQ(back.At(619, 9), 9);
    EXPECT_EQ(back.At(620, 0), BACKGROUND);
    EXPECT_EQ(back.Count(9), 620 * 10);
}

TEST(Sprite, StartsAtFrameZeroWithItsCountersClear) {
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT);
    CSprite sprite(&back, &back, ToRect(SPR_CRAFT[0]), 300, 400);
    EXPECT_EQ(sprite.GetFrame(), 0);
    EXPECT_EQ(sprite.GetLastFrame(), 0);
    EXPECT_EQ(sprite.GetX(), 300);
    EXPECT_EQ(sprite.GetY(), 400);
    EXPECT_EQ(sprite.GetRight(), 345);
    EXPECT_EQ(sprite.GetBottom(), 452);
    EXPECT_EQ(sprite.m_nHP, 0);
    EXPECT_EQ(sprite.m_nMove, 0);
    EXPECT_EQ(sprite.m_nFire, 0);
    EXPECT_EQ(sprite.m_nTick, 0);
    EXPECT_EQ(sprite.m_nDrop, 0);
    EXPECT_EQ(sprite.m_nFirePhase, 0);
    EXPECT_EQ(sprite.m_nAge, 0);
    EXPECT_EQ(sprite.m_bMoveRight, 0);

    sprite.SetX(-7);
    sprite.OffsetX(3);
    sprite.SetY(10);
    sprite.OffsetY(-15);
    sprite.SetFrame(4);
    EXPECT_EQ(sprite.GetX(), -4);
    EXPECT_EQ(sprite.GetY(), -5);
    EXPECT_EQ(sprite.GetRight(), 41);
    EXPECT_EQ(sprite.GetBottom(), 47);
    EXPECT_EQ(sprite.GetFrame(), 4);
    EXPECT_EQ(sprite.GetLastFrame(), 0);  // the current frame and the frame table are apart
}

// A source with 13 small 5x5 squares side by side, square i filled with 100 + i.
void PaintSquares(CMemorySurface& source) {
    source.Fill(1);
    source.SetSourceKey(KEY);
    for (int i = 0; i < 13; ++i) source.FillRect({10 * i, 0, 10 * i + 5, 5}, static_cast<BYTE>(100 + i));
}

BYTE DrawnFrame(CSprite& sprite, CMemorySurface& back, int nFrame) {
    back.Fill(BACKGROUND);
    sprite.Draw(nFrame);
    return back.At(sprite.GetX(), sprite.GetY());
}

TEST(Sprite, TenthAndLaterAddedFramesReplaceFrameNine) {
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT, BACKGROUND);
    CMemorySurface source(SCREEN_WIDTH, SCREEN_HEIGHT);
    PaintSquares(source);
    CSprite sprite(&back, &source, RECT{0, 0, 5, 5}, 20, 20);
    for (int i = 1; i <= 12; ++i) sprite.AddFrame(10 * i, 0, 10 * i + 5, 5);
    EXPECT_EQ(sprite.GetLastFrame(), 9);
    for (int k = 0; k <= 8; ++k) EXPECT_EQ(DrawnFrame(sprite, back, k), 100 + k) << "frame " << k;
    EXPECT_EQ(DrawnFrame(sprite, back, 9), 112);
}

TEST(Sprite, SizeComesFromFrameZeroWhicheverFrameIsDrawn) {
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT, BACKGROUND);
    CMemorySurface source(SCREEN_WIDTH, SCREEN_HEIGHT);
    source.Fill(3);
    source.SetSourceKey(KEY);
    CSprite sprite(&back, &source, RECT{0, 0, 45, 52}, 100, 200);
    sprite.AddFrame(50, 0, 60, 10);
    sprite.AddFrame(70, 0, 80, 12);
    sprite.Draw(2);
    EXPECT_EQ(sprite.GetRight(), 145);
    EXPECT_EQ(sprite.GetBottom(), 252);
    EXPECT_EQ(back.Count(3), 10 * 12);
}

TEST(Sprite, UndefinedOrOutOfRangeFramesDrawNothing) {
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT, BACKGROUND);
    CMemorySurface source(SCREEN_WIDTH, SCREEN_HEIGHT, 3);
    source.SetSourceKey(KEY);
    CSprite sprite(&back, &source, RECT{0, 0, 10, 10}, 5, 5);
    sprite.Draw(5);  // never defined: an empty rectangle, refused by the copy
    EXPECT_EQ(back.m_nBltRefused, back.m_nBltCalls);
    sprite.Draw(-1);
    sprite.Draw(10);
    sprite.Draw(1000000);
    EXPECT_EQ(back.m_nBltCalls, 1);
    EXPECT_EQ(back.Count(BACKGROUND), SCREEN_WIDTH * SCREEN_HEIGHT);
}

TEST(Sprite, MissingSurfacesDrawNothing) {
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT, BACKGROUND);
    CMemorySurface source(SCREEN_WIDTH, SCREEN_HEIGHT, 3);
    source.SetSourceKey(KEY);
    CSprite noDest(nullptr, &source, RECT{0, 0, 10, 10}, 5, 5);
    noDest.Draw(0);
    CSprite noSource(&back, nullptr, RECT{0, 0, 10, 10}, 5, 5);
    noSource.Draw(0);
    CSprite::BltClipped(nullptr, nullptr, 0, 0, RECT{0, 0, 10, 10});
    EXPECT_EQ(back.m_nBltCalls, 0);
    EXPECT_EQ(back.Count(BACKGROUND), SCREEN_WIDTH * SCREEN_HEIGHT);
}

TEST(Sprite, DestroyFreesTheSpriteAlone) {
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT, BACKGROUND);
    CSprite* pSprite = new CSprite(&back, &back, RECT{0, 0, 10, 10}, 5, 5);
    pSprite->Destroy();
    // The surfaces are only borrowed.
    EXPECT_EQ(back.AddRef(), 2u);
}

}  // namespace
