#include "tests/game/synthetic_sheet.h"

#include "game/Sprite.h"

void PaintTestSheet(CMemorySurface& sheet) {
    sheet.Fill(SHEET_PLAIN);
    sheet.SetSourceKey(SHEET_KEY);
    for (int i = 0; i < 5; ++i) sheet.FillRect(ToRect(SPR_CRAFT[i]), static_cast<BYTE>(SHEET_CRAFT + i));
    for (int i = 0; i < 3; ++i) sheet.FillRect(ToRect(SPR_SHOT[i]), static_cast<BYTE>(SHEET_SHOT + i));
    for (int k = 0; k < SPR_SMALL_EXPLOSION_FRAMES; ++k)
        sheet.FillRect(ToRect(SPR_SMALL_EXPLOSION[k]), static_cast<BYTE>(SHEET_SMALL_EXPLOSION + k));
    for (int k = 0; k < SPR_BIG_EXPLOSION_FRAMES; ++k)
        sheet.FillRect(ToRect(SPR_BIG_EXPLOSION[k]), static_cast<BYTE>(SHEET_BIG_EXPLOSION + k));
    sheet.FillRect(ToRect(SPR_POWER_ITEM), SHEET_POWER_ITEM);
    sheet.FillRect(ToRect(SPR_SHIELD_ITEM), SHEET_SHIELD_ITEM);
    sheet.FillRect(ToRect(SPR_GAUGE_FRAME), SHEET_GAUGE_FRAME);
    sheet.FillRect(ToRect(SPR_GAUGE_UNIT), SHEET_GAUGE_UNIT);
}
