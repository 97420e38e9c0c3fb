#include "tests/game/test_sheet.h"

void PaintTestSheet(CMemorySurface& sheet) {
    sheet.Fill(SHEET_PLAIN);
    sheet.SetSourceKey(SHEET_KEY);
    const RECT craft[5] = {{115, 62, 160, 114}, {61, 62, 104, 114}, {171, 62, 214, 114}, {7, 62, 50, 114},
                           {225, 62, 268, 114}};
    for (int i = 0; i < 5; ++i) sheet.FillRect(craft[i], static_cast<BYTE>(SHEET_CRAFT + i));
    sheet.FillRect({7, 131, 23, 141}, SHEET_SHOT);
    sheet.FillRect({24, 131, 43, 142}, SHEET_SHOT + 1);
    sheet.FillRect({44, 131, 77, 143}, SHEET_SHOT + 2);
    for (int k = 0; k < 7; ++k)
        sheet.FillRect({5 + 18 * k, 383, 22 + 18 * k, 398}, static_cast<BYTE>(SHEET_SMALL_EXPLOSION + k));
    for (int k = 0; k < 9; ++k)
        sheet.FillRect({1 + 62 * k, 414, 62 + 62 * k, 475}, static_cast<BYTE>(SHEET_BIG_EXPLOSION + k));
    sheet.FillRect({559, 352, 620, 413}, SHEET_BIG_EXPLOSION + 9);
    sheet.FillRect({13, 14, 34, 35}, SHEET_POWER_ITEM);
    sheet.FillRect({46, 14, 67, 35}, SHEET_SHIELD_ITEM);
    sheet.FillRect({80, 14, 197, 33}, SHEET_GAUGE_FRAME);
    sheet.FillRect({197, 17, 200, 30}, SHEET_GAUGE_UNIT);
}
