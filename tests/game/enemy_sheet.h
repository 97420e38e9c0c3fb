// The test sprite sheet with the enemy and bullet pictures filled too, each with a value of its own,
// so a back-buffer pixel tells which enemy kind or bullet was drawn there.
#pragma once

#include "game/Sprite.h"
#include "tests/game/synthetic_sheet.h"

const BYTE SHEET_ENEMY_A = 70;
const BYTE SHEET_ENEMY_B = 71;
const BYTE SHEET_ENEMY_C = 72;
const BYTE SHEET_ENEMY_D = 73;
const BYTE SHEET_ENEMY_E = 74;
const BYTE SHEET_ENEMY_F = 75;
const BYTE SHEET_ENEMY_G = 76;
const BYTE SHEET_ENEMY_H = 77;
const BYTE SHEET_ENEMY_I = 78;
const BYTE SHEET_MIDBOSS = 79;
const BYTE SHEET_BOSS = 80;
const BYTE SHEET_BULLET_NORMAL = 90;
const BYTE SHEET_BULLET_BOSS = 91;
const BYTE SHEET_BULLET_SMALL = 92;

inline void PaintEnemySheet(CMemorySurface& sheet) {
    PaintTestSheet(sheet);
    for (int k = 0; k < 9; ++k) sheet.FillRect(ToRect(SPR_ENEMY[k]), static_cast<BYTE>(SHEET_ENEMY_A + k));
    sheet.FillRect(ToRect(SPR_MIDBOSS), SHEET_MIDBOSS);
    sheet.FillRect(ToRect(SPR_BOSS), SHEET_BOSS);
    sheet.FillRect(ToRect(SPR_BULLET_NORMAL), SHEET_BULLET_NORMAL);
    sheet.FillRect(ToRect(SPR_BULLET_BOSS), SHEET_BULLET_BOSS);
    sheet.FillRect(ToRect(SPR_BULLET_SMALL), SHEET_BULLET_SMALL);
}
