// Where the game cuts its sprites from SPR and its background layers from BG00 and BG01. Right and
// bottom are exclusive, as in a RECT. Plain data only, so that the art generator, the tests, the
// end-to-end checker and the benchmarks read the same rectangles the game cuts.
#pragma once

#include "platform/screen.h"

struct SCutRect {
    int left, top, right, bottom;
    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
};

// ---- SPR: the sprite sheet ----

// The craft in its five bank frames: level, bank left, bank right, hard left, hard right.
inline constexpr SCutRect SPR_CRAFT[5] = {
    {115, 62, 160, 114}, {61, 62, 104, 114}, {171, 62, 214, 114}, {7, 62, 50, 114}, {225, 62, 268, 114},
};
// The craft's shot at levels 1, 2 and 3.
inline constexpr SCutRect SPR_SHOT[3] = {{7, 131, 23, 141}, {24, 131, 43, 142}, {44, 131, 77, 143}};

inline constexpr SCutRect SPR_GAUGE_FRAME = {80, 14, 197, 33};
inline constexpr SCutRect SPR_GAUGE_UNIT = {197, 17, 200, 30};
inline constexpr SCutRect SPR_POWER_ITEM = {13, 14, 34, 35};
inline constexpr SCutRect SPR_SHIELD_ITEM = {46, 14, 67, 35};

// A row of 17x15 sparks, one pixel apart.
inline constexpr int SPR_SMALL_EXPLOSION_FRAMES = 7;
inline constexpr SCutRect SPR_SMALL_EXPLOSION[SPR_SMALL_EXPLOSION_FRAMES] = {
    {5, 383, 22, 398},  {23, 383, 40, 398}, {41, 383, 58, 398},   {59, 383, 76, 398},
    {77, 383, 94, 398}, {95, 383, 112, 398}, {113, 383, 130, 398},
};
// A row of nine 61x61 fireballs, one pixel apart; the row has no room for the tenth, which stands
// above its right end.
inline constexpr int SPR_BIG_EXPLOSION_FRAMES = 10;
inline constexpr SCutRect SPR_BIG_EXPLOSION[SPR_BIG_EXPLOSION_FRAMES] = {
    {1, 414, 62, 475},    {63, 414, 124, 475},  {125, 414, 186, 475}, {187, 414, 248, 475}, {249, 414, 310, 475},
    {311, 414, 372, 475}, {373, 414, 434, 475}, {435, 414, 496, 475}, {497, 414, 558, 475}, {559, 352, 620, 413},
};

// Enemies A to I: A-H side by side, I under H.
inline constexpr SCutRect SPR_ENEMY[9] = {
    {6, 305, 51, 357},    {52, 305, 97, 357},   {98, 305, 142, 357},  {143, 305, 188, 357}, {189, 305, 234, 357},
    {235, 305, 280, 357}, {281, 305, 326, 357}, {327, 305, 372, 357}, {327, 358, 372, 410},
};
inline constexpr SCutRect SPR_MIDBOSS = {476, 15, 623, 87};
inline constexpr SCutRect SPR_BOSS = {282, 14, 448, 215};

inline constexpr SCutRect SPR_BULLET_NORMAL = {202, 376, 209, 383};
inline constexpr SCutRect SPR_BULLET_SMALL = {210, 376, 215, 381};
inline constexpr SCutRect SPR_BULLET_BOSS = {282, 223, 303, 244};

// Every rectangle of the sheet by name, for the tools that draw, outline or check them all.
struct SNamedCut {
    const char* name;
    SCutRect rc;
};
inline constexpr SNamedCut SPR_CUTS[] = {
    {"craft0", SPR_CRAFT[0]},
    {"craft1", SPR_CRAFT[1]},
    {"craft2", SPR_CRAFT[2]},
    {"craft3", SPR_CRAFT[3]},
    {"craft4", SPR_CRAFT[4]},
    {"shot1", SPR_SHOT[0]},
    {"shot2", SPR_SHOT[1]},
    {"shot3", SPR_SHOT[2]},
    {"gaugeFrame", SPR_GAUGE_FRAME},
    {"gaugeUnit", SPR_GAUGE_UNIT},
    {"itemPower", SPR_POWER_ITEM},
    {"itemShield", SPR_SHIELD_ITEM},
    {"small0", SPR_SMALL_EXPLOSION[0]},
    {"small1", SPR_SMALL_EXPLOSION[1]},
    {"small2", SPR_SMALL_EXPLOSION[2]},
    {"small3", SPR_SMALL_EXPLOSION[3]},
    {"small4", SPR_SMALL_EXPLOSION[4]},
    {"small5", SPR_SMALL_EXPLOSION[5]},
    {"small6", SPR_SMALL_EXPLOSION[6]},
    {"big0", SPR_BIG_EXPLOSION[0]},
    {"big1", SPR_BIG_EXPLOSION[1]},
    {"big2", SPR_BIG_EXPLOSION[2]},
    {"big3", SPR_BIG_EXPLOSION[3]},
    {"big4", SPR_BIG_EXPLOSION[4]},
    {"big5", SPR_BIG_EXPLOSION[5]},
    {"big6", SPR_BIG_EXPLOSION[6]},
    {"big7", SPR_BIG_EXPLOSION[7]},
    {"big8", SPR_BIG_EXPLOSION[8]},
    {"big9", SPR_BIG_EXPLOSION[9]},
    {"enemyA", SPR_ENEMY[0]},
    {"enemyB", SPR_ENEMY[1]},
    {"enemyC", SPR_ENEMY[2]},
    {"enemyD", SPR_ENEMY[3]},
    {"enemyE", SPR_ENEMY[4]},
    {"enemyF", SPR_ENEMY[5]},
    {"enemyG", SPR_ENEMY[6]},
    {"enemyH", SPR_ENEMY[7]},
    {"enemyI", SPR_ENEMY[8]},
    {"midBoss", SPR_MIDBOSS},
    {"boss", SPR_BOSS},
    {"bulletNormal", SPR_BULLET_NORMAL},
    {"bulletSmall", SPR_BULLET_SMALL},
    {"bulletBoss", SPR_BULLET_BOSS},
};

// ---- BG00: the city strip, the ragged upper edge of the cloud sea and the cloud-sea tile ----

inline constexpr SCutRect BG00_CITY_STRIP = {0, 0, SCREEN_WIDTH, 120};
inline constexpr SCutRect BG00_CLOUD_END = {0, 120, SCREEN_WIDTH, 169};
inline constexpr SCutRect BG00_CLOUD_TILE = {0, 169, SCREEN_WIDTH, 409};

// ---- BG01: the clouds over the city ----

inline constexpr SCutRect BG01_CLOUD_LEFT = {0, 0, 225, SCREEN_HEIGHT};
// One cloud that both drifting puffs share.
inline constexpr SCutRect BG01_CLOUD_PUFF = {226, 274, 553, SCREEN_HEIGHT};
inline constexpr SCutRect BG01_CLOUD_RIGHT = {412, 0, SCREEN_WIDTH, 273};
