// Where every layer of the background is drawn, frame by frame, and how its sprites come and go.
#include <gtest/gtest.h>

#include "platform/screen.h"
#include "tests/background/scene.h"

using namespace bgtest;

namespace {

std::vector<Drawn> Tiles(int y0, int y1, int y2) { return {{ELayer::Tile, 0, y0}, {ELayer::Tile, 0, y1}, {ELayer::Tile, 0, y2}}; }

bool Stage1Alive(const CBackground& bg) {
    return bg.m_pCloudTiles[0] != nullptr && bg.m_pCloudTiles[1] != nullptr && bg.m_pCloudTiles[2] != nullptr &&
           bg.m_pCloudEnd != nullptr;
}

bool Stage1Gone(const CBackground& bg) {
    return bg.m_pCloudTiles[0] == nullptr && bg.m_pCloudTiles[1] == nullptr && bg.m_pCloudTiles[2] == nullptr &&
           bg.m_pCloudEnd == nullptr;
}

}  // namespace

TEST(BackgroundCreate, LayersStartAtTheirPlaces) {
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT);
    CMemorySurface bg00(SCREEN_WIDTH, SCREEN_HEIGHT);
    CMemorySurface bg01(SCREEN_WIDTH, SCREEN_HEIGHT);
    CBackground bg(&back, &bg00, &bg01);
    EXPECT_EQ(bg.m_pddsBack, &back);
    EXPECT_EQ(bg.m_pddsBG00, &bg00);
    EXPECT_EQ(bg.m_pddsBG01, &bg01);
    EXPECT_TRUE(Stage1Gone(bg));
    EXPECT_EQ(bg.m_pCityStrip, nullptr);
    EXPECT_EQ(bg.m_pCloudLeft, nullptr);
    EXPECT_EQ(bg.m_pCloudPuffs[0], nullptr);
    EXPECT_EQ(bg.m_pCloudPuffs[1], nullptr);
    EXPECT_EQ(bg.m_pCloudRight, nullptr);

    bg.CreateStage1();
    bg.CreateStage2();
    struct Case {
        const char* name;
        CSprite* pSprite;
        int x, y, width, height, tick;
    } cases[] = {
        {"tile 0", bg.m_pCloudTiles[0], 0, -239, 640, 240, 0},  {"tile 1", bg.m_pCloudTiles[1], 0, 0, 640, 240, 0},
        {"tile 2", bg.m_pCloudTiles[2], 0, 240, 640, 240, 0},   {"edge", bg.m_pCloudEnd, 0, -122, 640, 49, 0},
        {"city", bg.m_pCityStrip, 0, -119, 640, 120, 1},        {"left", bg.m_pCloudLeft, 0, -1000, 225, 480, 0},
        {"puff 0", bg.m_pCloudPuffs[0], 50, -300, 327, 206, 1}, {"puff 1", bg.m_pCloudPuffs[1], 300, -600, 327, 206, 1},
        {"right", bg.m_pCloudRight, 412, -500, 228, 273, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.pSprite, nullptr);
        EXPECT_EQ(c.pSprite->GetX(), c.x);
        EXPECT_EQ(c.pSprite->GetY(), c.y);
        EXPECT_EQ(c.pSprite->GetRight(), c.x + c.width);
        EXPECT_EQ(c.pSprite->GetBottom(), c.y + c.height);
        EXPECT_EQ(c.pSprite->m_nTick, c.tick);
        EXPECT_EQ(c.pSprite->GetLastFrame(), 0);
    }
}

// The frames of one game where the scenery changes, with the positions each layer is drawn at.
TEST(BackgroundTimeline, LayersAtTheMarkedFrames) {
    CScene scene;
    scene.m_bCopy = false;
    CBackground& bg = *scene.pBackground;
    for (int f = 1; f <= 3300; ++f) {
        scene.RunFrame(f);
        const std::vector<Drawn> draws = scene.Decode();
        if (f <= 2559) {
            // Stages 0 to 3: the three tiles alone; stage 2 waits at its start.
            ASSERT_EQ(draws.size(), 3u) << "frame " << f;
            ASSERT_EQ(bg.m_pCityStrip->GetY(), -119) << "frame " << f;
            ASSERT_EQ(bg.m_pCityStrip->m_nTick, 1) << "frame " << f;
            ASSERT_EQ(bg.m_pCloudPuffs[0]->m_nTick, 1) << "frame " << f;
            ASSERT_EQ(bg.m_pCloudEnd->GetY(), -122) << "frame " << f;
        }
        if (f == 2559) {
            EXPECT_EQ(draws, Tiles(162, 401, -78));
        }
        if (f == 2560) {
            const std::vector<Drawn> first = {
                {ELayer::City, 0, -119}, {ELayer::City, 0, 1},     {ELayer::City, 0, 121},   {ELayer::City, 0, 241},
                {ELayer::City, 0, 361},  {ELayer::Puff, 50, -300}, {ELayer::Puff, 300, -600}, {ELayer::Left, 0, -1000},
                {ELayer::Right, 412, -500}, {ELayer::Edge, 0, -122}, {ELayer::Tile, 0, 163},  {ELayer::Tile, 0, 402},
                {ELayer::Tile, 0, -77},
            };
            EXPECT_EQ(draws, first);
        }
        if (f >= 2560 && f <= 3116) {
            // The edge strip rides 45 rows above the top of tile 2.
            ASSERT_EQ(draws.size(), 13u) << "frame " << f;
            ASSERT_EQ(draws[9].y, draws[12].y - 45) << "frame " << f;
        }
        // The tiles come to rest on the bottom row, one after the other.
        struct Rest {
            int nFrame, nEntry, y;
        } rests[] = {{2636, 11, 478}, {2637, 11, 479}, {2875, 10, 478}, {2876, 10, 479}, {3115, 12, 478}, {3116, 12, 479}};
        for (const Rest& r : rests) {
            if (f == r.nFrame) {
                EXPECT_EQ(draws[r.nEntry], (Drawn{ELayer::Tile, 0, r.y})) << "frame " << f;
            }
        }
        if (f == 3160) {
            EXPECT_EQ(std::vector<Drawn>(draws.begin() + 9, draws.end()),
                      (std::vector<Drawn>{{ELayer::Edge, 0, 478}, {ELayer::Tile, 0, 479}, {ELayer::Tile, 0, 479}, {ELayer::Tile, 0, 479}}));
            EXPECT_TRUE(Stage1Alive(bg));
        }
        if (f == 3161) {
            ASSERT_EQ(draws.size(), 13u);
            EXPECT_EQ(draws[9], (Drawn{ELayer::Edge, 0, 479}));
            EXPECT_TRUE(Stage1Gone(bg)) << "the cloud sea is freed in the frame its edge leaves the screen";
        }
        if (f >= 3162) {
            ASSERT_EQ(draws.size(), 9u) << "frame " << f;
            ASSERT_TRUE(Stage1Gone(bg));
        }
    }
}

// Every frame of a game, from the first to well past the first pass of every stage-2 layer.
TEST(BackgroundTimeline, EveryFrameMatchesTheLayerTimings) {
    CScene scene;
    scene.m_bCopy = false;
    int nMismatches = 0;
    for (int f = 1; f <= 6200 && nMismatches < 5; ++f) {
        scene.RunFrame(f);
        const std::vector<Drawn> draws = scene.Decode();
        if (draws != ExpectedFrame(f)) {
            ++nMismatches;
            ADD_FAILURE() << "frame " << f << ": drew " << testing::PrintToString(draws) << "\n expected "
                          << testing::PrintToString(ExpectedFrame(f));
        }
    }
}

TEST(BackgroundTimeline, CyclesOfEveryLayer) {
    CScene scene;
    scene.m_bCopy = false;
    const int nLastFrame = 2559 + 3522 + 400;
    // drawn[i][f] = y at which entry i of frame f was drawn.
    std::vector<std::vector<int>> tileY(3, std::vector<int>(nLastFrame + 1));
    std::vector<std::vector<int>> stage2Y(9, std::vector<int>(nLastFrame + 1));
    for (int f = 1; f <= nLastFrame; ++f) {
        scene.RunFrame(f);
        const std::vector<Drawn> draws = scene.Decode();
        if (f < 2560) {
            ASSERT_EQ(draws.size(), 3u);
            for (int i = 0; i < 3; ++i) tileY[i][f] = draws[i].y;
        } else {
            ASSERT_GE(draws.size(), 9u);
            for (int i = 0; i < 9; ++i) stage2Y[i][f] = draws[i].y;
        }
    }

    // The frames in which a layer is drawn at its last place and then jumps back.
    auto jumps = [](const std::vector<int>& ys, int nFrom, int nTo, int nLastY, int nResetY) {
        std::vector<int> frames;
        for (int f = nFrom; f < nTo; ++f) {
            if (ys[f] == nLastY) {
                EXPECT_EQ(ys[f + 1], nResetY) << "frame " << f + 1;
                frames.push_back(f);
            }
        }
        return frames;
    };

    // Tiles: 719 frames a cycle while the sea renews itself.
    EXPECT_EQ(jumps(tileY[0], 1, 2559, 479, -239), (std::vector<int>{719, 1438, 2157}));
    EXPECT_EQ(jumps(tileY[1], 1, 2559, 479, -239), (std::vector<int>{480, 1199, 1918}));
    EXPECT_EQ(jumps(tileY[2], 1, 2559, 479, -239), (std::vector<int>{240, 959, 1678, 2397}));
    for (int f = 1; f + 719 < 2560; ++f)
        for (int i = 0; i < 3; ++i) ASSERT_EQ(tileY[i][f + 719], tileY[i][f]) << "tile " << i << " frame " << f;

    // Stage-2 layers, counted from the first frame of stage 4 (k = 1 in frame 2560).
    struct Case {
        const char* name;
        int nEntry;  // index among the frame's draws
        int nLastY, nResetY;
        int nFirstJumpK;
        int nPeriod;
    } cases[] = {
        {"city", 0, 0, -119, 358, 358},     {"puff 0", 5, 480, -200, 1561, 1361}, {"puff 1", 6, 480, -200, 2161, 1361},
        {"left", 7, 480, -480, 1481, 961},  {"right", 8, 480, -300, 981, 781},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<int>& ys = stage2Y[c.nEntry];
        const std::vector<int> frames = jumps(ys, 2560, nLastFrame, c.nLastY, c.nResetY);
        ASSERT_GE(frames.size(), 2u);
        EXPECT_EQ(frames[0] - 2559, c.nFirstJumpK);
        for (size_t i = 1; i < frames.size(); ++i) EXPECT_EQ(frames[i] - frames[i - 1], c.nPeriod);
        // After the first jump the whole run repeats, speed phase included.
        for (int f = frames[0] + 1; f + c.nPeriod <= nLastFrame; ++f) ASSERT_EQ(ys[f + c.nPeriod], ys[f]) << "frame " << f;
    }
}

// A tile on the bottom row jumps back only before the passage; the edge moves in stage 4 alone.
TEST(BackgroundStageRules, TilesAndEdgeByStageNumber) {
    struct Case {
        int nStage;
        int nTileYAfter;
        bool bEdgeMoves;
        size_t nStage2Draws;
    } cases[] = {{3, -239, false, 0}, {4, 479, true, 9}, {5, 479, false, 9}, {12, 479, false, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stage " << c.nStage);
        CScene scene;
        scene.m_bCopy = false;
        CBackground& bg = *scene.pBackground;
        bg.m_pCloudTiles[0]->SetY(479);
        scene.Update(c.nStage);
        std::vector<Drawn> draws = scene.Decode();
        ASSERT_EQ(draws.size(), c.nStage2Draws + (c.bEdgeMoves ? 4 : 3));
        std::vector<Drawn> stage1(draws.begin() + static_cast<long>(c.nStage2Draws), draws.end());
        std::vector<Drawn> expected = Tiles(479, 0, 240);
        if (c.bEdgeMoves) expected.insert(expected.begin(), Drawn{ELayer::Edge, 0, -122});
        EXPECT_EQ(stage1, expected);
        EXPECT_EQ(bg.m_pCloudTiles[0]->GetY(), c.nTileYAfter);
        EXPECT_EQ(bg.m_pCloudEnd->GetY(), c.bEdgeMoves ? -121 : -122);

        // Held in the stage for a long time: a resting tile stays on the bottom row, and without
        // stage 4 the edge never comes down, so the cloud sea is never freed.
        for (int i = 0; i < 800; ++i) scene.Update(c.nStage);
        if (c.nStage > 4) {
            const std::vector<Drawn> later = scene.Decode();
            ASSERT_EQ(later.size(), 12u);
            EXPECT_EQ(std::vector<Drawn>(later.begin() + 9, later.end()), Tiles(479, 479, 479));
            EXPECT_TRUE(Stage1Alive(bg));
            EXPECT_EQ(bg.m_pCloudEnd->GetY(), -122);
        }
        if (c.nStage == 4) {
            EXPECT_TRUE(Stage1Gone(bg));
        }
    }
}
