// The stage: one fixed timeline of enemy entries keyed to the frame number.
#include "game/StageScript.h"

#include "game/GameWorld.h"
#include "platform/crt_rand.h"

namespace stage {

// Frames 0..99 are empty; the quiet stretches after 1800, 6600 and 7900 have no rows.
const SRow SCRIPT[] = {
    {{100}, {{A1, 200}}},
    {{200}, {{A1, 400}}},
    {{400}, {{A2, 500}}},
    {{500}, {{A2, 300}, {B2, 100}}},
    {{550}, {{A1, 150}}},
    {{600}, {{A1, 450}}},
    {{700}, {{B1, 50}, {B1, 250}, {B1, 450}}},
    {{950}, {{D2, 300}}},
    {{1090}, {{A1, 0}}},
    {{1100}, {{A1, 100}}},
    {{1110}, {{A1, 200}}},
    {{1120}, {{A1, 300}}},
    {{1130}, {{A1, 400}}},
    {{1140}, {{A1, 500}}},
    {{1150}, {{A1, 600}}},
    {{1200}, {{B2, 50}, {B2, 250}, {B2, 450}}},
    {{1300}, {{A2, 100}, {D2, 500}, {A2, 300}}},
    {{1400}, {{MIDBOSS1, 300, 0, DROP_POWER}}},
    {{1500}, {{D1, 150}, {D1, 450}}},
    {{1600}, {{B2, 300}, {B1, 100}, {B1, 500}}},
    {{1800}, {{B1, 200}, {B1, 500}, {D2, 300}}},
    {{3000}, {{C_LEFT, 50}, {C_LEFT, 150}, {C_RIGHT, 0}, {C_RIGHT, 100}}},
    {{3050}, {{A1, 0}, {A1, 300}, {A1, 600}}},
    {{3100}, {{D2, 30}, {D2, 550}}},
    {{3200, 3220, 3240, 3260}, {{E, 100}, {E, 300}, {E, 500}}},
    {{3500}, {{D2, 0}, {D2, 500}}},
    {{3600}, {{B2, 0}, {B2, 200}, {B2, 400}, {B2, 600}}},
    {{4000}, {{D2, 300}}},
    {{4100}, {{B1, 100}, {B1, 300}}},
    {{4150, 4300}, {{C_RIGHT, 0}, {C_LEFT, 50}, {C_RIGHT, 100}, {C_LEFT, 150}}},
    {{4500, 4600}, {{E, 0}, {E, 100}, {E, 200}, {E, 300}, {E, 400}, {E, 500}, {E, 600}}},
    {{4700}, {{MIDBOSS1, 0, 400, DROP_BOSS}}},
    {{5000}, {{A2, 50}, {A2, 100}, {A2, 150}, {A2, 200}, {A2, 250}}},
    {{5050}, {{A2, 300}, {A2, 350}, {A2, 400}, {A2, 450}, {A2, 500}, {A2, 550}}},
    {{5100}, {{G, 300}}},
    {{5200}, {{G, 300}}},
    {{5300}, {{F1, 200}, {F1, 500}}},
    {{5400}, {{F2, 300}}},
    {{5500}, {{B1, 100}, {B1, 300}, {B1, 500}}},
    {{5600}, {{D2, 300}}},
    {{5700, 5800, 5990}, {{C_LEFT, 50}, {C_LEFT, 150}, {C_RIGHT, 0}, {C_RIGHT, 100}}},
    {{6000}, {{I, 0, 500}, {D1, 50}, {D1, 450}}},
    {{6100}, {{G, 0, 500}}},
    {{6200}, {{D2, 0}, {D2, 200}, {D2, 400}, {D2, 600}}},
    {{6400}, {{H_LEFT, 0}, {H_LEFT, 200}, {H_LEFT, 400}}},
    {{6500}, {{H_RIGHT, 100}, {H_RIGHT, 300}}},
    {{6600}, {{MIDBOSS2, 0, 450, DROP_POWER}}},
    {{7400}, {{G, 300}, {E, 0}, {E, 100}, {E, 200}, {E, 300}, {E, 400}, {E, 500}, {E, 600}}},
    {{7425, 7450, 7475, 7500, 7525, 7550, 7575, 7600},
     {{E, 0}, {E, 100}, {E, 200}, {E, 300}, {E, 400}, {E, 500}, {E, 600}}},
    {{7800}, {{H_LEFT, 50}, {H_RIGHT, 150}, {H_LEFT, 250}, {H_RIGHT, 350}}},
    {{7900}, {{MIDBOSS2, 0, 450, DROP_SHIELD}}},
    {{8300}, {{I, 300}}},
    {{8450, 8500}, {{A1, 0}, {A1, 100}, {A1, 200}, {A1, 300}, {A1, 400}, {A1, 500}, {A1, 600}}},
    {{8600}, {{F2, 100}, {F2, 500}}},
    {{8700}, {{F1, 200}, {F1, 300}, {F1, 400}}},
    {{8800, 8900}, {{G, 300}, {C_LEFT, 50}, {C_LEFT, 150}, {C_RIGHT, 0}, {C_RIGHT, 100}}},
    {{9000}, {{C_LEFT, 50}, {C_LEFT, 150}, {C_RIGHT, 0}, {C_RIGHT, 100}}},
    {{9050}, {{G, 200}, {G, 500}}},
    {{9100}, {{D2, 100}, {D2, 600}}},
    {{9150, 9200, 9250}, {{G, 100}, {D1, 100}, {D1, 600}}},
    {{9300}, {{D1, 100}, {D1, 600}}},
    {{10000}, {{BOSS}}},
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
    switch (call.spawner) {
        case stage::A1: world.SpawnA1(n); break;
        case stage::A2: world.SpawnA2(n); break;
        case stage::B1: world.SpawnB1(n); break;
        case stage::B2: world.SpawnB2(n); break;
        case stage::C_LEFT: world.SpawnCLeft(n); break;
        case stage::C_RIGHT: world.SpawnCRight(n); break;
        case stage::D1: world.SpawnD1(n); break;
        case stage::D2: world.SpawnD2(n); break;
        case stage::E: world.SpawnE(n); break;
        case stage::F1: world.SpawnF1(n); break;
        case stage::F2: world.SpawnF2(n); break;
        case stage::G: world.SpawnG(n); break;
        case stage::H_LEFT: world.SpawnHLeft(n); break;
        case stage::H_RIGHT: world.SpawnHRight(n); break;
        case stage::I: world.SpawnI(n); break;
        case stage::MIDBOSS1: world.SpawnMidBoss1(n, call.nDrop); break;
        case stage::MIDBOSS2: world.SpawnMidBoss2(n, call.nDrop); break;
        case stage::BOSS: world.SpawnBoss(); break;
        case stage::NONE: break;
    }
}

}  // namespace

void CGameWorld::RunStageScript(int nFrame) {
    const stage::SRow* pRow = FindRow(nFrame);
    if (pRow == nullptr) return;
    for (int k = 0; k < stage::MAX_ROW_CALLS && pRow->calls[k].spawner != stage::NONE; ++k)
        RunCall(*this, pRow->calls[k]);
}
