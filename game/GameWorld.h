// The game world of one game: the craft, its shots, the shield gauge, explosions, items, enemies and
// their bullets, each a sprite in a fixed slot (an empty slot is null).
#pragma once

#include "game/Sprite.h"
#include "game/SpriteSlot.h"
#include "platform/dsound.h"

// Enemy movement patterns.
const int MOVE_DIVE = 0;
const int MOVE_HOVER = 1;
const int MOVE_WEAVE = 2;
const int MOVE_TURN_DOWN = 3;
const int MOVE_PATROL = 4;

// Enemy fire patterns.
const int FIRE_NONE = 0;
const int FIRE_SINGLE = 1;
const int FIRE_TWIN = 2;
const int FIRE_SPREAD3 = 3;
const int FIRE_SPREAD5 = 4;
const int FIRE_MIDBOSS1 = 5;
const int FIRE_MIDBOSS2 = 6;
const int FIRE_BOSS = 7;

// What a destroyed enemy leaves behind.
const int DROP_NONE = 0;
const int DROP_POWER = 1;
const int DROP_SHIELD = 2;
const int DROP_BOSS = 3;

// Item kinds.
const int ITEM_POWER = 0;
const int ITEM_SHIELD = 1;

// The craft's shot level runs 1..MAX_SHOT_LEVEL; its shield starts full, at MAX_SHIELD.
const int MAX_SHOT_LEVEL = 3;
const int MAX_SHIELD = 20;

const int MAX_SHOTS = 8;
const int MAX_SMALL_EXPLOSIONS = 10;
const int MAX_BIG_EXPLOSIONS = 5;
const int MAX_ENEMIES = 20;
const int MAX_BULLETS = 100;

class CGameWorld {
public:
    CGameWorld(IDirectDrawSurface* pddsBack, IDirectDrawSurface* pddsSprites);
    // Destroys every sprite the game world still holds.
    ~CGameWorld();

    // Player craft and shots.
    void CreatePlayer();
    void SetSounds(IDirectSoundBuffer* pdsbExplosion, IDirectSoundBuffer* pdsbHit);
    BOOL UpdatePlayer(BOOL bLeft, BOOL bRight, BOOL bUp, BOOL bDown, BOOL bFire);
    void FireShot();
    void MoveShots();
    void DestroyPlayer();
    void DestroyShot(int n);

    // Explosions, items and the shield gauge.
    void CreateSmallExplosion(int n);
    void CreateBigExplosion(int n);
    void AnimateSmallExplosions();
    void AnimateBigExplosions();
    void AnimateExplosions();
    void CreateItem(int nKind);
    void UpdateItems();
    void DrawShieldGauge();

    // Spawners.
    void SpawnA1(int x);
    void SpawnA2(int x);
    void SpawnB1(int x);
    void SpawnB2(int x);
    void SpawnCLeft(int y);
    void SpawnCRight(int y);
    void SpawnD1(int x);
    void SpawnD2(int x);
    void SpawnE(int x);
    void SpawnF1(int x);
    void SpawnF2(int x);
    void SpawnG(int x);
    void SpawnHLeft(int y);
    void SpawnHRight(int y);
    void SpawnI(int x);
    void SpawnMidBoss1(int x, int nDrop);
    void SpawnMidBoss2(int x, int nDrop);
    void SpawnBoss();

    // Enemy movement, fire and bullets.
    void UpdateEnemies();
    void MoveEnemies();
    void EnemiesFire();
    void MoveBullets();

    // The stage timeline.
    void RunStageScript(int nFrame);

    // Collisions.
    static BOOL IsOverlap(CSprite* pA, CSprite* pB);
    static BOOL IsHit(CSprite* pA, CSprite* pB);
    void CheckCollisions();

    IDirectDrawSurface* m_pddsBack;
    IDirectDrawSurface* m_pddsSprites;
    IDirectSoundBuffer* m_pdsbExplosion;
    IDirectSoundBuffer* m_pdsbHit;
    CSprite* m_pPlayer;
    CSprite* m_pShots[MAX_SHOTS];
    CSprite* m_pShieldUnit;
    CSprite* m_pShieldFrame;
    CSprite* m_pSmallExplosions[MAX_SMALL_EXPLOSIONS];
    CSprite* m_pBigExplosions[MAX_BIG_EXPLOSIONS];
    CSprite* m_pPowerItem;
    CSprite* m_pShieldItem;
    int m_nBank;
    int m_nFireClock;
    int m_nShotLevel;
    int m_nLives;
    CSprite* m_pEnemies[MAX_ENEMIES];
    CSprite* m_pBullets[MAX_BULLETS];

private:
    CGameWorld(const CGameWorld&) = delete;
    CGameWorld& operator=(const CGameWorld&) = delete;
};
