// The background over the game's own pictures, on the display's own surfaces.
#include <gtest/gtest.h>

#include <cstring>

#include "game/MainFrm.h"
#include "platform/headless.h"
#include "platform/screen.h"
#include "tests/background/scene.h"

using namespace bgtest;

namespace {

// Copies a whole screen-sized surface out, row after row.
std::vector<BYTE> ReadSurface(IDirectDrawSurface* pdds) {
    DDSURFACEDESC ddsd;
    std::memset(&ddsd, 0, sizeof(ddsd));
    ddsd.dwSize = sizeof(ddsd);
    if (pdds->Lock(nullptr, &ddsd, DDLOCK_WAIT, nullptr) != DD_OK) return {};
    std::vector<BYTE> pixels(SCREEN_WIDTH * SCREEN_HEIGHT);
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        std::memcpy(&pixels[static_cast<size_t>(y) * SCREEN_WIDTH],
                    static_cast<BYTE*>(ddsd.lpSurface) + ptrdiff_t(y) * ddsd.lPitch, SCREEN_WIDTH);
    pdds->Unlock(ddsd.lpSurface);
    return pixels;
}

bool FillSurface(IDirectDrawSurface* pdds, BYTE value) {
    DDSURFACEDESC ddsd;
    std::memset(&ddsd, 0, sizeof(ddsd));
    ddsd.dwSize = sizeof(ddsd);
    if (pdds->Lock(nullptr, &ddsd, DDLOCK_WAIT, nullptr) != DD_OK) return false;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        std::memset(static_cast<BYTE*>(ddsd.lpSurface) + ptrdiff_t(y) * ddsd.lPitch, value, SCREEN_WIDTH);
    pdds->Unlock(ddsd.lpSurface);
    return true;
}

}  // namespace

// Stages 0 to 3: every screen row is a whole row of the cloud sea of "BG00", from the tile in front.
TEST(BackgroundPictures, CloudSeaCoversEveryRowInStages0To3) {
    headless::Reset();
    headless::SetDisplayAvailable(true);
    auto* pFrame = new CMainFrame;  // deletes itself with its window
    ASSERT_TRUE(pFrame->CreateGameWindow());
    ASSERT_NE(pFrame->m_pddsBack, nullptr);
    ASSERT_NE(pFrame->m_pddsBG00, nullptr);
    ASSERT_NE(pFrame->m_pddsBG01, nullptr);

    const std::vector<BYTE> bg00 = ReadSurface(pFrame->m_pddsBG00);
    ASSERT_EQ(bg00.size(), size_t(SCREEN_WIDTH) * SCREEN_HEIGHT);
    DDCOLORKEY key{};
    ASSERT_EQ(pFrame->m_pddsBG00->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    const BYTE keyValue = static_cast<BYTE>(key.dwColorSpaceLowValue);
    // The cloud sea is solid: no pixel of the key colour in its rows.
    const SCutRect& tile = BG00_CLOUD_TILE;
    for (size_t i = size_t(tile.top) * SCREEN_WIDTH; i < size_t(tile.bottom) * SCREEN_WIDTH; ++i)
        ASSERT_NE(bg00[i], keyValue) << "BG00 row " << i / SCREEN_WIDTH;

    {
        CBackground bg(pFrame->m_pddsBack, pFrame->m_pddsBG00, pFrame->m_pddsBG01);
        bg.CreateStage1();
        bg.CreateStage2();
        const std::vector<int> checks = {1, 240, 241, 719, 1500, 2559};
        size_t nNext = 0;
        for (int f = 1; f <= 2559; ++f) {
            const bool bCheck = nNext < checks.size() && f == checks[nNext];
            // Key colour where nothing is drawn: no cloud-sea pixel has that value.
            if (bCheck) {
                ASSERT_TRUE(FillSurface(pFrame->m_pddsBack, keyValue));
            }
            bg.Update(f / 640);
            if (!bCheck) continue;
            ++nNext;
            SCOPED_TRACE(testing::Message() << "frame " << f);
            const std::vector<BYTE> screen = ReadSurface(pFrame->m_pddsBack);
            ASSERT_EQ(screen.size(), size_t(SCREEN_WIDTH) * SCREEN_HEIGHT);
            const std::vector<Drawn> tiles = ExpectedFrame(f);
            for (int y = 0; y < SCREEN_HEIGHT; ++y) {
                int nSourceRow = -1;  // the last tile drawn over this row wins
                for (const Drawn& t : tiles) {
                    if (y >= t.y && y < t.y + tile.Height()) nSourceRow = tile.top + (y - t.y);
                }
                ASSERT_GE(nSourceRow, tile.top) << "row " << y;
                ASSERT_EQ(0, std::memcmp(&screen[static_cast<size_t>(y) * SCREEN_WIDTH],
                                         &bg00[static_cast<size_t>(nSourceRow) * SCREEN_WIDTH], SCREEN_WIDTH))
                    << "screen row " << y << " should be BG00 row " << nSourceRow;
            }
        }
        EXPECT_EQ(nNext, checks.size());
    }

    pFrame->DestroyWindow();
    headless::Reset();
}

// The frame updates the background in every frame of play with its stage number: the city shows
// from frame 2560, and the cloud sea is freed in frame 3161.
TEST(BackgroundPictures, PlayBringsTheCityAndFreesTheCloudSea) {
    headless::Reset();
    headless::SetDisplayAvailable(true);
    auto* pFrame = new CMainFrame;
    ASSERT_TRUE(pFrame->CreateGameWindow());
    ASSERT_NE(pFrame->m_pBackground, nullptr);
    pFrame->m_nGameState = GAME_STATE_PLAYING;  // straight into play, without the music
    CBackground* pBackground = pFrame->m_pBackground;
    for (int f = 1; f <= 3161; ++f) {
        pFrame->RenderFrame();
        ASSERT_EQ(pFrame->m_nFrameCount, f);
        if (f == 2559) {
            EXPECT_EQ(pBackground->m_pCityStrip->GetY(), -119);
            EXPECT_EQ(pBackground->m_pCloudTiles[2]->GetY(), -77);
        }
        if (f == 2560) {
            EXPECT_EQ(pBackground->m_pCloudEnd->GetY(), -121);
            EXPECT_EQ(pBackground->m_pCityStrip->m_nTick, 2);
        }
        if (f == 3160) {
            EXPECT_NE(pBackground->m_pCloudTiles[0], nullptr);
        }
    }
    EXPECT_EQ(pBackground->m_pCloudTiles[0], nullptr);
    EXPECT_EQ(pBackground->m_pCloudEnd, nullptr);
    EXPECT_EQ(pBackground->m_pCityStrip->GetY(), LayerY(-119, 0, -119, 3, 603));
    pFrame->DestroyWindow();
    headless::Reset();
}
