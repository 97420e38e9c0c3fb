// The city seen from far above: blocks of roofs between streets, a river with bridges, a highway,
// parks with trees and a few car parks. Everything is drawn modulo 120 rows, so the strip repeats
// vertically without a seam; streets run every 60 rows, so the repeat looks like the street grid.
#include "City.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "DetMath.h"
#include "Dither.h"
#include "Noise.h"
#include "game/PictureLayout.h"

namespace {

const int W = BG00_CITY_STRIP.Width(), H = BG00_CITY_STRIP.Height();

const SColor ASPHALT = {66, 68, 74}, ASPHALT_LIGHT = {82, 84, 90}, DASH = {196, 192, 170};
const SColor SIDEWALK = {146, 144, 136}, KERB = {172, 170, 160};
const SColor GRASS_A = {84, 134, 62}, GRASS_B = {102, 150, 70}, PATH = {184, 170, 132};
const SColor TREE_DARK = {34, 80, 40}, TREE_MID = {52, 110, 50}, TREE_LIGHT = {92, 148, 66};
const SColor WATER_DEEP = {34, 72, 122}, WATER = {48, 94, 148}, WATER_LIGHT = {92, 140, 190};
const SColor BANK = {168, 154, 118}, BANK_DARK = {122, 112, 88};

struct SRoof {
    SColor base;
    bool bPitched;
};
const SRoof ROOFS[] = {{{172, 172, 166}, false}, {{196, 194, 186}, false}, {{104, 106, 114}, false},
                       {{128, 132, 146}, false}, {{166, 86, 58}, true},    {{186, 110, 74}, true},
                       {{122, 84, 64}, true},    {{198, 182, 142}, false}, {{88, 128, 118}, false},
                       {{222, 220, 212}, false}};

class CCityPainter {
public:
    explicit CCityPainter(CCanvas& c, int x0, int y0) : m_canvas(c), m_nX0(x0), m_nY0(y0) {}

    void Set(int x, int y, SColor c) {
        if (x < 0 || x >= W) return;
        m_canvas.Set(m_nX0 + x, m_nY0 + (((y % H) + H) % H), c);
    }
    SColor Get(int x, int y) const { return m_canvas.Get(m_nX0 + x, m_nY0 + (((y % H) + H) % H)); }
    void Rect(int x, int y, int w, int h, SColor c) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) Set(i, j, c);
    }
    // Darkens what is already there: a cast shadow.
    void Shadow(int x, int y, int w, int h) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                if (i >= 0 && i < W) Set(i, j, ScaleColor(Get(i, j), 150));
    }
    void Disc(double cx, double cy, double r, SColor c) {
        for (int j = FloorInt(cy - r); j <= FloorInt(cy + r); ++j)
            for (int i = FloorInt(cx - r); i <= FloorInt(cx + r); ++i) {
                double dx = i + 0.5 - cx, dy = j + 0.5 - cy;
                if (dx * dx + dy * dy <= r * r) Set(i, j, c);
            }
    }

private:
    CCanvas& m_canvas;
    int m_nX0, m_nY0;
};

// The river's centre line at row y: it meanders once per strip.
double RiverCentre(double y) { return 222 + 9 * DetSin(2 * PI * y / H); }
const double RIVER_HALF = 15;

// Streets: two across the strip (their top rows), and the columns of the streets along it.
const int STREET_ROWS[2] = {27, 87};
const int STREET_W = 6;
const int AVENUES[] = {50, 148, 298, 380, 566};
const int HIGHWAY_X = 464, HIGHWAY_W = 14;

void PaintGrass(CCityPainter& p, int x, int y, int w, int h) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            double n = FractalNoise(i, (j % H + H) % H, 10, 2, 0, H, 0x6A55u);
            p.Set(i, j, (n + (BayerThreshold(i, j) - 0.5) * 0.25) > 0.5 ? GRASS_B : GRASS_A);
        }
}

void PaintTree(CCityPainter& p, double x, double y, double r, bool bShadowOnly) {
    if (bShadowOnly) {
        p.Disc(x + r * 0.6, y + r * 0.8, r, ScaleColor(GRASS_A, 150));
        return;
    }
    p.Disc(x, y, r, TREE_DARK);
    p.Disc(x - r * 0.2, y - r * 0.2, r * 0.72, TREE_MID);
    p.Disc(x - r * 0.4, y - r * 0.4, r * 0.36, TREE_LIGHT);
}

void PaintPark(CCityPainter& p, int x, int y, int w, int h, CRandom& rnd) {
    PaintGrass(p, x, y, w, h);
    // a cross of paths
    int px = x + w / 2 + rnd.Int(-w / 6, w / 6), py = y + h / 2 + rnd.Int(-h / 6, h / 6);
    p.Rect(x, py, w, 2, PATH);
    p.Rect(px, y, 2, h, PATH);
    if (w > 30 && h > 30 && rnd.Chance(60)) {
        // a pond at the crossing
        p.Disc(px + 1, py + 1, 6, BANK_DARK);
        p.Disc(px + 1, py + 1, 5, WATER);
        p.Disc(px, py, 2, WATER_LIGHT);
    }
    std::vector<std::pair<double, double>> trees;
    int n = w * h / 40;
    for (int i = 0; i < n; ++i) {
        double tx = x + rnd.Range(3, w - 3), ty = y + rnd.Range(3, h - 3);
        if (std::fabs(tx - px) < 4 || std::fabs(ty - py) < 4) continue;
        trees.push_back({tx, ty});
    }
    for (auto& t : trees) PaintTree(p, t.first, t.second, 3.2, true);
    for (auto& t : trees) PaintTree(p, t.first, t.second, 3.2, false);
}

void PaintCarPark(CCityPainter& p, int x, int y, int w, int h, CRandom& rnd) {
    p.Rect(x, y, w, h, ASPHALT_LIGHT);
    const SColor cars[] = {{200, 40, 30},  {230, 220, 200}, {40, 70, 160},
                           {220, 190, 40}, {30, 30, 34},    {160, 160, 170}};
    for (int j = y + 1; j + 3 <= y + h; j += 5) {
        for (int i = x + 1; i + 2 <= x + w; i += 3) {
            p.Set(i + 2, j, DASH);
            p.Set(i + 2, j + 1, DASH);
            if (rnd.Chance(55)) {
                SColor c = cars[rnd.Int(0, 5)];
                p.Rect(i, j, 2, 3, c);
                p.Set(i, j, ScaleColor(c, 310));
            }
        }
    }
}

void PaintBuilding(CCityPainter& p, int x, int y, int w, int h, int nHeight, CRandom& rnd) {
    const SRoof& roof = ROOFS[rnd.Int(0, int(sizeof(ROOFS) / sizeof(ROOFS[0])) - 1)];
    // shadow towards the lower right
    int sx = std::max(1, nHeight * 5 / 8), sy = std::max(1, nHeight * 7 / 8);
    p.Shadow(x + sx, y + h, w, sy);
    p.Shadow(x + w, y + sy, sx, h);
    SColor base = roof.base, light = ScaleColor(base, 300), dark = ScaleColor(base, 170);
    p.Rect(x, y, w, h, base);
    if (roof.bPitched) {
        // a ridge along the longer side: the half facing the light is brighter
        if (w >= h) {
            p.Rect(x, y, w, h / 2, ScaleColor(base, 285));
            p.Rect(x, y + h / 2, w, 1, ScaleColor(base, 330));
        } else {
            p.Rect(x, y, w / 2, h, ScaleColor(base, 285));
            p.Rect(x + w / 2, y, 1, h, ScaleColor(base, 330));
        }
        p.Rect(x, y + h - 1, w, 1, dark);
        p.Rect(x + w - 1, y, 1, h, dark);
        return;
    }
    // flat roof: a parapet lit on the upper left, dark on the lower right, and roof equipment
    p.Rect(x, y, w, 1, light);
    p.Rect(x, y, 1, h, light);
    p.Rect(x, y + h - 1, w, 1, dark);
    p.Rect(x + w - 1, y, 1, h, dark);
    if (w >= 9 && h >= 9) {
        p.Rect(x + 1, y + 1, w - 2, 1, dark);
        p.Rect(x + 1, y + 1, 1, h - 2, dark);
        int n = rnd.Int(1, 3);
        for (int i = 0; i < n; ++i) {
            int ax = x + rnd.Int(3, w - 5), ay = y + rnd.Int(3, h - 5);
            p.Rect(ax + 1, ay + 1, 2, 2, dark);
            p.Rect(ax, ay, 2, 2, ScaleColor(base, 330));
        }
    }
    if (w >= 16 && h >= 16 && rnd.Chance(40)) {
        // a skylight row
        for (int i = x + 4; i + 2 < x + w - 3; i += 4) p.Rect(i, y + h / 2 - 1, 2, 2, SColor{120, 160, 190});
    }
}

// Splits a block into lots and fills each with a building (or, now and then, a car park).
void PaintLots(CCityPainter& p, int x, int y, int w, int h, CRandom& rnd, int nTall, int nDepth = 0) {
    bool bSplit = (w > 26 || h > 26) && nDepth < 5 && !(w < 40 && h < 40 && rnd.Chance(25));
    if (bSplit) {
        if (w >= h) {
            int cut = rnd.Int(w * 3 / 10, w * 7 / 10);
            PaintLots(p, x, y, cut, h, rnd, nTall, nDepth + 1);
            PaintLots(p, x + cut, y, w - cut, h, rnd, nTall, nDepth + 1);
        } else {
            int cut = rnd.Int(h * 3 / 10, h * 7 / 10);
            PaintLots(p, x, y, w, cut, rnd, nTall, nDepth + 1);
            PaintLots(p, x, y + cut, w, h - cut, rnd, nTall, nDepth + 1);
        }
        return;
    }
    if (w < 6 || h < 6) return;
    if (rnd.Chance(8) && w > 12 && h > 10) {
        PaintCarPark(p, x + 1, y + 1, w - 2, h - 2, rnd);
        return;
    }
    int inset = rnd.Int(1, 2);
    int height = rnd.Int(2, 5) + (rnd.Chance(nTall) ? rnd.Int(4, 8) : 0);
    PaintBuilding(p, x + inset, y + inset, w - 2 * inset - 1, h - 2 * inset - 1, height, rnd);
}

void PaintStreetH(CCityPainter& p, int x0, int x1, int y) {
    p.Rect(x0, y, x1 - x0, STREET_W, ASPHALT);
    p.Rect(x0, y, x1 - x0, 1, KERB);
    p.Rect(x0, y + STREET_W - 1, x1 - x0, 1, KERB);
    for (int x = x0 + 1; x < x1; x += 6) p.Rect(x, y + STREET_W / 2 - 1, 3, 1, DASH);
}

void PaintStreetV(CCityPainter& p, int x, int w) {
    p.Rect(x, 0, w, H, ASPHALT);
    p.Rect(x, 0, 1, H, KERB);
    p.Rect(x + w - 1, 0, 1, H, KERB);
    if (w > 10) {
        // a divided highway: two carriageways and a green median
        p.Rect(x + w / 2 - 1, 0, 2, H, GRASS_A);
        for (int y = 0; y < H; y += 6) {
            p.Rect(x + w / 4, y, 1, 3, DASH);
            p.Rect(x + 3 * w / 4, y, 1, 3, DASH);
        }
    } else {
        for (int y = 0; y < H; y += 6) p.Rect(x + w / 2 - 1, y, 1, 3, DASH);
    }
}

void PaintCars(CCityPainter& p, CRandom& rnd) {
    const SColor cars[] = {{210, 40, 30}, {236, 230, 210}, {50, 80, 180}, {230, 200, 40}, {24, 24, 28}};
    for (int a : AVENUES)
        for (int i = 0; i < 5; ++i) {
            int lane = rnd.Chance(50) ? 1 : STREET_W - 3;
            p.Rect(a + lane, rnd.Int(0, H - 1), 2, 3, cars[rnd.Int(0, 4)]);
        }
    for (int i = 0; i < 14; ++i) {
        int lane = HIGHWAY_X + (rnd.Chance(50) ? rnd.Int(1, 4) : rnd.Int(HIGHWAY_W / 2 + 1, HIGHWAY_W - 3));
        p.Rect(lane, rnd.Int(0, H - 1), 2, 3, cars[rnd.Int(0, 4)]);
    }
    for (int r : STREET_ROWS)
        for (int i = 0; i < 10; ++i) {
            int x = rnd.Int(0, W - 3);
            if (std::fabs(x - RiverCentre(r)) < RIVER_HALF + 10) continue;
            p.Rect(x, r + (rnd.Chance(50) ? 1 : STREET_W - 3), 3, 2, cars[rnd.Int(0, 4)]);
        }
}

void PaintRiver(CCityPainter& p) {
    for (int y = 0; y < H; ++y) {
        double c = RiverCentre(y + 0.5);
        for (int x = FloorInt(c - RIVER_HALF - 14); x <= FloorInt(c + RIVER_HALF + 14); ++x) {
            double d = std::fabs(x + 0.5 - c);
            if (d > RIVER_HALF + 3) continue;  // the riverside parks are painted separately
            if (d > RIVER_HALF + 1)
                p.Set(x, y, BANK);
            else if (d > RIVER_HALF)
                p.Set(x, y, BANK_DARK);
            else {
                double n = FractalNoise(x, y, 8, 3, 0, H, 0x417Eu);
                double v = 0.25 + n * 0.9 - (d / RIVER_HALF) * 0.35;
                SColor col = v > 0.72 ? WATER_LIGHT : (v > 0.38 ? WATER : WATER_DEEP);
                if (col == WATER_LIGHT && BayerThreshold(x, y) > 0.5) col = WATER;
                p.Set(x, y, col);
            }
        }
    }
}

void PaintBridge(CCityPainter& p, int y) {
    double c = RiverCentre(y + STREET_W / 2.0);
    int x0 = FloorInt(c - RIVER_HALF - 6), x1 = FloorInt(c + RIVER_HALF + 6);
    p.Shadow(x0 + 2, y + STREET_W + 1, x1 - x0, 3);
    PaintStreetH(p, x0, x1, y);
    p.Rect(x0, y - 1, x1 - x0, 1, SColor{200, 198, 190});
    p.Rect(x0, y + STREET_W, x1 - x0, 1, SColor{112, 110, 104});
}

}  // namespace

void DrawCityStrip(CCanvas& canvas, int x0, int y0) {
    CCityPainter p(canvas, x0, y0);
    CRandom rnd(0xC17Cu);
    p.Rect(0, 0, W, H, SIDEWALK);

    // riverside parks on both banks
    for (int y = 0; y < H; ++y) {
        double c = RiverCentre(y + 0.5);
        int a = FloorInt(c - RIVER_HALF - 16), b = FloorInt(c + RIVER_HALF + 16);
        PaintGrass(p, a, y, b - a, 1);
    }
    {
        CRandom trees(0x7EEu);
        std::vector<std::pair<double, double>> at;
        for (int i = 0; i < 26; ++i) {
            double y = trees.Range(0, H);
            double side = trees.Chance(50) ? -1 : 1;
            double x = RiverCentre(y) + side * (RIVER_HALF + trees.Range(7, 12));
            at.push_back({x, y});
        }
        for (auto& t : at) PaintTree(p, t.first, t.second, 3.0, true);
        for (auto& t : at) PaintTree(p, t.first, t.second, 3.0, false);
    }
    PaintRiver(p);

    // blocks between the avenues, the river and the highway
    struct SColumn {
        int x0, x1, nTall, nPark;
    };
    const SColumn columns[] = {{0, 50, 10, 0},     {56, 148, 30, 20}, {154, 190, 10, 0},  {256, 298, 15, 0},
                               {304, 380, 60, 25}, {386, 464, 45, 0}, {478, 566, 20, 30}, {572, 640, 10, 0}};
    for (const SColumn& col : columns) {
        for (int row = 0; row < 2; ++row) {
            int y = STREET_ROWS[row] + STREET_W, h = 60 - STREET_W;
            int x = col.x0, w = col.x1 - col.x0;
            if (rnd.Chance(col.nPark))
                PaintPark(p, x + 2, y + 2, w - 4, h - 4, rnd);
            else
                PaintLots(p, x + 1, y + 1, w - 2, h - 2, rnd, col.nTall);
        }
    }

    for (int a : AVENUES) PaintStreetV(p, a, STREET_W);
    PaintStreetV(p, HIGHWAY_X, HIGHWAY_W);
    for (int r : STREET_ROWS) {
        // cross streets stop at the riverside and take a bridge over the water
        double c = RiverCentre(r + STREET_W / 2.0);
        PaintStreetH(p, 0, FloorInt(c - RIVER_HALF - 6), r);
        PaintStreetH(p, FloorInt(c + RIVER_HALF + 6), W, r);
        PaintBridge(p, r);
    }
    // crossings: keep the avenue markings off the cross streets
    for (int r : STREET_ROWS) {
        for (int a : AVENUES) p.Rect(a + 1, r + 1, STREET_W - 2, STREET_W - 2, ASPHALT);
        p.Rect(HIGHWAY_X + 1, r + 1, HIGHWAY_W - 2, STREET_W - 2, ASPHALT);
    }
    PaintCars(p, rnd);

    // the city lies far below: a little haze softens it, so that what flies over it stands out
    const SColor haze = {128, 138, 152};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) p.Set(x, y, MixColor(p.Get(x, y), haze, 64));
}
