// END: the cloud sea at dusk, the last fireball of the craft, "GAME OVER" and the way back.
#include "DetMath.h"
#include "Effects.h"
#include "Pictures.h"
#include "Vista.h"
#include "platform/screen.h"

CCanvas BuildEnd(const CFontFace& font) {
    CCanvas end(SCREEN_WIDTH, SCREEN_HEIGHT, SColor{0, 0, 0});
    const std::vector<SColor> sky = {{12, 6, 18},   {32, 12, 34},  {62, 20, 40},   {104, 32, 40},
                                     {156, 54, 38}, {206, 92, 44}, {240, 140, 60}, {252, 190, 100}};
    const std::vector<SColor> clouds = {{40, 34, 56},    {62, 52, 78},    {90, 74, 98},    {124, 98, 112},
                                        {164, 122, 118}, {206, 150, 118}, {240, 190, 140}, {255, 226, 186}};
    PaintVista(end, sky, clouds, 0xE7Du);

    // a trail of smoke down to the last explosion
    for (int i = 0; i < 9; ++i) {
        double t = i / 8.0;
        int size = 40 + i * 8;
        DrawBigExplosion(end, int(120 + t * 150) - size / 2, int(120 + t * 170) - size / 2, 9 - i / 4, size);
    }
    DrawBigExplosion(end, 320 - 110, 320 - 110, 3, 220);

    SLetterStyle style;
    style.upper = {{255, 255, 240}, {255, 226, 160}, {252, 180, 90}, {236, 120, 50}, {200, 64, 30}};
    style.lower = {{70, 10, 10}, {130, 24, 18}, {196, 52, 28}, {240, 110, 50}, {255, 196, 110}};
    style.outline = {20, 6, 10};
    style.shadow = {8, 2, 6};
    PaintLettering(end, font, "GAME OVER", 86, 320, 92, style);

    const int panelY = 424, panelH = 44;
    int w = KeyCapWidth(font, "ESC") + CaptionWidth(font, ": back to title", 16) + 4;
    PaintPanel(end, 320 - 150, panelY, 300, panelH, SColor{30, 10, 16}, SColor{196, 110, 70});
    int x = 320 - w / 2;
    x += PaintKeyCap(end, font, "ESC", x, panelY + 9) + 4;
    PaintCaption(end, font, ": back to title", 16, x, panelY + 14, SColor{255, 244, 230});
    return end;
}
