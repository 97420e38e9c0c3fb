// The sprite sheet: every game-world sprite on a dark backdrop, with labels beside them.
#include "DetMath.h"
#include "Effects.h"
#include "Models.h"
#include "Pictures.h"
#include "game/PictureLayout.h"
#include "platform/screen.h"

namespace {

const SColor BACKDROP = {36, 40, 48};
const SColor LABEL = {150, 160, 178};

void RenderInRect(CCanvas& sheet, const CShapeModel& model, const SCutRect& r, double dOriginX, double dOriginY,
                  double dRoll = 0, double dSheen = 0) {
    SRenderParams rp;
    rp.dOriginX = r.left + dOriginX;
    rp.dOriginY = r.top + dOriginY;
    rp.dRoll = dRoll;
    rp.dSheen = dSheen;
    RenderModel(model, sheet, r.left, r.top, r.Width(), r.Height(), rp);
}

void Label(CCanvas& sheet, const CFontFace& font, const char* text, int x, int y, int nSize = 9) {
    SAlphaMask m = font.Render(text, nSize, true);
    PaintMask(sheet, m, x, y, LABEL, true);
}

}  // namespace

CCanvas BuildSpriteSheet(const CFontFace& font) {
    CCanvas sheet(SCREEN_WIDTH, SCREEN_HEIGHT, BACKDROP);

    // labels first; the rectangles are cleared afterwards, so no label can reach into one
    for (int i = 0; i < 8; ++i) {
        const SCutRect& r = SPR_ENEMY[i];
        char text[2] = {char('A' + i), 0};
        Label(sheet, font, text, r.left + r.Width() / 2 - 3, 293, 10);
    }
    Label(sheet, font, "I", 378, 378, 10);
    Label(sheet, font, "CRAFT  hard L - bank L - level - bank R - hard R", 7, 44);
    Label(sheet, font, "SHOTS 1 2 3", 84, 131);
    Label(sheet, font, "ITEMS", 18, 2);
    Label(sheet, font, "SHIELD GAUGE", 104, 2);
    Label(sheet, font, "MID-BOSS", 520, 2);
    Label(sheet, font, "BOSS", 346, 2);
    Label(sheet, font, "BULLETS", 220, 366);
    Label(sheet, font, "SPARK 0-6", 5, 370);
    Label(sheet, font, "FIREBALL 0-8", 140, 401);
    Label(sheet, font, "FIREBALL 9", 560, 338);

    for (const SNamedCut& cut : SPR_CUTS) sheet.ClearRect(cut.rc.left, cut.rc.top, cut.rc.Width(), cut.rc.Height());

    // the player's craft in its five bank states
    CShapeModel craft = BuildCraftModel();
    const double ROLL[5] = {0.0, -0.42, 0.42, -0.85, 0.85};
    for (int f = 0; f < 5; ++f) {
        const SCutRect& r = SPR_CRAFT[f];
        RenderInRect(sheet, craft, r, r.Width() / 2.0, 26.0, ROLL[f]);
    }
    for (int l = 1; l <= 3; ++l) DrawPlayerShot(sheet, SPR_SHOT[l - 1].left, SPR_SHOT[l - 1].top, l);
    DrawGaugeFrame(sheet, SPR_GAUGE_FRAME.left, SPR_GAUGE_FRAME.top, font);
    DrawGaugeUnit(sheet, SPR_GAUGE_UNIT.left, SPR_GAUGE_UNIT.top);
    DrawItem(sheet, SPR_POWER_ITEM.left, SPR_POWER_ITEM.top, false, font);
    DrawItem(sheet, SPR_SHIELD_ITEM.left, SPR_SHIELD_ITEM.top, true, font);
    for (int k = 0; k < SPR_SMALL_EXPLOSION_FRAMES; ++k)
        DrawSmallExplosion(sheet, SPR_SMALL_EXPLOSION[k].left, SPR_SMALL_EXPLOSION[k].top, k);
    for (int k = 0; k < SPR_BIG_EXPLOSION_FRAMES; ++k)
        DrawBigExplosion(sheet, SPR_BIG_EXPLOSION[k].left, SPR_BIG_EXPLOSION[k].top, k);
    for (int i = 0; i < 9; ++i) {
        const SCutRect& r = SPR_ENEMY[i];
        RenderInRect(sheet, BuildEnemyModel(char('A' + i)), r, r.Width() / 2.0, 26.0);
    }
    RenderInRect(sheet, BuildMidBossModel(), SPR_MIDBOSS, 73.5, 36.0, 0, 0.003);
    RenderInRect(sheet, BuildBossModel(), SPR_BOSS, 83.0, 100.5, 0, 0.0025);
    DrawEnemyBullet(sheet, SPR_BULLET_NORMAL.left, SPR_BULLET_NORMAL.top, 0);
    DrawEnemyBullet(sheet, SPR_BULLET_SMALL.left, SPR_BULLET_SMALL.top, 1);
    DrawEnemyBullet(sheet, SPR_BULLET_BOSS.left, SPR_BULLET_BOSS.top, 2);
    return sheet;
}
