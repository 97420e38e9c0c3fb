// TITLE: the craft climbing over the cloud sea at dawn, the name in chrome letters, and the controls.
#include "Clouds.h"
#include "DetMath.h"
#include "Effects.h"
#include "Models.h"
#include "Pictures.h"
#include "Vista.h"
#include "platform/screen.h"

namespace {

void RenderHero(CCanvas& canvas, const CShapeModel& model, double cx, double cy, double scale, double roll,
                int nOutline) {
    SRenderParams rp;
    rp.dScale = scale;
    rp.dOriginX = cx;
    rp.dOriginY = cy;
    rp.dRoll = roll;
    rp.nOutline = nOutline;
    rp.outline = {10, 10, 22};
    rp.dSheen = 0.004;
    rp.dSeamDepth = 0.9;
    int w = int(60 * scale), h = int(60 * scale);
    RenderModel(model, canvas, int(cx) - w / 2, int(cy) - h / 2, w, h, rp);
}

}  // namespace

CCanvas BuildTitle(const CFontFace& font) {
    CCanvas title(SCREEN_WIDTH, SCREEN_HEIGHT, SColor{0, 0, 0});
    const std::vector<SColor> sky = {{8, 14, 46},    {16, 28, 80},    {28, 50, 120},   {44, 80, 158},
                                     {70, 118, 192}, {110, 156, 218}, {156, 190, 234}, {200, 218, 242}};
    PaintVista(title, sky, CloudRamp(), 0x717Eu);

    // enemies far ahead, and the craft with its shots
    RenderHero(title, BuildEnemyModel('A'), 168, 246, 1.0, 0, 1);
    RenderHero(title, BuildEnemyModel('F'), 470, 236, 1.0, 0, 1);
    RenderHero(title, BuildEnemyModel('B'), 540, 270, 1.2, 0, 1);
    DrawPlayerShot(title, 312, 204, 3);
    DrawPlayerShot(title, 318, 176, 2);
    RenderHero(title, BuildCraftModel(), 330, 330, 3.1, -0.25, 2);

    SLetterStyle style;
    style.upper = {{255, 255, 255}, {214, 232, 255}, {160, 196, 250}, {104, 150, 228}, {60, 104, 200}};
    style.lower = {{96, 52, 20}, {160, 90, 30}, {222, 144, 44}, {250, 196, 80}, {255, 236, 150}};
    style.outline = {10, 14, 40};
    style.shadow = {4, 6, 18};
    PaintLettering(title, font, "TESSELOR", 92, 320, 92, style);

    // the controls on a panel along the bottom
    const int panelY = 424, panelH = 44;
    PaintPanel(title, 28, panelY, 584, panelH, SColor{12, 18, 44}, SColor{96, 128, 196});
    struct SControl {
        const char* key;
        const char* action;
    };
    const SControl controls[3] = {{"ARROWS", "move"}, {"SPACE", "start / fire"}, {"ESC", "quit"}};
    int total = 0;
    for (const SControl& c : controls) total += KeyCapWidth(font, c.key) + 8 + CaptionWidth(font, c.action, 16);
    int gap = (560 - total) / 2;
    int x = 28 + (584 - total - 2 * gap) / 2;
    for (const SControl& c : controls) {
        x += PaintKeyCap(title, font, c.key, x, panelY + 9) + 8;
        x += PaintCaption(title, font, c.action, 16, x, panelY + 14, SColor{244, 246, 255}) + gap;
    }
    return title;
}
