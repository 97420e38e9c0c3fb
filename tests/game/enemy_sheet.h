// The test sprite sheet with the enemy and bullet pictures filled too, each with a value of its own,
// so a back-buffer pixel tells which enemy kind or bullet was drawn there.
#pragma once

#include "tests/game/test_sheet.h"

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
    const LONG lefts[8] = {6, 52, 98, 143, 189, 235, 281, 327};
    const LONG rights[8] = {51, 97, 142, 188, 234, 280, 326, 372};
    for (int k = 0; k < 8; ++k) sheet.FillRect({lefts[k], 305, rights[k], 357}, static_cast<BYTE>(SHEET_ENEMY_A + k));
    sheet.FillRect({327, 358, 372, 410}, SHEET_ENEMY_I);
    sheet.FillRect({476, 15, 623, 87}, SHEET_MIDBOSS);
    sheet.FillRect({282, 14, 448, 215}, SHEET_BOSS);
    sheet.FillRect({202, 376, 209, 383}, SHEET_BULLET_NORMAL);
    sheet.FillRect({282, 223, 303, 244}, SHEET_BULLET_BOSS);
    sheet.FillRect({210, 376, 215, 381}, SHEET_BULLET_SMALL);
}
