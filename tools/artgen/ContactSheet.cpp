// The review picture of the sprite sheet: enlarged twice, every rectangle outlined and named.
#include "Pictures.h"
#include "Raster.h"
#include "SheetLayout.h"

CCanvas BuildContactSheet(const CCanvas& sheet, const CFontFace& font)
{
    const int S = 2;
    CCanvas out(sheet.Width() * S, sheet.Height() * S, SColor{0, 0, 0});
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x) out.FillRect(x * S, y * S, S, S, sheet.Get(x, y));
    const SColor colors[3] = {{255, 240, 0}, {0, 255, 255}, {255, 90, 255}};
    int i = 0;
    for (const SSheetRect& r : SheetRects()) {
        SColor c = colors[i++ % 3];
        DrawFrame(out, r.nLeft * S - 1, r.nTop * S - 1, r.Width() * S + 2, r.Height() * S + 2, c);
    }
    // names on dark tags at the top-left corner of each rectangle
    for (const SSheetRect& r : SheetRects()) {
        SAlphaMask m = font.Render(r.name, 9, true, 0, 1);
        int x = r.nLeft * S, y = r.nTop * S - m.nHeight;
        if (y < 0) y = r.nTop * S;
        out.FillRect(x, y, m.nWidth, m.nHeight, SColor{0, 0, 0});
        PaintMask(out, m, x, y, SColor{255, 255, 255}, true);
    }
    return out;
}
