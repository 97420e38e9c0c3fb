// The golden game: one scripted game from Space through frame 10,200, with digests of the game
// world (every slot and counter, and the random state) and of what it drew, taken every 500 frames.
// Any change in behaviour moves a digest; the failure message lists the changed checkpoints and
// prints the table to paste here once the change is meant.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "game/GameWorld.h"
#include "game/MainFrm.h"
#include "game/Tesselor.h"
#include "platform/crt_rand.h"
#include "platform/headless.h"
#include "platform/screen.h"
#include "tests/game/enemy_sheet.h"
#include "tests/game/world_digest.h"

namespace {

const int FRAMES_PER_TICK = 4;
const int LAST_FRAME = 10200;
const int CHECK_EVERY = 500;

struct Checkpoint {
    int nFrame;
    uint64_t world;   // game world state
    uint64_t pixels;  // back buffer of the world-driven run (test sheet)
};

// Recorded from a run of the current game; see the file comment.
const Checkpoint GOLDEN[] = {
    {500, 0xb333a8645d8fa485ull, 0x009edb30846b86e1ull},
    {1000, 0x3ded32eb7c0a0529ull, 0xc7fede7ac255a508ull},
    {1500, 0x2f3e703a3dd023a4ull, 0xb3273c5f9e63f24full},
    {2000, 0x7d341f94fa6ad900ull, 0x56299bc2e2e92821ull},
    {2500, 0x8204ed10f07a3ac1ull, 0x3c227536974a9a85ull},
    {3000, 0x204ddccc67496b65ull, 0x860cdae1427c0990ull},
    {3500, 0x87ac2c1eb334b0d3ull, 0x66678ee8bf34b83full},
    {4000, 0xf97fd953e83c811dull, 0xc747c0342cb84247ull},
    {4500, 0x16c7d0d60636b4e0ull, 0xd019b2dbe29ae4dbull},
    {5000, 0x4dd7fefb85a5d327ull, 0x182b48ce7ae3f77bull},
    {5500, 0x4a1b0f9e7010445cull, 0xb7334dbc900780abull},
    {6000, 0xf177f2d8159cac23ull, 0x3fec0408a7627ef6ull},
    {6500, 0x5be90b94ebb48ac0ull, 0x2a1674330f670a7dull},
    {7000, 0x18185d50de628e86ull, 0x7df6d0ad65da81b9ull},
    {7500, 0x649b99e82194c69cull, 0x1dcab79acf951de1ull},
    {8000, 0x6fff1b216376fa62ull, 0x7f3808dc68314942ull},
    {8500, 0x56902345f3bd1919ull, 0xf3b94db50a51a340ull},
    {9000, 0x3d9a2ff8cf147326ull, 0x42dbbbf54d2d3b07ull},
    {9500, 0x3ea732b511179246ull, 0x164d6063aa2cb681ull},
    {10000, 0x5ecb8b53656d6876ull, 0xb0f3a22249d2deb2ull},
    {10200, 0x6498f5c22069aeebull, 0x0b4eb23040129696ull},
};

std::string Summary(const CGameWorld& w) {
    int nEnemies = 0, nBullets = 0, nShots = 0;
    for (const CSprite* p : w.m_pEnemies) nEnemies += p != nullptr;
    for (const CSprite* p : w.m_pBullets) nBullets += p != nullptr;
    for (const CSprite* p : w.m_pShots) nShots += p != nullptr;
    char text[200];
    std::snprintf(text, sizeof(text), "craft %s shield %d at (%d,%d), level %d, %d enemies, %d bullets, %d shots",
                  w.m_pPlayer != nullptr ? "alive" : "lost", w.m_pPlayer != nullptr ? w.m_pPlayer->m_nHP : 0,
                  w.m_pPlayer != nullptr ? w.m_pPlayer->GetX() : 0, w.m_pPlayer != nullptr ? w.m_pPlayer->GetY() : 0,
                  w.m_nShotLevel, nEnemies, nBullets, nShots);
    return text;
}

// The input script, tick by tick (four frames each): the craft weaves left and right (80 frames left,
// 160 right, 80 left), bobs up and down 120 pixels near the bottom, and fires on every second tick
// (every 8 frames). It takes a power item from the first mid-boss and is lost a little after frame
// 3000, so the golden game covers play with and without the craft.
struct Keys {
    bool left, right, up, down, fire;
};

Keys KeysForTick(int t) {
    const int sway = (t / 20) % 4;
    const int bob = (t / 10) % 4;
    return {sway == 0 || sway == 3, sway == 1 || sway == 2, bob == 1, bob == 2, t % 2 == 0};
}

struct Recorded {
    std::vector<Checkpoint> checkpoints;
    std::vector<std::string> summaries;
};

bool IsCheckpoint(int nFrame) { return nFrame % CHECK_EVERY == 0 || nFrame == LAST_FRAME; }

// Compares against GOLDEN, naming every changed checkpoint, and prints the table to record.
void ExpectGolden(const Recorded& r, bool bPixels) {
    const size_t nGolden = sizeof(GOLDEN) / sizeof(GOLDEN[0]);
    std::string diff;
    for (size_t i = 0; i < r.checkpoints.size(); ++i) {
        const Checkpoint& got = r.checkpoints[i];
        const Checkpoint* want = i < nGolden ? &GOLDEN[i] : nullptr;
        char line[300];
        if (want == nullptr || want->nFrame != got.nFrame) {
            std::snprintf(line, sizeof(line), "  frame %5d: no recorded digest  [%s]\n", got.nFrame,
                          r.summaries[i].c_str());
            diff += line;
            continue;
        }
        if (want->world != got.world) {
            std::snprintf(line, sizeof(line), "  frame %5d: world  expected %016" PRIx64 ", got %016" PRIx64 "  [%s]\n",
                          got.nFrame, want->world, got.world, r.summaries[i].c_str());
            diff += line;
        }
        if (bPixels && want->pixels != got.pixels) {
            std::snprintf(line, sizeof(line), "  frame %5d: pixels expected %016" PRIx64 ", got %016" PRIx64 "\n",
                          got.nFrame, want->pixels, got.pixels);
            diff += line;
        }
    }
    if (diff.empty()) return;
    if (!bPixels) {
        ADD_FAILURE() << "The golden game has changed:\n" << diff
                      << "The world-driven run (GoldenGame.WorldStateAndDrawing) prints the table to record.";
        return;
    }
    std::string table = "const Checkpoint GOLDEN[] = {\n";
    for (const Checkpoint& c : r.checkpoints) {
        char line[120];
        std::snprintf(line, sizeof(line), "    {%d, 0x%016" PRIx64 "ull, 0x%016" PRIx64 "ull},\n", c.nFrame, c.world,
                      c.pixels);
        table += line;
    }
    table += "};\n";
    ADD_FAILURE() << "The golden game has changed:\n" << diff << "If the change is meant, record:\n" << table;
}

// The game world driven directly, in the frame's order of one game step, drawing from the test sheet
// onto a back buffer cleared at the start of every frame.
TEST(GoldenGame, WorldStateAndDrawing) {
    crt::rand_reset_for_testing();
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT, 0);
    CMemorySurface sheet(SCREEN_WIDTH, SCREEN_HEIGHT);
    PaintEnemySheet(sheet);
    CGameWorld w(&back, &sheet);
    w.CreatePlayer();
    w.SetSounds(nullptr, nullptr);

    Recorded r;
    for (int nFrame = 1; nFrame <= LAST_FRAME; ++nFrame) {
        const int t = (nFrame - 1) / FRAMES_PER_TICK;
        const Keys k = KeysForTick(t);
        const bool bFire = k.fire && (nFrame - 1) % FRAMES_PER_TICK == 0;
        back.Fill(0);
        w.RunStageScript(nFrame);
        w.CheckCollisions();
        w.UpdateEnemies();
        w.UpdatePlayer(k.left, k.right, k.up, k.down, bFire);
        w.DrawShieldGauge();
        w.UpdateItems();
        w.AnimateExplosions();
        if (IsCheckpoint(nFrame)) {
            Fnv1a pixels;
            for (int y = 0; y < back.Height(); ++y)
                for (int x = 0; x < back.Width(); ++x) {
                    const BYTE v = back.At(x, y);
                    pixels.AddBytes(&v, 1);
                }
            r.checkpoints.push_back({nFrame, WorldDigest(w), pixels.Value()});
            r.summaries.push_back(Summary(w));
        }
    }
    ExpectGolden(r, true);
}

// The same script through the frame window's keys and timer on the headless back end: the game
// world must come out the same, checkpoint by checkpoint.
TEST(GoldenGame, ThroughTheFrameWindow) {
    crt::rand_reset_for_testing();
    headless::Reset();
    headless::SetDisplayAvailable(true);
    CMainFrame* pFrame = new CMainFrame;
    theApp.m_pMainWnd = pFrame;
    ASSERT_TRUE(pFrame->CreateGameWindow());
    HWND hWnd = pFrame->GetSafeHwnd();

    headless::KeyDown(VK_SPACE);
    headless::PumpMessages();
    headless::KeyUp(VK_SPACE);
    headless::PumpMessages();
    ASSERT_EQ(pFrame->m_nGameState, GAME_STATE_START);

    Recorded r;
    Keys held{};
    const UINT vks[4] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
    int nLostAt = 0;
    for (int t = 0; t * FRAMES_PER_TICK < LAST_FRAME; ++t) {
        const Keys k = KeysForTick(t);
        const bool want[4] = {k.left, k.right, k.up, k.down};
        bool* have[4] = {&held.left, &held.right, &held.up, &held.down};
        for (int i = 0; i < 4; ++i) {
            if (want[i] == *have[i]) continue;
            if (want[i])
                headless::KeyDown(vks[i]);
            else
                headless::KeyUp(vks[i]);
            *have[i] = want[i];
        }
        if (k.fire) headless::KeyDown(VK_SPACE);
        headless::PumpMessages();
        headless::RunTicks(1);
        if (k.fire) headless::KeyUp(VK_SPACE);
        headless::PumpMessages();
        ASSERT_EQ(pFrame->m_nFrameCount, (t + 1) * FRAMES_PER_TICK) << "one timer tick is four frames";
        ASSERT_NE(pFrame->m_pGame, nullptr);
        if (nLostAt == 0 && pFrame->m_pGame->m_pPlayer == nullptr) nLostAt = pFrame->m_nFrameCount;
        if (IsCheckpoint(pFrame->m_nFrameCount)) {
            r.checkpoints.push_back({pFrame->m_nFrameCount, WorldDigest(*pFrame->m_pGame), 0});
            r.summaries.push_back(Summary(*pFrame->m_pGame));
        }
    }
    ExpectGolden(r, false);
    EXPECT_EQ(pFrame->m_nStage, LAST_FRAME / 640);
    // Counted on every frame without a craft (the loss is seen here a tick at a time).
    if (nLostAt != 0) {
        EXPECT_GE(pFrame->m_nGameOverCount, LAST_FRAME - nLostAt + 1);
        EXPECT_LE(pFrame->m_nGameOverCount, LAST_FRAME - nLostAt + FRAMES_PER_TICK);
    }

    if (IsWindow(hWnd)) DestroyWindow(hWnd);
    headless::Reset();
}

}  // namespace
