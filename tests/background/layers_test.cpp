// The stage-2 layers' jumps, taking stage 2 down, missing layers and a background without a display.
#include <gtest/gtest.h>

#include "game/sprite_testing.h"
#include "tests/background/scene.h"

using namespace bgtest;

TEST(BackgroundStage2, CityStripDrawsFiveTimesAndJumpsKeepingItsTick) {
    CScene scene;
    scene.m_bCopy = false;
    CSprite* pCity = scene.pBackground->m_pCityStrip;
    pCity->SetY(0);
    pCity->m_nTick = 2;
    scene.Update(4);

    const std::vector<CMemorySurface::Blit>& log = scene.back.Log();
    const std::vector<Drawn> draws = scene.Decode();
    ASSERT_GE(draws.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(draws[i], (Drawn{ELayer::City, 0, 120 * i})) << "copy " << i;
        // The fifth copy starts on the row below the screen and clips to nothing.
        if (i < 4) {
            EXPECT_EQ(log[i].hr, DD_OK) << "copy " << i;
        } else {
            EXPECT_NE(log[i].hr, DD_OK);
        }
    }
    EXPECT_EQ(pCity->GetY(), -119);
    EXPECT_EQ(pCity->m_nTick, 2) << "a jump back leaves the tick alone";

    // From the top again: the tick carries on where it was, so the first move comes one frame later.
    scene.Update(4);
    EXPECT_EQ(pCity->GetY(), -119);
    EXPECT_EQ(pCity->m_nTick, 3);
    scene.Update(4);
    EXPECT_EQ(pCity->GetY(), -118);
    EXPECT_EQ(pCity->m_nTick, 1);
}

TEST(BackgroundStage2, CloudsJumpBackFromTheBottom) {
    struct Case {
        const char* name;
        CSprite* CBackground::*pMember;
        int nPuff;  // -1: not a puff
        int nResetY;
    } cases[] = {
        {"puff 0", nullptr, 0, -200},
        {"puff 1", nullptr, 1, -200},
        {"left", &CBackground::m_pCloudLeft, -1, -480},
        {"right", &CBackground::m_pCloudRight, -1, -300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScene scene;
        scene.m_bCopy = false;
        CBackground& bg = *scene.pBackground;
        CSprite* pCloud = c.nPuff >= 0 ? bg.m_pCloudPuffs[c.nPuff] : bg.*c.pMember;
        pCloud->SetY(480);
        pCloud->m_nTick = 2;
        scene.Update(4);
        // Drawn at 480 (nothing of it on the screen), then back to the top with its tick unchanged.
        bool bDrawnAt480 = false;
        for (const Drawn& d : scene.Decode())
            if (d.x == pCloud->GetX() && d.y == 480 && d.layer != ELayer::City) bDrawnAt480 = true;
        EXPECT_TRUE(bDrawnAt480);
        EXPECT_EQ(pCloud->GetY(), c.nResetY);
        EXPECT_EQ(pCloud->m_nTick, 2);
    }
}

TEST(BackgroundStage2, DestroyStage2TakesItDownForGood) {
    CScene scene;
    scene.m_bCopy = false;
    CBackground& bg = *scene.pBackground;
    bg.DestroyStage2();
    EXPECT_EQ(bg.m_pCityStrip, nullptr);
    EXPECT_EQ(bg.m_pCloudLeft, nullptr);
    EXPECT_EQ(bg.m_pCloudPuffs[0], nullptr);
    EXPECT_EQ(bg.m_pCloudPuffs[1], nullptr);
    EXPECT_EQ(bg.m_pCloudRight, nullptr);
    bg.DestroyStage2();  // a second time finds nothing to free

    // The passage still runs, with nothing of stage 2 under it.
    for (int f = 2560; f <= 3161; ++f) {
        scene.RunFrame(f);
        const std::vector<Drawn> draws = scene.Decode();
        ASSERT_EQ(draws.size(), 4u) << "frame " << f;
        ASSERT_EQ(draws[0].layer, ELayer::Edge) << "frame " << f;
    }
    EXPECT_EQ(bg.m_pCloudTiles[0], nullptr);
    for (int nStage : {4, 5, 9}) {
        scene.Update(nStage);
        EXPECT_TRUE(scene.back.Log().empty()) << "stage " << nStage;
    }
}

// A layer that is missing is left out; the others scroll on as before.
TEST(BackgroundStage2, MissingLayersAreSkipped) {
    struct Case {
        const char* name;
        CSprite* CBackground::*pMember;
        int nPuff;
        ELayer missing;
        size_t nDraws;  // in a stage-4 frame with everything else present
    } cases[] = {
        {"edge", &CBackground::m_pCloudEnd, -1, ELayer::Edge, 12},
        {"left", &CBackground::m_pCloudLeft, -1, ELayer::Left, 12},
        {"right", &CBackground::m_pCloudRight, -1, ELayer::Right, 12},
        {"puff 0", nullptr, 0, ELayer::Puff, 12},
        {"city", &CBackground::m_pCityStrip, -1, ELayer::City, 4},  // without the city, stage 2 is gone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScene scene;
        scene.m_bCopy = false;
        CBackground& bg = *scene.pBackground;
        CSprite*& pSlot = c.nPuff >= 0 ? bg.m_pCloudPuffs[c.nPuff] : bg.*c.pMember;
        pSlot->Destroy();
        pSlot = nullptr;

        std::vector<Drawn> expected = ExpectedFrame(2560);
        if (c.missing == ELayer::City) {
            expected.erase(expected.begin(), expected.begin() + 9);
        } else {
            for (auto it = expected.begin(); it != expected.end(); ++it) {
                if (it->layer == c.missing) {
                    expected.erase(it);
                    break;
                }
            }
        }
        scene.RunFramesFast(1, 2559);
        scene.RunFrame(2560);
        EXPECT_EQ(scene.Decode(), expected);
        EXPECT_EQ(scene.Decode().size(), c.nDraws);
        // Without the edge the tiles rest on the bottom row and the cloud sea is kept.
        for (int f = 2561; f <= 3300; ++f) scene.RunFrame(f);
        EXPECT_EQ(bg.m_pCloudTiles[0] == nullptr, c.missing != ELayer::Edge);
    }
}

// Without a display the surfaces are null: nothing is drawn, but the scenery keeps its time.
TEST(BackgroundLifetime, RunsWithoutSurfaces) {
    CBackground bg(nullptr, nullptr, nullptr);
    bg.CreateStage1();
    bg.CreateStage2();
    for (int f = 1; f <= 3160; ++f) bg.Update(f / 640);
    EXPECT_EQ(bg.m_pCloudEnd->GetY(), 479);
    bg.Update(3161 / 640);
    EXPECT_EQ(bg.m_pCloudTiles[0], nullptr);
    EXPECT_EQ(bg.m_pCloudEnd, nullptr);
    ASSERT_NE(bg.m_pCityStrip, nullptr);
    EXPECT_EQ(bg.m_pCityStrip->GetY(), LayerY(-119, 0, -119, 3, 3161 - 2559 + 1));
}

namespace {

// The sprites a background holds: those it has made and not yet freed.
int HeldSprites(const CBackground& bg) {
    const CSprite* held[] = {bg.m_pCloudTiles[0], bg.m_pCloudTiles[1], bg.m_pCloudTiles[2], bg.m_pCloudEnd,
                             bg.m_pCityStrip,     bg.m_pCloudLeft,     bg.m_pCloudPuffs[0], bg.m_pCloudPuffs[1],
                             bg.m_pCloudRight};
    int n = 0;
    for (const CSprite* p : held) n += p != nullptr;
    return n;
}

}  // namespace

// In every state of a game the background holds exactly the sprites alive (what it lets go it has
// freed), and when it goes it frees whatever it still holds, each sprite once.
TEST(BackgroundLifetime, DeletingFreesWhatIsLeft) {
    const int nBefore = sprite_testing::LiveCount();
    for (int nFrames : {0, 100, 2700, 3161, 3500}) {
        for (bool bDestroyStage2 : {false, true}) {
            SCOPED_TRACE(testing::Message() << nFrames << " frames" << (bDestroyStage2 ? ", stage 2 taken down" : ""));
            {
                CScene scene;
                scene.m_bCopy = false;
                scene.RunFramesFast(1, nFrames);
                if (bDestroyStage2) scene.pBackground->DestroyStage2();
                EXPECT_EQ(sprite_testing::LiveCount() - nBefore, HeldSprites(*scene.pBackground));
            }
            EXPECT_EQ(sprite_testing::LiveCount(), nBefore);
        }
    }
    {
        CBackground bare(nullptr, nullptr, nullptr);  // never made anything
    }
    EXPECT_EQ(sprite_testing::LiveCount(), nBefore);
}
