// Enemy movement, the enemies' fire and the enemy bullets.
#include "game/GameWorld.h"
#include "platform/screen.h"

namespace {

// Hovering enemies stop at this height until they are old enough to move on.
const int HOVER_Y = 100;
const int HOVER_AGE = 500;
// Weaving enemies swing between two bounds once they reach this height, until this age.
const int WEAVE_Y = 50;
const int WEAVE_AGE = 2000;
const int WEAVE_LEFT = 5;
const int WEAVE_RIGHT = 550;
// Side entries come in level to this x, then turn down.
const int TURN_DOWN_X = 300;
// The boss comes down to the top of the screen and then patrols for good.
const int PATROL_Y = 0;
const int PATROL_LEFT = 5;
const int PATROL_RIGHT = 450;

const int FIRE_CLOCK_PERIOD = 100;
const int BULLET_SPEED_Y = 4;

enum EBulletPicture { BULLET_NORMAL, BULLET_BOSS, BULLET_SMALL };

const SCutRect* const BULLET_PICTURES[] = {&SPR_BULLET_NORMAL, &SPR_BULLET_BOSS, &SPR_BULLET_SMALL};

// Sideways step of each bullet direction; every bullet falls 4 pixels per frame.
const int BULLET_STEP_X[] = {0, -2, 2, -4, 4};

struct SBullet {
    EBulletPicture picture;
    int dx;  // start, relative to the enemy's position
    int dy;
    int nDirection;
};

struct SVolley {
    int nCount;  // bullets in a row of free slots that the volley needs
    SBullet bullets[13];
};

// Indexed by fire pattern; FIRE_NONE makes nothing.
const SVolley VOLLEYS[] = {
    {0, {}},
    // FIRE_SINGLE
    {1, {{BULLET_NORMAL, 20, 40, 0}}},
    // FIRE_TWIN
    {2, {{BULLET_NORMAL, 0, 40, 0}, {BULLET_NORMAL, 40, 40, 0}}},
    // FIRE_SPREAD3
    {3, {{BULLET_SMALL, 20, 40, 0}, {BULLET_SMALL, 20, 40, 1}, {BULLET_SMALL, 20, 40, 2}}},
    // FIRE_SPREAD5
    {5,
     {{BULLET_NORMAL, 20, 40, 0},
      {BULLET_NORMAL, 20, 40, 1},
      {BULLET_NORMAL, 20, 40, 2},
      {BULLET_NORMAL, 20, 40, 3},
      {BULLET_NORMAL, 20, 40, 4}}},
    // FIRE_MIDBOSS1
    {4,
     {{BULLET_NORMAL, 60, 60, 0},
      {BULLET_BOSS, 60, 60, 1},
      {BULLET_NORMAL, 80, 60, 0},
      {BULLET_BOSS, 80, 60, 2}}},
    // FIRE_MIDBOSS2
    {6,
     {{BULLET_NORMAL, 60, 60, 0},
      {BULLET_BOSS, 60, 60, 1},
      {BULLET_BOSS, 60, 60, 3},
      {BULLET_NORMAL, 80, 60, 0},
      {BULLET_BOSS, 80, 60, 2},
      {BULLET_BOSS, 80, 60, 4}}},
    // FIRE_BOSS
    {13,
     {{BULLET_BOSS, 75, 150, 0},
      {BULLET_BOSS, 75, 150, 1},
      {BULLET_BOSS, 75, 150, 2},
      {BULLET_NORMAL, 30, 170, 0},
      {BULLET_NORMAL, 30, 170, 1},
      {BULLET_NORMAL, 30, 170, 2},
      {BULLET_NORMAL, 30, 170, 3},
      {BULLET_NORMAL, 30, 170, 4},
      {BULLET_NORMAL, 100, 170, 1},
      {BULLET_NORMAL, 100, 170, 2},
      {BULLET_NORMAL, 100, 170, 3},
      {BULLET_NORMAL, 100, 170, 4},
      {BULLET_NORMAL, 100, 170, 5}}},
};
const int VOLLEY_COUNT = sizeof(VOLLEYS) / sizeof(VOLLEYS[0]);

// One sideways step between two bounds; the frame in which the enemy turns does not move it.
void StepSideways(CSprite* pEnemy, int nLeft, int nRight) {
    const int s = pEnemy->m_nTick;
    if (pEnemy->m_bMoveRight) {
        if (pEnemy->GetX() < nRight)
            pEnemy->OffsetX(s);
        else
            pEnemy->m_bMoveRight = FALSE;
    } else {
        if (pEnemy->GetX() > nLeft)
            pEnemy->OffsetX(-s);
        else
            pEnemy->m_bMoveRight = TRUE;
    }
}

// The first start index of a run of nCount free bullet slots lying wholly within the table, or -1.
int FindFreeRun(CSprite* const* pBullets, int nCount) {
    for (int j = 0; j + nCount <= MAX_BULLETS; ++j) {
        int k = 0;
        while (k < nCount && pBullets[j + k] == nullptr) ++k;
        if (k == nCount) return j;
    }
    return -1;
}

}  // namespace

void CGameWorld::UpdateEnemies() {
    MoveEnemies();
    EnemiesFire();
    MoveBullets();
}

void CGameWorld::MoveEnemies() {
    for (CSprite*& pEnemy : m_pEnemies) {
        if (pEnemy == nullptr) continue;
        const int s = pEnemy->m_nTick;
        switch (pEnemy->m_nMove) {
            case MOVE_DIVE:
                // Tested before the move: a diver's last draw may lie below the screen; it is retired the frame after.
                if (pEnemy->GetY() > SCREEN_HEIGHT) {
                    DestroySprite(pEnemy);
                    break;
                }
                pEnemy->Draw(0);
                pEnemy->OffsetY(s);
                break;
            case MOVE_HOVER:
                if (pEnemy->GetY() < HOVER_Y || pEnemy->m_nAge > HOVER_AGE) pEnemy->OffsetY(s);
                pEnemy->Draw(0);
                ++pEnemy->m_nAge;
                if (pEnemy->GetY() > SCREEN_HEIGHT) DestroySprite(pEnemy);
                break;
            case MOVE_WEAVE:
                if (pEnemy->GetY() >= WEAVE_Y && pEnemy->m_nAge <= WEAVE_AGE)
                    StepSideways(pEnemy, WEAVE_LEFT, WEAVE_RIGHT);
                else
                    pEnemy->OffsetY(s);
                pEnemy->Draw(0);
                ++pEnemy->m_nAge;
                if (pEnemy->GetY() > SCREEN_HEIGHT) DestroySprite(pEnemy);
                break;
            case MOVE_TURN_DOWN:
                if (pEnemy->m_bMoveRight) {
                    if (pEnemy->GetX() < TURN_DOWN_X)
                        pEnemy->OffsetX(s);
                    else
                        pEnemy->OffsetY(s);
                } else {
                    if (pEnemy->GetX() > TURN_DOWN_X)
                        pEnemy->OffsetX(-s);
                    else
                        pEnemy->OffsetY(s);
                }
                pEnemy->Draw(0);
                if (pEnemy->GetY() > SCREEN_HEIGHT) DestroySprite(pEnemy);
                break;
            case MOVE_PATROL:
                // The boss never leaves by moving; only a kill takes it out.
                if (pEnemy->GetY() < PATROL_Y)
                    pEnemy->OffsetY(s);
                else
                    StepSideways(pEnemy, PATROL_LEFT, PATROL_RIGHT);
                pEnemy->Draw(0);
                ++pEnemy->m_nAge;
                break;
            default:
                // An unknown pattern stays put, undrawn, until a collision takes it out.
                break;
        }
    }
}

void CGameWorld::EnemiesFire() {
    ++m_nFireClock;
    if (m_nFireClock == FIRE_CLOCK_PERIOD) m_nFireClock = 0;

    for (CSprite* pEnemy : m_pEnemies) {
        if (pEnemy == nullptr || pEnemy->m_nFirePhase != m_nFireClock) continue;
        const int nFire = pEnemy->m_nFire;
        if (nFire <= FIRE_NONE || nFire >= VOLLEY_COUNT) continue;
        const SVolley& volley = VOLLEYS[nFire];
        // The whole volley or nothing: it needs one unbroken run of free slots.
        const int j = FindFreeRun(m_pBullets, volley.nCount);
        if (j < 0) continue;
        const int x = pEnemy->GetX();
        const int y = pEnemy->GetY();
        for (int k = 0; k < volley.nCount; ++k) {
            const SBullet& bullet = volley.bullets[k];
            CSprite* pBullet = new CSprite(m_pddsBack, m_pddsSprites, ToRect(*BULLET_PICTURES[bullet.picture]),
                                           x + bullet.dx, y + bullet.dy);
            pBullet->m_nMove = bullet.nDirection;
            m_pBullets[j + k] = pBullet;
        }
    }
}

void CGameWorld::MoveBullets() {
    const int nDirections = sizeof(BULLET_STEP_X) / sizeof(BULLET_STEP_X[0]);
    for (CSprite*& pBullet : m_pBullets) {
        if (pBullet == nullptr) continue;
        const int nDirection = pBullet->m_nMove;
        pBullet->OffsetY(BULLET_SPEED_Y);
        // Any other direction (the boss's 5 among them) falls straight down.
        if (nDirection >= 0 && nDirection < nDirections) pBullet->OffsetX(BULLET_STEP_X[nDirection]);
        if (pBullet->GetY() > SCREEN_HEIGHT || pBullet->GetX() < 0 || pBullet->GetX() > SCREEN_WIDTH)
            DestroySprite(pBullet);
        else
            pBullet->Draw(0);
    }
}
