// The stage: one fixed timeline of enemy entries keyed to the frame number.
#include "game/StageScript.h"

#include "game/GameWorld.h"
#include "platform/crt_rand.h"

namespace stage {

using World = CGameWorld;

// Frames 0..99 are empty; the quiet stretches after 1800, 6600 and 7900 have no rows.
const SRow SCRIPT[] = {
    {{100}, {{&World::SpawnA1, 200}}},
    {{200}, {{&World::SpawnA1, 400}}},
    {{400}, {{&World::SpawnA2, 500}}},
    {{500}, {{&World::SpawnA2, 300}, {&World::SpawnB2, 100}}},
    {{550}, {{&World::SpawnA1, 150}}},
    {{600}, {{&World::SpawnA1, 450}}},
    {{700}, {{&World::SpawnB1, 50}, {&World::SpawnB1, 250}, {&World::SpawnB1, 450}}},
    {{950}, {{&World::SpawnD2, 300}}},
    {{1090}, {{&World::SpawnA1, 0}}},
    {{1100}, {{&World::SpawnA1, 100}}},
    {{1110}, {{&World::SpawnA1, 200}}},
    {{1120}, {{&World::SpawnA1, 300}}},
    {{1130}, {{&World::SpawnA1, 400}}},
    {{1140}, {{&World::SpawnA1, 500}}},
    {{1150}, {{&World::SpawnA1, 600}}},
    {{1200}, {{&World::SpawnB2, 50}, {&World::SpawnB2, 250}, {&World::SpawnB2, 450}}},
    {{1300}, {{&World::SpawnA2, 100}, {&World::SpawnD2, 500}, {&World::SpawnA2, 300}}},
    {{1400}, {{&World::SpawnMidBoss1, 300, 0, DROP_POWER}}},
    {{1500}, {{&World::SpawnD1, 150}, {&World::SpawnD1, 450}}},
    {{1600}, {{&World::SpawnB2, 300}, {&World::SpawnB1, 100}, {&World::SpawnB1, 500}}},
    {{1800}, {{&World::SpawnB1, 200}, {&World::SpawnB1, 500}, {&World::SpawnD2, 300}}},
    {{3000}, {{&World::SpawnCLeft, 50}, {&World::SpawnCLeft, 150}, {&World::SpawnCRight, 0},
     {&World::SpawnCRight, 100}}},
    {{3050}, {{&World::SpawnA1, 0}, {&World::SpawnA1, 300}, {&World::SpawnA1, 600}}},
    {{3100}, {{&World::SpawnD2, 30}, {&World::SpawnD2, 550}}},
    {{3200, 3220, 3240, 3260}, {{&World::SpawnE, 100}, {&World::SpawnE, 300}, {&World::SpawnE, 500}}},
    {{3500}, {{&World::SpawnD2, 0}, {&World::SpawnD2, 500}}},
    {{3600}, {{&World::SpawnB2, 0}, {&World::SpawnB2, 200}, {&World::SpawnB2, 400}, {&World::SpawnB2, 600}}},
    {{4000}, {{&World::SpawnD2, 300}}},
    {{4100}, {{&World::SpawnB1, 100}, {&World::SpawnB1, 300}}},
    {{4150, 4300}, {{&World::SpawnCRight, 0}, {&World::SpawnCLeft, 50}, {&World::SpawnCRight, 100},
     {&World::SpawnCLeft, 150}}},
    {{4500, 4600}, {{&World::SpawnE, 0}, {&World::SpawnE, 100}, {&World::SpawnE, 200}, {&World::SpawnE, 300},
     {&World::SpawnE, 400}, {&World::SpawnE, 500}, {&World::SpawnE, 600}}},
    {{4700}, {{&World::SpawnMidBoss1, 0, 400, DROP_BOSS}}},
    {{5000}, {{&World::SpawnA2, 50}, {&World::SpawnA2, 100}, {&World::SpawnA2, 150}, {&World::SpawnA2, 200},
     {&World::SpawnA2, 250}}},
    {{5050}, {{&World::SpawnA2, 300}, {&World::SpawnA2, 350}, {&World::SpawnA2, 400}, {&World::SpawnA2, 450},
     {&World::SpawnA2, 500}, {&World::SpawnA2, 550}}},
    {{5100}, {{&World::SpawnG, 300}}},
    {{5200}, {{&World::SpawnG, 300}}},
    {{5300}, {{&World::SpawnF1, 200}, {&World::SpawnF1, 500}}},
    {{5400}, {{&World::SpawnF2, 300}}},
    {{5500}, {{&World::SpawnB1, 100}, {&World::SpawnB1, 300}, {&World::SpawnB1, 500}}},
    {{5600}, {{&World::SpawnD2, 300}}},
    {{5700, 5800, 5990}, {{&World::SpawnCLeft, 50}, {&World::SpawnCLeft, 150}, {&World::SpawnCRight, 0},
     {&World::SpawnCRight, 100}}},
    {{6000}, {{&World::SpawnI, 0, 500}, {&World::SpawnD1, 50}, {&World::SpawnD1, 450}}},
    {{6100}, {{&World::SpawnG, 0, 500}}},
    {{6200}, {{&World::SpawnD2, 0}, {&World::SpawnD2, 200}, {&World::SpawnD2, 400}, {&World::SpawnD2, 600}}},
    {{6400}, {{&World::SpawnHLeft, 0}, {&World::SpawnHLeft, 200}, {&World::SpawnHLeft, 400}}},
    {{6500}, {{&World::SpawnHRight, 100}, {&World::SpawnHRight, 300}}},
    {{6600}, {{&World::SpawnMidBoss2, 0, 450, DROP_POWER}}},
    {{7400}, {{&World::SpawnG, 300}, {&World::SpawnE, 0}, {&World::SpawnE, 100}, {&World::SpawnE, 200},
     {&World::SpawnE, 300}, {&World::SpawnE, 400}, {&World::SpawnE, 500}, {&World::SpawnE, 600}}},
    {{7425, 7450, 7475, 7500, 7525, 7550, 7575, 7600},
     {{&World::SpawnE, 0}, {&World::SpawnE, 100}, {&World::SpawnE, 200}, {&World::SpawnE, 300},
      {&World::SpawnE, 400}, {&World::SpawnE, 500}, {&World::SpawnE, 600}}},
    {{7800}, {{&World::SpawnHLeft, 50}, {&World::SpawnHRight, 150}, {&World::SpawnHLeft, 250},
     {&World::SpawnHRight, 350}}},
    {{7900}, {{&World::SpawnMidBoss2, 0, 450, DROP_SHIELD}}},
    {{8300}, {{&World::SpawnI, 300}}},
    {{8450, 8500}, {{&World::SpawnA1, 0}, {&World::SpawnA1, 100}, {&World::SpawnA1, 200}, {&World::SpawnA1, 300},
     {&World::SpawnA1, 400}, {&World::SpawnA1, 500}, {&World::SpawnA1, 600}}},
    {{8600}, {{&World::SpawnF2, 100}, {&World::SpawnF2, 500}}},
    {{8700}, {{&World::SpawnF1, 200}, {&World::SpawnF1, 300}, {&World::SpawnF1, 400}}},
    {{8800, 8900}, {{&World::SpawnG, 300}, {&World::SpawnCLeft, 50}, {&World::SpawnCLeft, 150},
     {&World::SpawnCRight, 0}, {&World::SpawnCRight, 100}}},
    {{9000}, {{&World::SpawnCLeft, 50}, {&World::SpawnCLeft, 150}, {&World::SpawnCRight, 0},
     {&World::SpawnCRight, 100}}},
    {{9050}, {{&World::SpawnG, 200}, {&World::SpawnG, 500}}},
    {{9100}, {{&World::SpawnD2, 100}, {&World::SpawnD2, 600}}},
    {{9150, 9200, 9250}, {{&World::SpawnG, 100}, {&World::SpawnD1, 100}, {&World::SpawnD1, 600}}},
    {{9300}, {{&World::SpawnD1, 100}, {&World::SpawnD1, 600}}},
    {{10000}, {{&World::SpawnBoss}}},
};
const int ROW_COUNT = sizeof(SCRIPT) / sizeof(SCRIPT[0]);

}  // namespace stage

namespace {

const stage::SRow* FindRow(int nFrame) {
    for (int i = 0; i < stage::ROW_COUNT; ++i) {
        const stage::SRow& row = stage::SCRIPT[i];
        for (int k = 0; k < stage::MAX_ROW_FRAMES && row.nFrames[k] != 0; ++k) {
            if (row.nFrames[k] == nFrame) return &row;
        }
    }
    return nullptr;
}

void RunCall(CGameWorld& world, const stage::SCall& call) {
    // A random position is drawn even when the spawner then finds no free slot.
    const int n = call.nRandom > 0 ? crt::rand() % call.nRandom : call.nPos;
    if (call.pSpawn != nullptr)
        (world.*call.pSpawn)(n);
    else if (call.pSpawnWithDrop != nullptr)
        (world.*call.pSpawnWithDrop)(n, call.nDrop);
    else if (call.pSpawnBoss != nullptr)
        (world.*call.pSpawnBoss)();
}

}  // namespace

void CGameWorld::RunStageScript(int nFrame) {
    const stage::SRow* pRow = FindRow(nFrame);
    if (pRow == nullptr) return;
    for (int k = 0; k < stage::MAX_ROW_CALLS && !pRow->calls[k].IsEnd(); ++k)
        RunCall(*this, pRow->calls[k]);
}
