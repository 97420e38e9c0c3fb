// Where every sprite stands on the sprite sheet: the rectangles the game cuts (right and bottom exclusive).
#pragma once
#include <string>
#include <vector>

struct SSheetRect {
    std::string name;
    int nLeft, nTop, nRight, nBottom;
    int Width() const { return nRight - nLeft; }
    int Height() const { return nBottom - nTop; }
};

// All 43 rectangles of the sheet.
const std::vector<SSheetRect>& SheetRects();
// The rectangle of that name (e.g. "craft0", "enemyC", "big9"); aborts on an unknown name.
const SSheetRect& SheetRect(const std::string& name);
