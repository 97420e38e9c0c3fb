// The stage timeline: its shape, the order of its calls and its draws from the random sequence.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/GameWorld.h"
#include "game/StageScript.h"
#include "platform/crt_rand.h"

namespace {

int NextRandFrom(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fff);
}

struct Spawned {
    int x, y, fire, move, drop;
    bool operator==(const Spawned& o) const {
        return x == o.x && y == o.y && fire == o.fire && move == o.move && drop == o.drop;
    }
};

// Runs one frame of the timeline on an empty world and returns what it made, slot by slot.
std::vector<Spawned> RunFrameOnEmptyWorld(int nFrame) {
    CGameWorld w(nullptr, nullptr);
    w.RunStageScript(nFrame);
    std::vector<Spawned> out;
    for (CSprite* e : w.m_pEnemies)
        if (e != nullptr) out.push_back({e->GetX(), e->GetY(), e->m_nFire, e->m_nMove, e->m_nDrop});
    return out;
}

TEST(StageScript, TableShape) {
    int nFrames = 0, nCalls = 0;
    std::set<int> frames;
    for (int i = 0; i < stage::ROW_COUNT; ++i) {
        const stage::SRow& row = stage::SCRIPT[i];
        for (int k = 0; k < stage::MAX_ROW_FRAMES && row.nFrames[k] != 0; ++k) {
            ++nFrames;
            EXPECT_TRUE(frames.insert(row.nFrames[k]).second) << "frame " << row.nFrames[k] << " twice";
        }
        for (int k = 0; k < stage::MAX_ROW_CALLS && !row.calls[k].IsEnd(); ++k) ++nCalls;
    }
    EXPECT_EQ(stage::ROW_COUNT, 62);
    EXPECT_EQ(nFrames, 80);
    EXPECT_EQ(static_cast<int>(frames.size()), 80);
    EXPECT_EQ(*frames.begin(), 100);
    EXPECT_EQ(*frames.rbegin(), 10000);
}

TEST(StageScript, WholeRunMakes251EnemiesOn80Frames) {
    // Each frame on a world emptied after the frame before: every call finds a slot.
    crt::rand_reset_for_testing();
    CGameWorld w(nullptr, nullptr);
    int nEnemies = 0;
    std::vector<int> framesWithEntries;
    for (int f = -5; f <= 10300; ++f) {
        w.RunStageScript(f);
        int n = 0;
        for (CSprite*& e : w.m_pEnemies) {
            if (e == nullptr) continue;
            ++n;
            e->Destroy();
            e = nullptr;
        }
        if (n > 0) framesWithEntries.push_back(f);
        nEnemies += n;
    }
    EXPECT_EQ(nEnemies, 251);
    ASSERT_EQ(framesWithEntries.size(), 80u);
    EXPECT_EQ(framesWithEntries.front(), 100);
    EXPECT_EQ(framesWithEntries.back(), 10000);
    for (int f : framesWithEntries) {
        EXPECT_FALSE(f > 1800 && f < 3000) << f;  // the quiet stretches
        EXPECT_FALSE(f > 6600 && f < 7400) << f;
        EXPECT_FALSE(f > 7900 && f < 8300) << f;
        EXPECT_FALSE(f > 9300 && f < 10000) << f;
    }
}

// Tells the kinds apart by the counters a spawner gives them; no two kinds share all of these.
using KindPrint = std::vector<int>;
KindPrint PrintOf(const CSprite& e) { return {e.m_nHP, e.m_nMove, e.m_nFire, e.m_nTick, e.m_bMoveRight}; }

TEST(StageScript, EveryKindEntersAsOftenAsTheTimelineNamesIt) {
    struct Kind {
        const char* name;
        void (*spawn)(CGameWorld&);
        int nEntries;
    };
    const Kind kinds[] = {
        {"A1", [](CGameWorld& w) { w.SpawnA1(0); }, 28},
        {"A2", [](CGameWorld& w) { w.SpawnA2(0); }, 15},
        {"B1", [](CGameWorld& w) { w.SpawnB1(0); }, 12},
        {"B2", [](CGameWorld& w) { w.SpawnB2(0); }, 9},
        {"CLeft", [](CGameWorld& w) { w.SpawnCLeft(0); }, 18},
        {"CRight", [](CGameWorld& w) { w.SpawnCRight(0); }, 18},
        {"D1", [](CGameWorld& w) { w.SpawnD1(0); }, 12},
        {"D2", [](CGameWorld& w) { w.SpawnD2(0); }, 15},
        {"E", [](CGameWorld& w) { w.SpawnE(0); }, 89},
        {"F1", [](CGameWorld& w) { w.SpawnF1(0); }, 5},
        {"F2", [](CGameWorld& w) { w.SpawnF2(0); }, 3},
        {"G", [](CGameWorld& w) { w.SpawnG(0); }, 11},
        {"HLeft", [](CGameWorld& w) { w.SpawnHLeft(0); }, 5},
        {"HRight", [](CGameWorld& w) { w.SpawnHRight(0); }, 4},
        {"I", [](CGameWorld& w) { w.SpawnI(0); }, 2},
        {"MidBoss1", [](CGameWorld& w) { w.SpawnMidBoss1(0, DROP_NONE); }, 2},
        {"MidBoss2", [](CGameWorld& w) { w.SpawnMidBoss2(0, DROP_NONE); }, 2},
        {"Boss", [](CGameWorld& w) { w.SpawnBoss(); }, 1},
    };
    std::map<KindPrint, std::string> kindOfPrint;
    for (const Kind& k : kinds) {
        CGameWorld w(nullptr, nullptr);
        k.spawn(w);
        ASSERT_NE(w.m_pEnemies[0], nullptr) << k.name;
        ASSERT_TRUE(kindOfPrint.emplace(PrintOf(*w.m_pEnemies[0]), k.name).second) << k.name;
    }

    std::map<std::string, int> entries;
    CGameWorld w(nullptr, nullptr);
    for (int f = 0; f <= 10000; ++f) {
        w.RunStageScript(f);
        for (CSprite*& e : w.m_pEnemies) {
            if (e == nullptr) continue;
            const auto found = kindOfPrint.find(PrintOf(*e));
            ++entries[found == kindOfPrint.end() ? "unknown" : found->second];
            DestroySprite(e);
        }
    }
    for (const Kind& k : kinds) EXPECT_EQ(entries[k.name], k.nEntries) << k.name;
    EXPECT_EQ(entries.count("unknown"), 0u);
}

TEST(StageScript, EmptyFramesDoNothingAndRepeatedRowsRepeat) {
    for (int f : {0, 99, 101, 3210, 9999, 10001}) {
        crt::rand_reset_for_testing();
        EXPECT_TRUE(RunFrameOnEmptyWorld(f).empty()) << f;
        EXPECT_EQ(crt::rand_state(), 1u) << f;
    }
    const std::vector<Spawned> at3200 = RunFrameOnEmptyWorld(3200);
    ASSERT_EQ(at3200.size(), 3u);
    EXPECT_EQ(at3200[0].x, 100);
    EXPECT_EQ(at3200[2].x, 500);
    EXPECT_TRUE(RunFrameOnEmptyWorld(3220) == at3200);
    EXPECT_TRUE(RunFrameOnEmptyWorld(3260) == at3200);

    const std::vector<Spawned> boss = RunFrameOnEmptyWorld(10000);
    ASSERT_EQ(boss.size(), 1u);
    EXPECT_EQ(boss[0].fire, FIRE_BOSS);
}

TEST(StageScript, CallsRunInTableOrder) {
    {
        SCOPED_TRACE("7400: the G before the seven E");
        const std::vector<Spawned> s = RunFrameOnEmptyWorld(7400);
        ASSERT_EQ(s.size(), 8u);
        EXPECT_EQ(s[0].fire, FIRE_SPREAD5);
        EXPECT_EQ(s[0].x, 300);
        for (int k = 1; k < 8; ++k) {
            EXPECT_EQ(s[k].fire, FIRE_NONE);
            EXPECT_EQ(s[k].x, 100 * (k - 1));
        }
    }
    {
        SCOPED_TRACE("4150: right, left, right, left");
        const std::vector<Spawned> s = RunFrameOnEmptyWorld(4150);
        ASSERT_EQ(s.size(), 4u);
        const int xs[] = {700, -100, 700, -100}, ys[] = {0, 50, 100, 150};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(s[k].x, xs[k]);
            EXPECT_EQ(s[k].y, ys[k]);
            EXPECT_EQ(s[k].move, MOVE_TURN_DOWN);
        }
    }
    {
        SCOPED_TRACE("the mid-bosses' drop codes");
        EXPECT_EQ(RunFrameOnEmptyWorld(1400).at(0).drop, DROP_POWER);
        EXPECT_EQ(RunFrameOnEmptyWorld(1400).at(0).x, 300);
        EXPECT_EQ(RunFrameOnEmptyWorld(4700).at(0).drop, DROP_BOSS);
        EXPECT_EQ(RunFrameOnEmptyWorld(4700).at(0).fire, FIRE_MIDBOSS1);
        EXPECT_EQ(RunFrameOnEmptyWorld(6600).at(0).drop, DROP_POWER);
        EXPECT_EQ(RunFrameOnEmptyWorld(7900).at(0).drop, DROP_SHIELD);
        EXPECT_EQ(RunFrameOnEmptyWorld(7900).at(0).fire, FIRE_MIDBOSS2);
    }
    {
        SCOPED_TRACE("4500 with three free slots: the smallest x get them");
        CGameWorld w(nullptr, nullptr);
        for (int i = 0; i < MAX_ENEMIES; ++i) w.SpawnA1(-500);
        for (int i : {2, 9, 17}) {
            w.m_pEnemies[i]->Destroy();
            w.m_pEnemies[i] = nullptr;
        }
        w.RunStageScript(4500);
        EXPECT_EQ(w.m_pEnemies[2]->GetX(), 0);
        EXPECT_EQ(w.m_pEnemies[9]->GetX(), 100);
        EXPECT_EQ(w.m_pEnemies[17]->GetX(), 200);
    }
}

TEST(StageScript, RandomPositionsAreDrawnJustBeforeTheirCall) {
    struct Case {
        int nFrame;
        int nRange;
        int nSlotOfRandom;  // which enemy of the frame takes the random x
        int nEnemies;
    };
    for (const Case& c : {Case{4700, 400, 0, 1}, Case{6000, 500, 0, 3}, Case{6100, 500, 0, 1},
                          Case{6600, 450, 0, 1}, Case{7900, 450, 0, 1}}) {
        SCOPED_TRACE(c.nFrame);
        crt::rand_reset_for_testing();
        crt::rand();  // start somewhere other than the beginning
        uint32_t state = crt::rand_state();
        const int x = NextRandFrom(state) % c.nRange;
        const int nPhase = NextRandFrom(state) % 99;
        CGameWorld w(nullptr, nullptr);
        w.RunStageScript(c.nFrame);
        ASSERT_NE(w.m_pEnemies[c.nSlotOfRandom], nullptr);
        EXPECT_EQ(w.m_pEnemies[c.nSlotOfRandom]->GetX(), x);
        EXPECT_EQ(w.m_pEnemies[c.nSlotOfRandom]->m_nFirePhase, nPhase);
        // Then one draw for each further enemy.
        for (int k = 1; k < c.nEnemies; ++k) NextRandFrom(state);
        EXPECT_EQ(crt::rand_state(), state);
    }

    // With no free slot the random position is still drawn, but no phase.
    crt::rand_reset_for_testing();
    CGameWorld full(nullptr, nullptr);
    for (int i = 0; i < MAX_ENEMIES; ++i) full.SpawnA1(0);
    uint32_t state = crt::rand_state();
    NextRandFrom(state);
    full.RunStageScript(4700);
    EXPECT_EQ(crt::rand_state(), state);
    full.RunStageScript(6000);  // one random x, two spawners without a slot
    NextRandFrom(state);
    EXPECT_EQ(crt::rand_state(), state);
}

}  // namespace
