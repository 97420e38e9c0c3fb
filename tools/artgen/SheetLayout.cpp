#include "SheetLayout.h"

#include <cstdio>
#include <cstdlib>

const std::vector<SSheetRect>& SheetRects()
{
    static const std::vector<SSheetRect> RECTS = [] {
        std::vector<SSheetRect> v = {
            {"craft0", 115, 62, 160, 114}, {"craft1", 61, 62, 104, 114},  {"craft2", 171, 62, 214, 114},
            {"craft3", 7, 62, 50, 114},    {"craft4", 225, 62, 268, 114}, {"shot1", 7, 131, 23, 141},
            {"shot2", 24, 131, 43, 142},   {"shot3", 44, 131, 77, 143},   {"gaugeFrame", 80, 14, 197, 33},
            {"gaugeUnit", 197, 17, 200, 30}, {"itemPower", 13, 14, 34, 35}, {"itemShield", 46, 14, 67, 35},
        };
        for (int k = 0; k < 7; ++k) v.push_back({"small" + std::to_string(k), 5 + 18 * k, 383, 22 + 18 * k, 398});
        for (int k = 0; k < 9; ++k) v.push_back({"big" + std::to_string(k), 1 + 62 * k, 414, 62 + 62 * k, 475});
        v.push_back({"big9", 559, 352, 620, 413});
        v.push_back({"enemyA", 6, 305, 51, 357});
        v.push_back({"enemyB", 52, 305, 97, 357});
        v.push_back({"enemyC", 98, 305, 142, 357});
        v.push_back({"enemyD", 143, 305, 188, 357});
        v.push_back({"enemyE", 189, 305, 234, 357});
        v.push_back({"enemyF", 235, 305, 280, 357});
        v.push_back({"enemyG", 281, 305, 326, 357});
        v.push_back({"enemyH", 327, 305, 372, 357});
        v.push_back({"enemyI", 327, 358, 372, 410});
        v.push_back({"midBoss", 476, 15, 623, 87});
        v.push_back({"boss", 282, 14, 448, 215});
        v.push_back({"bulletNormal", 202, 376, 209, 383});
        v.push_back({"bulletSmall", 210, 376, 215, 381});
        v.push_back({"bulletBoss", 282, 223, 303, 244});
        return v;
    }();
    return RECTS;
}

const SSheetRect& SheetRect(const std::string& name)
{
    for (const SSheetRect& r : SheetRects())
        if (r.name == name) return r;
    std::fprintf(stderr, "artgen: no sheet rectangle named %s\n", name.c_str());
    std::abort();
}
