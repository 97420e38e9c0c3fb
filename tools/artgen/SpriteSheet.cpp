// The sprite sheet: every game-world sprite on a dark backdrop, with labels beside them.
#include "DetMath.h"
#include "Effects.h"
#include "Models.h"
#include "Pictures.h"
#include "SheetLayout.h"
#include "platform/screen.h"

namespace {

const SColor BACKDROP = {36, 40, 48};
const SColor LABEL = {150, 160, 178};

void RenderInRect(CCanvas& sheet, const CShapeModel& model, const SSheetRect& r, double dOriginX, double dOriginY,
                  double dRoll = 0, double dSheen = 0)
{
    SRenderParams rp;
    rp.dOriginX = r.nLeft + dOriginX;
    rp.dOriginY = r.nTop + dOriginY;
    rp.dRoll = dRoll;
    rp.dSheen = dSheen;
    RenderModel(model, sheet, r.nLeft, r.nTop, r.Width(), r.Height(), rp);
}

void Label(CCanvas& sheet, const CFontFace& font, const char* text, int x, int y, int nSize = 9)
{
    SAlphaMask m = font.Render(text, nSize, true);
    PaintMask(sheet, m, x, y, LABEL, true);
}

} // namespace

CCanvas BuildSpriteSheet(const CFontFace& font)
{
    CCanvas sheet(SCREEN_WIDTH, SCREEN_HEIGHT, BACKDROP);

    // labels first; the rectangles are cleared afterwards, so no label can reach into one
    for (int i = 0; i < 8; ++i) {
        const SSheetRect& r = SheetRect(std::string("enemy") + char('A' + i));
        char text[2] = {char('A' + i), 0};
        Label(sheet, font, text, r.nLeft + r.Width() / 2 - 3, 293, 10);
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

    for (const SSheetRect& r : SheetRects()) sheet.ClearRect(r.nLeft, r.nTop, r.Width(), r.Height());

    // the player's craft in its five bank states
    CShapeModel craft = BuildCraftModel();
    const double ROLL[5] = {0.0, -0.42, 0.42, -0.85, 0.85};
    for (int f = 0; f < 5; ++f) {
        const SSheetRect& r = SheetRect("craft" + std::to_string(f));
        RenderInRect(sheet, craft, r, r.Width() / 2.0, 26.0, ROLL[f]);
    }
    for (int l = 1; l <= 3; ++l) {
        const SSheetRect& r = SheetRect("shot" + std::to_string(l));
        DrawPlayerShot(sheet, r.nLeft, r.nTop, l);
    }
    DrawGaugeFrame(sheet, SheetRect("gaugeFrame").nLeft, SheetRect("gaugeFrame").nTop, font);
    DrawGaugeUnit(sheet, SheetRect("gaugeUnit").nLeft, SheetRect("gaugeUnit").nTop);
    DrawItem(sheet, SheetRect("itemPower").nLeft, SheetRect("itemPower").nTop, false, font);
    DrawItem(sheet, SheetRect("itemShield").nLeft, SheetRect("itemShield").nTop, true, font);
    for (int k = 0; k < 7; ++k) {
        const SSheetRect& r = SheetRect("small" + std::to_string(k));
        DrawSmallExplosion(sheet, r.nLeft, r.nTop, k);
    }
    for (int k = 0; k < 10; ++k) {
        const SSheetRect& r = SheetRect("big" + std::to_string(k));
        DrawBigExplosion(sheet, r.nLeft, r.nTop, k);
    }
    for (int i = 0; i < 9; ++i) {
        char kind = char('A' + i);
        const SSheetRect& r = SheetRect(std::string("enemy") + kind);
        RenderInRect(sheet, BuildEnemyModel(kind), r, r.Width() / 2.0, 26.0);
    }
    const SSheetRect& mid = SheetRect("midBoss");
    RenderInRect(sheet, BuildMidBossModel(), mid, 73.5, 36.0, 0, 0.003);
    const SSheetRect& boss = SheetRect("boss");
    RenderInRect(sheet, BuildBossModel(), boss, 83.0, 100.5, 0, 0.0025);
    DrawEnemyBullet(sheet, SheetRect("bulletNormal").nLeft, SheetRect("bulletNormal").nTop, 0);
    DrawEnemyBullet(sheet, SheetRect("bulletSmall").nLeft, SheetRect("bulletSmall").nTop, 1);
    DrawEnemyBullet(sheet, SheetRect("bulletBoss").nLeft, SheetRect("bulletBoss").nTop, 2);
    return sheet;
}
