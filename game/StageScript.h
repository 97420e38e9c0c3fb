// The stage timeline as data: for particular frame numbers, which spawners run, in which order and
// with which arguments. Each call names the game world's spawner member itself, so the timeline and
// the spawners cannot drift apart.
#pragma once

class CGameWorld;

namespace stage {

// One spawner call: exactly one of the three spawner pointers is set, or none in the entries that end
// a row's list. nRandom > 0: the position is drawn as rand() % nRandom just before the call (nPos is
// then unused). nDrop is the mid-bosses' second argument; the boss takes no argument at all.
struct SCall {
    using Spawner = void (CGameWorld::*)(int nPos);
    using DropSpawner = void (CGameWorld::*)(int nPos, int nDrop);
    using BossSpawner = void (CGameWorld::*)();

    constexpr SCall() = default;
    constexpr SCall(Spawner spawner, int nPosition, int nRandomRange = 0)
        : pSpawn(spawner), nPos(nPosition), nRandom(nRandomRange) {}
    constexpr SCall(DropSpawner spawner, int nPosition, int nRandomRange, int nDropCode)
        : pSpawnWithDrop(spawner), nPos(nPosition), nRandom(nRandomRange), nDrop(nDropCode) {}
    constexpr SCall(BossSpawner spawner) : pSpawnBoss(spawner) {}

    bool IsEnd() const { return pSpawn == nullptr && pSpawnWithDrop == nullptr && pSpawnBoss == nullptr; }

    Spawner pSpawn = nullptr;
    DropSpawner pSpawnWithDrop = nullptr;
    BossSpawner pSpawnBoss = nullptr;
    int nPos = 0;
    int nRandom = 0;
    int nDrop = 0;
};

const int MAX_ROW_FRAMES = 8;
const int MAX_ROW_CALLS = 8;

// Every frame number of a row runs the same calls. Unused frame entries are 0, unused calls end the list.
struct SRow {
    int nFrames[MAX_ROW_FRAMES];
    SCall calls[MAX_ROW_CALLS];
};

extern const SRow SCRIPT[];
extern const int ROW_COUNT;

}  // namespace stage
