// The whole frame, headless: the sounds are made at start-up, lent to the game world, and a shot
// meeting an enemy is heard in the mix.
#include <gtest/gtest.h>

#include "audio/wavelib.h"
#include "game/GameWorld.h"
#include "game/MainFrm.h"
#include "game/resource.h"
#include "platform/headless.h"
#include "platform/resources.h"
#include "tests/sound/sound_kit.h"

using namespace soundtest;

namespace {

// Puts an enemy with `hp` hit points and a shot on top of it in the middle of the screen.
void ShotMeetsEnemy(CMainFrame* frame, int hp) {
    CGameWorld* game = frame->m_pGame;
    CSprite* enemy = new CSprite(frame->m_pddsBack, frame->m_pddsSprites, RECT{0, 0, 40, 40}, 300, 150);
    enemy->m_nHP = hp;
    game->m_pEnemies[MAX_ENEMIES - 1] = enemy;
    game->m_pShots[0] = new CSprite(frame->m_pddsBack, frame->m_pddsSprites, RECT{0, 0, 8, 16}, 310, 160);
}

// The hit sound as the mixer should play it: its samples, resampled to the device rate.
std::vector<float> ExpectedHit(int frames) {
    LPWAVEFORMATEX fmt = nullptr;
    LPBYTE data = nullptr;
    DWORD size = 0;
    if (GetWaveData(MAKEINTRESOURCE(IDR_WAVE_HIT), &fmt, &data, &size, WAVE_SOURCE_RESOURCE) != 1) return {};
    return Resample(Decode(data, size, 8), int(fmt->nSamplesPerSec), audio_out::SampleRate(), frames);
}

}  // namespace

TEST(GameSound, AShotOnAnEnemyIsHeardAsTheHitSound) {
    headless::Reset();
    headless::SetAudioAvailable(true);
    auto* frame = new CMainFrame;
    ASSERT_TRUE(frame->CreateGameWindow());
    ASSERT_NE(frame->m_pDS, nullptr);
    ASSERT_NE(frame->m_pdsbHit, nullptr);
    ASSERT_NE(frame->m_pdsbExplosion, nullptr);
    ASSERT_NE(frame->m_pGame, nullptr);
    EXPECT_EQ(frame->m_pGame->m_pdsbHit, frame->m_pdsbHit);
    EXPECT_EQ(frame->m_pGame->m_pdsbExplosion, frame->m_pdsbExplosion);

    // Straight into play (no start request, so no music), then one frame with the shot on the enemy.
    frame->m_nGameState = GAME_STATE_PLAYING;
    EXPECT_EQ(Peak(Hear(1024)), 0.0);
    ShotMeetsEnemy(frame, 100);
    frame->RenderFrame();
    EXPECT_EQ(frame->m_pGame->m_pShots[0], nullptr);  // spent on the enemy
    EXPECT_TRUE(IsPlaying(frame->m_pdsbHit));
    EXPECT_FALSE(IsPlaying(frame->m_pdsbExplosion));

    const int frames = audio_out::SampleRate() / 5;  // the hit lasts 0.13 s
    std::vector<float> heard = Hear(frames);
    std::vector<float> expected = ExpectedHit(frames);
    ASSERT_FALSE(expected.empty());
    Fit fit = FitGain(Channel(heard, 0), expected);
    EXPECT_GT(fit.gain, 0.3);
    EXPECT_LT(fit.maxError, 1e-3);
    EXPECT_FALSE(IsPlaying(frame->m_pdsbHit));

    // A shot that kills: the hit and the explosion together.
    CSprite*& survivor = frame->m_pGame->m_pEnemies[MAX_ENEMIES - 1];
    ASSERT_NE(survivor, nullptr);
    survivor->Destroy();
    survivor = nullptr;
    ShotMeetsEnemy(frame, 1);
    frame->RenderFrame();
    EXPECT_TRUE(IsPlaying(frame->m_pdsbHit));
    EXPECT_TRUE(IsPlaying(frame->m_pdsbExplosion));
    EXPECT_GT(Peak(Hear(audio_out::SampleRate() / 10)), 0.1);

    frame->DestroyWindow();
    // The frame released its buffers: nothing is left in the mix.
    EXPECT_EQ(Peak(Hear(audio_out::SampleRate() / 2)), 0.0);
}

TEST(GameSound, WithoutAnAudioDeviceTheGameRunsSilent) {
    headless::Reset();
    audio_out::Shutdown();
    headless::SetAudioAvailable(false);
    auto* frame = new CMainFrame;
    ASSERT_TRUE(frame->CreateGameWindow());
    EXPECT_EQ(frame->m_pDS, nullptr);
    EXPECT_EQ(frame->m_pdsbHit, nullptr);
    EXPECT_EQ(frame->m_pdsbExplosion, nullptr);
    frame->m_nGameState = GAME_STATE_PLAYING;
    ShotMeetsEnemy(frame, 1);
    frame->RenderFrame();  // the hit and the kill with no sound to play
    EXPECT_EQ(frame->m_pGame->m_pShots[0], nullptr);
    frame->DestroyWindow();
    headless::SetAudioAvailable(true);
    audio_out::Shutdown();
}
