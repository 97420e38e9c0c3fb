// The review picture of the sprite sheet: enlarged twice, every rectangle outlined and named.
#include "Pictures.h"
#include "Raster.h"
#include "game/PictureLayout.h"

CCanvas BuildContactSheet(const CCanvas& sheet, const CFontFace& font) {
    const int S = 2;
    CCanvas out(sheet.Width() * S, sheet.Height() * S, SColor{0, 0, 0});
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x) out.FillRect(x * S, y * S, S, S, sheet.Get(x, y));
    const SColor colors[3] = {{255, 240, 0}, {0, 255, 255}, {255, 90, 255}};
    int i = 0;
    for (const SNamedCut& cut : SPR_CUTS) {
        const SCutRect& r = cut.rc;
        SColor c = colors[i++ % 3];
        DrawFrame(out, r.left * S - 1, r.top * S - 1, r.Width() * S + 2, r.Height() * S + 2, c);
    }
    // names on dark tags at the top-left corner of each rectangle
    for (const SNamedCut& cut : SPR_CUTS) {
        const SCutRect& r = cut.rc;
        SAlphaMask m = font.Render(cut.name, 9, true, 0, 1);
        int x = r.left * S, y = r.top * S - m.nHeight;
        if (y < 0) y = r.top * S;
        out.FillRect(x, y, m.nWidth, m.nHeight, SColor{0, 0, 0});
        PaintMask(out, m, x, y, SColor{255, 255, 255}, true);
    }
    return out;
}
