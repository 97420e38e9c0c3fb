// The golden game as the player sees it: the frame window on the headless back end with the real
// display and the real pictures, played from Space through the boss (frame 10,200) and on to the END
// picture, then a second game after Escape in the same run. At fixed frames it takes a digest of the
// game world and of the PRESENTED frame (pixels and palette). Any change in behaviour or drawing
// moves a digest; the failure lists the changed checkpoints and prints the table to paste here once
// the change is meant.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/GameWorld.h"
#include "game/MainFrm.h"
#include "game/Tesselor.h"
#include "platform/crt_rand.h"
#include "platform/ddraw_testing.h"
#include "platform/headless.h"
#include "tests/game/world_digest.h"
#include "tests/support/headless_frame.h"

namespace {

const int FRAMES_PER_TICK = 4;
const int BOSS_FRAME = 10200;
const int SECOND_GAME_FRAMES = 2000;
const int GAME_OVER_DELAY = 200;

struct Checkpoint {
    int nGame;           // 1 or 2
    int nFrame;          // m_nFrameCount; 0 is the title before Space; the END checkpoint is the first END frame
    uint64_t world;      // game world state with the random state
    uint64_t presented;  // the presented frame: 640x480 indices and the 256 palette colours
};

// Recorded from a run of the current game. The presented-frame digests depend on the committed art
// (resources/*.bmp drawn by tools/artgen): art regenerated differently needs them recorded again.
// clang-format off
const Checkpoint GOLDEN[] = {
    {1, 0, 0xff80e0487db425a7ull, 0x1379a04b42d1a37dull},
    {1, 500, 0xff030eca229ee31full, 0xcc27e7ae69a4ff05ull},
    {1, 1000, 0xfb428a2a9e17a19cull, 0xfa097d514a4dbf81ull},
    {1, 1500, 0xb4a8fcb6681f12a4ull, 0x6405e5d45c83c3b6ull},
    {1, 2000, 0x3fcee2c6ea3130aeull, 0xb7aefd70d41731cbull},
    {1, 2500, 0x29df6ee378057a02ull, 0xd89615552a532865ull},
    {1, 3000, 0xd62011c42dae85c8ull, 0xde4b22ef2dc17d0eull},
    {1, 3500, 0x276252a056e34957ull, 0x79a5d14ef3750132ull},
    {1, 4000, 0x95120dc717a4ff94ull, 0x863811becafdc7b1ull},
    {1, 4500, 0x47c981c89301cd72ull, 0x628e7e159cb1b82aull},
    {1, 5000, 0x9b34b69e78cf865dull, 0x55bee41dc04a9c87ull},
    {1, 5500, 0x89529fbc183f0a53ull, 0x1c2ae055508cf5ccull},
    {1, 6000, 0xfdce18d91324b2f1ull, 0xdf8a21462d9abf49ull},
    {1, 6500, 0x979614b987e00a9dull, 0xc3867e9c5a715606ull},
    {1, 7000, 0x85ef51612c8bc79aull, 0x3d6b7d94f9b8c85dull},
    {1, 7500, 0x49cc31f766a86135ull, 0xca8eaffe9fcc238bull},
    {1, 8000, 0xac97ef7f8514b4d6ull, 0xcd1c712b590655f5ull},
    {1, 8500, 0xb8bfea95c055ddecull, 0xa921043981494cc7ull},
    {1, 9000, 0x6c8c935e1c5393fbull, 0x9a06815e416639a5ull},
    {1, 9500, 0xbdd59ba5497f73beull, 0xdb5096fcf0644bc8ull},
    {1, 10000, 0x5fb74c25ec0d4fa0ull, 0xfa97640c226080afull},
    {1, 10200, 0xac28977c036fdfc2ull, 0x33202326f015d9bbull},
    {1, 10472, 0x25f631b9c3237700ull, 0xbeff92fa859c655bull},
    {2, 500, 0x77ba62ad913799c8ull, 0xb0ee177305ffe9f8ull},
    {2, 1000, 0x403bec08092b22d6ull, 0x772a6d5be9e9694full},
    {2, 1500, 0x5296c880a042b447ull, 0x5dc366c2bbfea9a7ull},
    {2, 2000, 0x920833c68035e3e6ull, 0x5473ff66bd69d12aull},
};
// clang-format on

uint64_t PresentedDigest() {
    Fnv1a h;
    for (BYTE b : headless::PresentedPixels()) h.AddByte(b);
    for (const PALETTEENTRY& e : headless::PresentedPalette()) {
        h.AddByte(e.peRed);
        h.AddByte(e.peGreen);
        h.AddByte(e.peBlue);
    }
    return h.Value();
}

std::string Summary(const CMainFrame& f) {
    const CGameWorld& w = *f.m_pGame;
    int nEnemies = 0, nBullets = 0, nShots = 0;
    for (const CSprite* p : w.m_pEnemies) nEnemies += p != nullptr;
    for (const CSprite* p : w.m_pBullets) nBullets += p != nullptr;
    for (const CSprite* p : w.m_pShots) nShots += p != nullptr;
    char text[240];
    std::snprintf(text, sizeof(text),
                  "stage %d, craft %s shield %d at (%d,%d), level %d, %d enemies, %d bullets, %d shots, "
                  "game over count %d",
                  f.m_nStage, w.m_pPlayer != nullptr ? "alive" : "lost",
                  w.m_pPlayer != nullptr ? w.m_pPlayer->m_nHP : 0, w.m_pPlayer != nullptr ? w.m_pPlayer->GetX() : 0,
                  w.m_pPlayer != nullptr ? w.m_pPlayer->GetY() : 0, w.m_nShotLevel, nEnemies, nBullets, nShots,
                  f.m_nGameOverCount);
    return text;
}

struct Keys {
    bool left, right, up, down, fire;
};

// The player of the golden game: looks at the game world before every tick, as a player looks at the
// screen, and picks the arrows for it. It fires on every second tick, steers for the items and under
// the nearest enemy above it, and keeps clear of every enemy and bullet it sees coming (their speed
// is taken from where each slot was one tick before). Once told to, it flies into the nearest enemy
// instead, so the game ends. It keys nothing on addresses, so every build plays the same game.
class CPilot {
public:
    Keys Decide(const CGameWorld& w, int nTick) {
        Keys k{false, false, false, false, nTick % 2 == 0};
        std::vector<Threat> threats;
        int nSlot = 0;
        for (const CSprite* p : w.m_pEnemies) See(p, nSlot++, &threats);
        for (const CSprite* p : w.m_pBullets) See(p, nSlot++, &threats);

        const CSprite* pCraft = w.m_pPlayer;
        if (pCraft == nullptr) return k;
        if (m_bRam) {
            for (const CSprite* p : w.m_pEnemies) {
                if (p == nullptr) continue;
                const int ex = (p->GetX() + p->GetRight()) / 2, ey = (p->GetY() + p->GetBottom()) / 2;
                const int cx = (pCraft->GetX() + pCraft->GetRight()) / 2,
                          cy = (pCraft->GetY() + pCraft->GetBottom()) / 2;
                k.left = ex < cx - 6;
                k.right = ex > cx + 6;
                k.up = ey < cy - 6;
                k.down = ey > cy + 6;
                break;
            }
            return k;
        }

        // Where it wants to be: under the nearest enemy above it, or on an item.
        int tx = 300, ty = 400, nBestGap = INT_MAX;
        for (const CSprite* p : w.m_pEnemies) {
            if (p == nullptr || p->GetBottom() >= pCraft->GetY()) continue;
            const int gap = pCraft->GetY() - p->GetBottom();
            if (gap < nBestGap) {
                nBestGap = gap;
                tx = (p->GetX() + p->GetRight()) / 2 - 22;
            }
        }
        for (const CSprite* p : {w.m_pShieldItem, w.m_pPowerItem}) {
            if (p == nullptr) continue;
            tx = p->GetX() - 10;
            ty = std::clamp(p->GetY(), 200, 440);
        }

        // Each of the nine moves: how close the nearest threat comes over the next two ticks.
        const int w0 = pCraft->GetRight() - pCraft->GetX(), h0 = pCraft->GetBottom() - pCraft->GetY();
        int nBest = INT_MIN, nMove = 0;
        for (int m = 0; m < 9; ++m) {
            const int dx = m % 3 == 1 ? -12 : m % 3 == 2 ? 12 : 0;
            const int dy = m / 3 == 1 ? -12 : m / 3 == 2 ? 12 : 0;
            const int px = std::clamp(pCraft->GetX() + dx, 0, 595), py = std::clamp(pCraft->GetY() + dy, 0, 440);
            int nClosest = INT_MAX;
            for (int f = 1; f <= 2 * FRAMES_PER_TICK; ++f) {
                const int step = std::min(f, FRAMES_PER_TICK);
                const int fx = pCraft->GetX() + (px - pCraft->GetX()) * step / FRAMES_PER_TICK;
                const int fy = pCraft->GetY() + (py - pCraft->GetY()) * step / FRAMES_PER_TICK;
                const Box me{fx + 4, fy + 4, fx + w0 - 4, fy + h0 - 4};
                for (const Threat& t : threats) {
                    const int ox = t.vx * f / FRAMES_PER_TICK, oy = t.vy * f / FRAMES_PER_TICK;
                    nClosest =
                        std::min(nClosest, Gap(me, Box{t.box.x0 + ox, t.box.y0 + oy, t.box.x1 + ox, t.box.y1 + oy}));
                }
            }
            const int score = std::min(nClosest, SAFE_GAP) * 1000 - std::abs(px - tx) - std::abs(py - ty);
            if (score > nBest) {
                nBest = score;
                nMove = m;
            }
        }
        k.left = nMove % 3 == 1;
        k.right = nMove % 3 == 2;
        k.up = nMove / 3 == 1;
        k.down = nMove / 3 == 2;
        return k;
    }
    void Ram() { m_bRam = true; }

private:
    static constexpr int SAFE_GAP = 40;
    static constexpr int SLOTS = MAX_ENEMIES + MAX_BULLETS;
    struct Box {
        int x0, y0, x1, y1;
    };
    struct Threat {
        Box box;
        int vx, vy;  // pixels per tick
    };
    // Greater than 0: apart by that much; 0 or less: overlapping.
    static int Gap(const Box& a, const Box& b) {
        return std::max(std::max(b.x0 - a.x1, a.x0 - b.x1), std::max(b.y0 - a.y1, a.y0 - b.y1));
    }
    void See(const CSprite* p, int nSlot, std::vector<Threat>* pThreats) {
        if (p == nullptr) {
            m_bSeen[nSlot] = false;
            return;
        }
        const int vx = m_bSeen[nSlot] ? p->GetX() - m_nLastX[nSlot] : 0;
        const int vy = m_bSeen[nSlot] ? p->GetY() - m_nLastY[nSlot] : 0;
        m_bSeen[nSlot] = true;
        m_nLastX[nSlot] = p->GetX();
        m_nLastY[nSlot] = p->GetY();
        pThreats->push_back({{p->GetX(), p->GetY(), p->GetRight(), p->GetBottom()}, vx, vy});
    }

    bool m_bRam = false;
    bool m_bSeen[SLOTS] = {};
    int m_nLastX[SLOTS] = {};
    int m_nLastY[SLOTS] = {};
};

// Plays one tick of four frames through the window's keys and timer.
class CKeyboard {
public:
    void Tick(const Keys& k) {
        const UINT vks[4] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
        const bool want[4] = {k.left, k.right, k.up, k.down};
        for (int i = 0; i < 4; ++i) {
            if (want[i] == m_bHeld[i]) continue;
            if (want[i])
                headless::KeyDown(vks[i]);
            else
                headless::KeyUp(vks[i]);
            m_bHeld[i] = want[i];
        }
        if (k.fire) headless::KeyDown(VK_SPACE);
        headless::PumpMessages();
        headless::RunTicks(1);
        if (k.fire) headless::KeyUp(VK_SPACE);
        headless::PumpMessages();
    }
    void ReleaseAll() { Tick(Keys{}); }
    void Tap(UINT vk) {
        headless::KeyDown(vk);
        headless::PumpMessages();
        headless::KeyUp(vk);
        headless::PumpMessages();
    }

private:
    bool m_bHeld[4] = {};
};

struct Recorded {
    std::vector<Checkpoint> checkpoints;
    std::vector<std::string> summaries;
    void Take(int nGame, const CMainFrame& f) {
        checkpoints.push_back({nGame, f.m_nFrameCount, WorldDigest(*f.m_pGame), PresentedDigest()});
        summaries.push_back(Summary(f));
    }
    const Checkpoint* Find(int nGame, int nFrame) const {
        for (const Checkpoint& c : checkpoints)
            if (c.nGame == nGame && c.nFrame == nFrame) return &c;
        return nullptr;
    }
};

void ExpectGolden(const Recorded& r) {
    const size_t nGolden = sizeof(GOLDEN) / sizeof(GOLDEN[0]);
    std::string diff;
    for (size_t i = 0; i < r.checkpoints.size(); ++i) {
        const Checkpoint& got = r.checkpoints[i];
        const Checkpoint* want = i < nGolden ? &GOLDEN[i] : nullptr;
        char line[400];
        if (want == nullptr || want->nGame != got.nGame || want->nFrame != got.nFrame) {
            std::snprintf(line, sizeof(line), "  game %d frame %5d: no recorded digest  [%s]\n", got.nGame, got.nFrame,
                          r.summaries[i].c_str());
            diff += line;
            continue;
        }
        if (want->world != got.world) {
            std::snprintf(line, sizeof(line),
                          "  game %d frame %5d: world     expected %016" PRIx64 ", got %016" PRIx64 "  [%s]\n",
                          got.nGame, got.nFrame, want->world, got.world, r.summaries[i].c_str());
            diff += line;
        }
        if (want->presented != got.presented) {
            std::snprintf(line, sizeof(line),
                          "  game %d frame %5d: presented expected %016" PRIx64 ", got %016" PRIx64 "\n", got.nGame,
                          got.nFrame, want->presented, got.presented);
            diff += line;
        }
    }
    if (nGolden > r.checkpoints.size()) diff += "  (fewer checkpoints were reached than were recorded)\n";
    if (diff.empty()) return;
    std::string table = "const Checkpoint GOLDEN[] = {\n";
    for (const Checkpoint& c : r.checkpoints) {
        char line[120];
        std::snprintf(line, sizeof(line), "    {%d, %d, 0x%016" PRIx64 "ull, 0x%016" PRIx64 "ull},\n", c.nGame,
                      c.nFrame, c.world, c.presented);
        table += line;
    }
    table += "};\n";
    ADD_FAILURE() << "The golden game as presented has changed:\n"
                  << diff << "If the change is meant (or the art was drawn again), record:\n"
                  << table;
}

TEST(GoldenFrame, FullStageToTheEndPictureThenASecondGame) {
    crt::rand_reset_for_testing();
    const uint32_t nFreshRand = crt::rand_state();
    headless::Reset();
    headless::SetDisplayAvailable(true);
    ASSERT_TRUE(headless::UseRecordingMidiSynth(true));
    CMainFrame* pFrame = new CMainFrame;
    theApp.m_pMainWnd = pFrame;
    ASSERT_TRUE(pFrame->CreateGameWindow());
    HWND hWnd = pFrame->GetSafeHwnd();
    ASSERT_NE(pFrame->m_pddsTitle, nullptr);
    ASSERT_NE(pFrame->m_pddsEnd, nullptr);

    Recorded r;
    CKeyboard keys;
    headless::RunTicks(1);
    EXPECT_TRUE(PresentedEquals(pFrame->m_pddsTitle)) << "the title shows the TITLE picture";
    r.Take(1, *pFrame);

    // Game 1: through the boss's arrival with the craft, then into the boss, and on to END.
    keys.Tap(VK_SPACE);
    CPilot pilot;
    int nEndFrame = 0;
    for (int t = 0; nEndFrame == 0 && t < 3500; ++t) {
        if (pFrame->m_nFrameCount == BOSS_FRAME) {
            ASSERT_NE(pFrame->m_pGame->m_pPlayer, nullptr) << "the golden game reaches the boss with its craft";
            pilot.Ram();
        }
        keys.Tick(pilot.Decide(*pFrame->m_pGame, t));
        ASSERT_EQ(pFrame->m_nFrameCount, (t + 1) * FRAMES_PER_TICK);
        const int n = pFrame->m_nFrameCount;
        if (n % 500 == 0 || n == BOSS_FRAME) r.Take(1, *pFrame);
        if (pFrame->m_nGameOverCount > GAME_OVER_DELAY) {
            nEndFrame = n;
            r.Take(1, *pFrame);
        }
    }
    ASSERT_NE(nEndFrame, 0) << "the craft was never lost";
    EXPECT_GT(nEndFrame, BOSS_FRAME);
    EXPECT_EQ(pFrame->m_pGame->m_pPlayer, nullptr);
    EXPECT_TRUE(PresentedEquals(pFrame->m_pddsEnd)) << "the END picture covers the frame";
    EXPECT_EQ(pFrame->m_nStage, nEndFrame / 640);
    keys.ReleaseAll();
    EXPECT_TRUE(PresentedEquals(pFrame->m_pddsEnd)) << "and stays";

    // Escape, then a second game: the random sequence runs on from where the first game left it.
    const uint32_t nRandAfterGame1 = crt::rand_state();
    keys.Tap(VK_ESCAPE);
    ASSERT_EQ(pFrame->m_nGameState, GAME_STATE_TITLE);
    EXPECT_EQ(crt::rand_state(), nRandAfterGame1) << "a new game does not start the sequence again";
    EXPECT_NE(crt::rand_state(), nFreshRand);
    keys.Tap(VK_SPACE);
    CPilot pilot2;
    for (int t = 0; t * FRAMES_PER_TICK < SECOND_GAME_FRAMES; ++t) {
        keys.Tick(pilot2.Decide(*pFrame->m_pGame, t));
        if (pFrame->m_nFrameCount % 500 == 0) r.Take(2, *pFrame);
    }
    for (const Checkpoint& c : r.checkpoints) {
        if (c.nGame != 2) continue;
        const Checkpoint* first = r.Find(1, c.nFrame);
        ASSERT_NE(first, nullptr);
        EXPECT_NE(c.world, first->world) << "game 2 repeats game 1 at frame " << c.nFrame;
        EXPECT_NE(c.presented, first->presented) << "game 2 looks like game 1 at frame " << c.nFrame;
    }

    ExpectGolden(r);

    keys.Tap(VK_ESCAPE);
    if (IsWindow(hWnd)) DestroyWindow(hWnd);
    headless::Reset();
    EXPECT_TRUE(headless::UseRecordingMidiSynth(false));
}

}  // namespace
