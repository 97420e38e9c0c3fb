// Player shots (cool blue energy bolts) and enemy bullets (hot cores with dark rims).
#include <cmath>

#include "DetMath.h"
#include "Effects.h"
#include "Raster.h"

namespace {

// A vertical energy bolt centred on (cx, cy): dark rim, blue, cyan and a white core.
void Bolt(CCanvas& c, double cx, double cy, double rx, double ry) {
    const SColor rim = {14, 30, 92}, edge = {40, 110, 232}, mid = {110, 220, 255}, core = {236, 255, 255};
    FillEllipse(c, cx, cy, rx + 1.0, ry + 1.0, rim);
    FillEllipse(c, cx, cy, rx, ry, edge);
    FillEllipse(c, cx, cy - 0.4, rx * 0.68, ry * 0.8, mid);
    FillEllipse(c, cx, cy - 0.8, rx * 0.34 + 0.15, ry * 0.55, core);
}

}  // namespace

void DrawPlayerShot(CCanvas& canvas, int x, int y, int nLevel) {
    if (nLevel <= 1) {
        CCanvas s(16, 10);
        Bolt(s, 8.0, 5.0, 2.2, 3.6);
        canvas.Draw(s, x, y);
    } else if (nLevel == 2) {
        CCanvas s(19, 11);
        Bolt(s, 5.5, 5.5, 2.0, 4.0);
        Bolt(s, 13.5, 5.5, 2.0, 4.0);
        canvas.Draw(s, x, y);
    } else {
        CCanvas s(33, 12);
        Bolt(s, 16.5, 5.5, 2.6, 4.4);
        Bolt(s, 6.0, 6.5, 2.0, 3.8);
        Bolt(s, 27.0, 6.5, 2.0, 3.8);
        canvas.Draw(s, x, y);
    }
}

void DrawEnemyBullet(CCanvas& canvas, int x, int y, int nKind) {
    if (nKind == 0) {
        CCanvas s(7, 7);
        FillEllipse(s, 3.5, 3.5, 3.5, 3.5, SColor{70, 10, 10});
        FillEllipse(s, 3.5, 3.5, 2.6, 2.6, SColor{236, 48, 24});
        FillEllipse(s, 3.5, 3.5, 1.6, 1.6, SColor{255, 170, 40});
        s.Set(3, 3, SColor{255, 252, 210});
        s.Set(2, 2, SColor{255, 232, 150});
        canvas.Draw(s, x, y);
    } else if (nKind == 1) {
        CCanvas s(5, 5);
        FillEllipse(s, 2.5, 2.5, 2.5, 2.5, SColor{80, 30, 0});
        FillEllipse(s, 2.5, 2.5, 1.6, 1.6, SColor{255, 160, 20});
        s.Set(2, 2, SColor{255, 250, 190});
        canvas.Draw(s, x, y);
    } else {
        CCanvas s(21, 21);
        FillEllipse(s, 10.5, 10.5, 10.5, 10.5, SColor{50, 6, 20});
        FillEllipse(s, 10.5, 10.5, 9.4, 9.4, SColor{150, 14, 40});
        FillEllipse(s, 10.5, 10.5, 8.2, 8.2, SColor{220, 30, 40});
        FillEllipse(s, 10.0, 10.0, 6.2, 6.2, SColor{255, 100, 40});
        FillEllipse(s, 9.6, 9.6, 4.2, 4.2, SColor{255, 190, 60});
        FillEllipse(s, 9.3, 9.3, 2.2, 2.2, SColor{255, 252, 220});
        // a sparkle across the core
        for (int d = -6; d <= 6; ++d) {
            if (std::abs(d) > 2) {
                SColor c = std::abs(d) > 4 ? SColor{255, 150, 60} : SColor{255, 230, 140};
                s.Set(10 + d, 10, c);
                s.Set(10, 10 + d, c);
            }
        }
        canvas.Draw(s, x, y);
    }
}
