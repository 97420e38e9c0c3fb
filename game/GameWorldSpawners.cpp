// The eighteen enemy spawners: each one makes the kind named after it, and one routine makes them all.
#include "game/GameWorld.h"
#include "platform/crt_rand.h"

namespace {

// Where an enemy enters: above the screen at x, beside it at y, or at the boss's fixed point.
enum EEntry { ENTRY_TOP, ENTRY_LEFT, ENTRY_RIGHT, ENTRY_BOSS };

struct SEnemyKind {
    RECT rcFrame;  // picture on the sprite sheet
    EEntry entry;
    int nHP;
    int nMove;
    int nFire;
    int nSpeed;
    BOOL bMoveRight;
    int nDrop;  // ignored by the mid-bosses, which take theirs from the caller
};

// Side entries start beyond the edges of the screen; top entries above it.
const int ENTRY_TOP_Y = -100;
const int ENTRY_LEFT_X = -100;
const int ENTRY_RIGHT_X = 700;
const int BOSS_X = 200;
const int BOSS_Y = -200;
const int FIRE_PHASES = 99;

constexpr RECT RC_A = ToRect(SPR_ENEMY[0]);
constexpr RECT RC_B = ToRect(SPR_ENEMY[1]);
constexpr RECT RC_C = ToRect(SPR_ENEMY[2]);
constexpr RECT RC_D = ToRect(SPR_ENEMY[3]);
constexpr RECT RC_E = ToRect(SPR_ENEMY[4]);
constexpr RECT RC_F = ToRect(SPR_ENEMY[5]);
constexpr RECT RC_G = ToRect(SPR_ENEMY[6]);
constexpr RECT RC_H = ToRect(SPR_ENEMY[7]);
constexpr RECT RC_I = ToRect(SPR_ENEMY[8]);
constexpr RECT RC_MIDBOSS = ToRect(SPR_MIDBOSS);
constexpr RECT RC_BOSS = ToRect(SPR_BOSS);

// Each kind is named after the spawner member that makes it.
// picture, entry, hit points, movement, fire, speed, moving right, drop
const SEnemyKind KIND_A1 = {RC_A, ENTRY_TOP, 3, MOVE_DIVE, FIRE_NONE, 2, 0, DROP_NONE};
const SEnemyKind KIND_A2 = {RC_A, ENTRY_TOP, 3, MOVE_HOVER, FIRE_SINGLE, 2, 0, DROP_NONE};
const SEnemyKind KIND_B1 = {RC_B, ENTRY_TOP, 3, MOVE_DIVE, FIRE_TWIN, 2, 0, DROP_NONE};
const SEnemyKind KIND_B2 = {RC_B, ENTRY_TOP, 3, MOVE_WEAVE, FIRE_TWIN, 2, 0, DROP_NONE};
const SEnemyKind KIND_C_LEFT = {RC_C, ENTRY_LEFT, 5, MOVE_TURN_DOWN, FIRE_SPREAD3, 2, 1, DROP_NONE};
const SEnemyKind KIND_C_RIGHT = {RC_C, ENTRY_RIGHT, 5, MOVE_TURN_DOWN, FIRE_SPREAD3, 2, 0, DROP_NONE};
const SEnemyKind KIND_D1 = {RC_D, ENTRY_TOP, 5, MOVE_DIVE, FIRE_SPREAD3, 2, 0, DROP_NONE};
const SEnemyKind KIND_D2 = {RC_D, ENTRY_TOP, 5, MOVE_HOVER, FIRE_SPREAD3, 2, 0, DROP_NONE};
const SEnemyKind KIND_E = {RC_E, ENTRY_TOP, 3, MOVE_DIVE, FIRE_NONE, 5, 0, DROP_NONE};
const SEnemyKind KIND_F1 = {RC_F, ENTRY_TOP, 5, MOVE_DIVE, FIRE_SINGLE, 3, 0, DROP_NONE};
const SEnemyKind KIND_F2 = {RC_F, ENTRY_TOP, 5, MOVE_HOVER, FIRE_SINGLE, 3, 0, DROP_NONE};
const SEnemyKind KIND_G = {RC_G, ENTRY_TOP, 5, MOVE_WEAVE, FIRE_SPREAD5, 3, 0, DROP_NONE};
const SEnemyKind KIND_H_LEFT = {RC_H, ENTRY_LEFT, 7, MOVE_TURN_DOWN, FIRE_SPREAD3, 1, 1, DROP_NONE};
const SEnemyKind KIND_H_RIGHT = {RC_H, ENTRY_RIGHT, 7, MOVE_TURN_DOWN, FIRE_SPREAD3, 1, 0, DROP_NONE};
const SEnemyKind KIND_I = {RC_I, ENTRY_TOP, 7, MOVE_WEAVE, FIRE_SPREAD5, 4, 0, DROP_NONE};
const SEnemyKind KIND_MIDBOSS1 = {RC_MIDBOSS, ENTRY_TOP, 30, MOVE_WEAVE, FIRE_MIDBOSS1, 3, 1, DROP_NONE};
const SEnemyKind KIND_MIDBOSS2 = {RC_MIDBOSS, ENTRY_TOP, 50, MOVE_WEAVE, FIRE_MIDBOSS2, 4, 0, DROP_NONE};
const SEnemyKind KIND_BOSS = {RC_BOSS, ENTRY_BOSS, 1000, MOVE_PATROL, FIRE_BOSS, 1, 1, DROP_BOSS};

// Puts an enemy of the given kind into the first free enemy slot. nPos is x for top entries and y for
// side entries. A full slot table makes nothing and draws no number.
void Spawn(CGameWorld& world, const SEnemyKind& kind, int nPos, int nDrop) {
    int nSlot = 0;
    while (nSlot < MAX_ENEMIES && world.m_pEnemies[nSlot] != nullptr) ++nSlot;
    if (nSlot == MAX_ENEMIES) return;

    int x = nPos;
    int y = ENTRY_TOP_Y;
    switch (kind.entry) {
        case ENTRY_TOP:
            break;
        case ENTRY_LEFT:
            x = ENTRY_LEFT_X;
            y = nPos;
            break;
        case ENTRY_RIGHT:
            x = ENTRY_RIGHT_X;
            y = nPos;
            break;
        case ENTRY_BOSS:
            x = BOSS_X;
            y = BOSS_Y;
            break;
    }

    CSprite* pEnemy = new CSprite(world.m_pddsBack, world.m_pddsSprites, kind.rcFrame, x, y);
    world.m_pEnemies[nSlot] = pEnemy;
    pEnemy->m_nHP = kind.nHP;
    pEnemy->m_nMove = kind.nMove;
    pEnemy->m_nFire = kind.nFire;
    pEnemy->m_nTick = kind.nSpeed;
    pEnemy->m_bMoveRight = kind.bMoveRight;
    pEnemy->m_nAge = 0;
    pEnemy->m_nDrop = nDrop;
    // The clock runs 0..99 but phases only 0..98: nobody fires on 99.
    pEnemy->m_nFirePhase = crt::rand() % FIRE_PHASES;
}

void Spawn(CGameWorld& world, const SEnemyKind& kind, int nPos) { Spawn(world, kind, nPos, kind.nDrop); }

}  // namespace

void CGameWorld::SpawnA1(int x) { Spawn(*this, KIND_A1, x); }
void CGameWorld::SpawnA2(int x) { Spawn(*this, KIND_A2, x); }
void CGameWorld::SpawnB1(int x) { Spawn(*this, KIND_B1, x); }
void CGameWorld::SpawnB2(int x) { Spawn(*this, KIND_B2, x); }
void CGameWorld::SpawnCLeft(int y) { Spawn(*this, KIND_C_LEFT, y); }
void CGameWorld::SpawnCRight(int y) { Spawn(*this, KIND_C_RIGHT, y); }
void CGameWorld::SpawnD1(int x) { Spawn(*this, KIND_D1, x); }
void CGameWorld::SpawnD2(int x) { Spawn(*this, KIND_D2, x); }
void CGameWorld::SpawnE(int x) { Spawn(*this, KIND_E, x); }
void CGameWorld::SpawnF1(int x) { Spawn(*this, KIND_F1, x); }
void CGameWorld::SpawnF2(int x) { Spawn(*this, KIND_F2, x); }
void CGameWorld::SpawnG(int x) { Spawn(*this, KIND_G, x); }
void CGameWorld::SpawnHLeft(int y) { Spawn(*this, KIND_H_LEFT, y); }
void CGameWorld::SpawnHRight(int y) { Spawn(*this, KIND_H_RIGHT, y); }
void CGameWorld::SpawnI(int x) { Spawn(*this, KIND_I, x); }
void CGameWorld::SpawnMidBoss1(int x, int nDrop) { Spawn(*this, KIND_MIDBOSS1, x, nDrop); }
void CGameWorld::SpawnMidBoss2(int x, int nDrop) { Spawn(*this, KIND_MIDBOSS2, x, nDrop); }
void CGameWorld::SpawnBoss() { Spawn(*this, KIND_BOSS, 0); }
