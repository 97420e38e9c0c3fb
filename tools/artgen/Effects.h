// The small pictures of the sprite sheet that are painted rather than modelled: shots, bullets,
// explosions, items and the shield gauge. Each draws itself with its top-left at (x, y).
#pragma once
#include "Canvas.h"
#include "Text.h"

void DrawPlayerShot(CCanvas& canvas, int x, int y, int nLevel);      // 16x10, 19x11, 33x12
void DrawEnemyBullet(CCanvas& canvas, int x, int y, int nKind);      // 0 normal 7x7, 1 small 5x5, 2 boss 21x21
void DrawSmallExplosion(CCanvas& canvas, int x, int y, int nFrame);  // 17x15, frames 0..6
// A big explosion frame 0..9 in an nSize x nSize square (61 on the sheet; larger for the END picture).
void DrawBigExplosion(CCanvas& canvas, int x, int y, int nFrame, int nSize = 61);
void DrawItem(CCanvas& canvas, int x, int y, bool bShield, const CFontFace& font);  // 21x21
void DrawGaugeFrame(CCanvas& canvas, int x, int y, const CFontFace& font);          // 117x19
void DrawGaugeUnit(CCanvas& canvas, int x, int y);                                  // 3x13
