// What the background leaves on the back buffer, pixel by pixel, at frames across one game.
#include <gtest/gtest.h>

#include "platform/screen.h"
#include "tests/background/scene.h"

using namespace bgtest;

namespace {

// Runs a game from frame 1 and calls check(frame) after each of the given frames, with the back
// buffer drawn by that frame alone (copying is skipped in the frames between).
template <typename Check>
void RunAndCheck(const std::vector<int>& frames, Check check) {
    CScene scene;
    int f = 1;
    for (int nFrame : frames) {
        scene.RunFramesFast(f, nFrame - 1);
        scene.m_bCopy = true;
        scene.RunFrame(nFrame);
        SCOPED_TRACE(testing::Message() << "frame " << nFrame);
        check(nFrame, scene.back);
        f = nFrame + 1;
    }
}

void ExpectScreen(const CMemorySurface& back, const std::vector<BYTE>& expected) {
    int nBad = 0;
    for (int y = 0; y < SCREEN_HEIGHT && nBad < 5; ++y) {
        for (int x = 0; x < SCREEN_WIDTH && nBad < 5; ++x) {
            const BYTE v = expected[static_cast<size_t>(y) * SCREEN_WIDTH + x];
            if (back.At(x, y) != v) {
                ++nBad;
                ADD_FAILURE() << "pixel (" << x << "," << y << ") is " << int(back.At(x, y)) << ", expected "
                              << int(v);
            }
        }
    }
}

int CountRowsWhere(const CMemorySurface& back, int y0, int y1, bool (*pred)(BYTE)) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        bool bAll = true;
        for (int x = 0; x < SCREEN_WIDTH; ++x) bAll = bAll && pred(back.At(x, y));
        n += bAll;
    }
    return n;
}

}  // namespace

// Stages 0 to 3: the cloud sea alone fills every pixel of the screen, in every phase of its cycle.
TEST(BackgroundPixels, CloudSeaCoversTheScreenInStages0To3) {
    RunAndCheck({1, 2, 239, 240, 241, 480, 481, 719, 720, 1000, 1918, 2397, 2559}, [](int f, const CMemorySurface& back) {
        EXPECT_EQ(CountRowsWhere(back, 0, 480, IsCloudSeaValue), 480);
        ExpectScreen(back, Compose(ExpectedFrame(f)));
    });
}

// Stage 4: the ragged edge of the cloud sea comes down and uncovers the city and its clouds.
TEST(BackgroundPixels, PassageUncoversStage2) {
    RunAndCheck({2560, 2637, 2700, 3000, 3116, 3161}, [](int f, const CMemorySurface& back) {
        ExpectScreen(back, Compose(ExpectedFrame(f)));
        if (f == 2560) {
            // The edge is still above the screen: nothing of stage 2 shows yet.
            EXPECT_EQ(CountRowsWhere(back, 0, 480, IsCloudSeaValue), 480);
        }
        if (f == 3000) {
            // Edge at 318 (two rows of key colour, then the ragged line, solid from row 352), tile 2
            // from row 363 down, and stage 2 above it.
            EXPECT_EQ(CountRowsWhere(back, 0, 320, IsStage2Value), 320);
            EXPECT_EQ(CountRowsWhere(back, 352, 363, IsEdgeValue), 11);
            EXPECT_EQ(CountRowsWhere(back, 363, 480, IsCloudSeaValue), 117);
            for (int y = 320; y < 352; ++y) {
                for (int x = 0; x < 640; ++x) {
                    const BYTE edge = Bg00Value(x, 120 + (y - 318));
                    if (edge == KEY) {
                        ASSERT_TRUE(IsStage2Value(back.At(x, y))) << x << "," << y;
                    } else {
                        ASSERT_EQ(back.At(x, y), edge) << x << "," << y;
                    }
                }
            }
        }
        if (f == 3161) {
            // Only the top row of each tile and of the edge is left, on the bottom screen row.
            EXPECT_EQ(CountRowsWhere(back, 0, 479, IsStage2Value), 479);
            for (int x = 0; x < 640; ++x) ASSERT_EQ(back.At(x, 479), Bg00Value(x, 169)) << x;
        }
    });
}

// Stage 2 alone: the city's five copies cover the screen, the clouds drift over it.
TEST(BackgroundPixels, Stage2AloneFillsTheScreen) {
    RunAndCheck({3162, 3300, 4120, 4121, 5000}, [](int f, const CMemorySurface& back) {
        ExpectScreen(back, Compose(ExpectedFrame(f)));
        EXPECT_EQ(CountRowsWhere(back, 0, 480, IsStage2Value), 480);
        if (f == 4121) {
            // Puff 0 jumped back from 480 to -200 in the frame before: its bottom 6 rows now show at
            // the top of the screen (where the left cloud does not cover them).
            for (int y = 0; y < 6; ++y) {
                for (int x = 226; x < 50 + 327; ++x) {
                    const BYTE puff = Bg01Value(226 + (x - 50), 474 + y);
                    if (puff != KEY) {
                        ASSERT_EQ(back.At(x, y), puff) << x << "," << y;
                    }
                }
            }
        }
    });
}
