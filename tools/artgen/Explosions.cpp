// Explosions: a 7-frame spark for hits and a 10-frame fireball that ends in smoke.
#include <cmath>
#include <vector>

#include "DetMath.h"
#include "Dither.h"
#include "Effects.h"
#include "Noise.h"
#include "Raster.h"

namespace {

const std::vector<SColor> FIRE = {{110, 18, 8},   {180, 34, 12},  {226, 70, 18},   {250, 122, 26},
                                  {255, 176, 44}, {255, 222, 90}, {255, 246, 176}, {255, 255, 240}};
const std::vector<SColor> SMOKE = {{38, 32, 32},    {62, 56, 54},    {90, 82, 78},
                                   {120, 112, 106}, {152, 146, 138}, {184, 178, 170}};
const SColor FIRE_RIM = {52, 14, 6};
const SColor SMOKE_RIM = {30, 26, 28};

// Distance of (x, y) from the nearest of eight rays through the origin (axes and diagonals).
double RayDistance(double x, double y) {
    double ax = std::fabs(x), ay = std::fabs(y);
    double d = std::min(ax, ay);
    d = std::min(d, std::fabs(ax - ay) * 0.70710678);
    return d;
}

struct SPuff {
    double ax, ay;  // direction
    double dist, radius;
};

}  // namespace

void DrawBigExplosion(CCanvas& canvas, int x0, int y0, int nFrame, int nSize) {
    static const double GROW[10] = {0.34, 0.62, 0.82, 0.94, 1.02, 1.08, 1.12, 1.15, 1.17, 1.18};
    static const double HEAT[10] = {1.00, 0.95, 0.86, 0.74, 0.60, 0.46, 0.32, 0.20, 0.10, 0.03};
    nFrame = ClampInt(nFrame, 0, 9);
    const double grow = GROW[nFrame], heat = HEAT[nFrame];

    // the puffs of the fireball, the same in every frame
    CRandom rnd(0xF1AEu);
    std::vector<SPuff> aPuffs;
    aPuffs.push_back({0, 0, 0, 13.5});
    for (int i = 0; i < 9; ++i) {
        double a = 2 * PI * (i + rnd.Range(-0.25, 0.25)) / 9.0;
        aPuffs.push_back({DetCos(a), DetSin(a), rnd.Range(10, 14), rnd.Range(8.0, 10.5)});
    }

    CCanvas s(nSize, nSize);
    const double k = 61.0 / nSize;  // sheet units per pixel
    for (int py = 0; py < nSize; ++py)
        for (int px = 0; px < nSize; ++px) {
            double u = (px + 0.5) * k - 30.5, v = (py + 0.5) * k - 30.5;
            double dens = -1, nx = 0, ny = 0;
            for (const SPuff& p : aPuffs) {
                double cx = p.ax * p.dist * grow, cy = p.ay * p.dist * grow;
                double r = p.radius * grow * (nFrame >= 7 ? 1.0 - 0.07 * (nFrame - 6) : 1.0);
                double dx = u - cx, dy = v - cy;
                double dd = std::sqrt(dx * dx + dy * dy);
                double d = 1.0 - dd / r;
                if (d > dens) {
                    dens = d;
                    nx = dx / r;
                    ny = dy / r;
                }
            }
            double n1 = FractalNoise(u + 40, v + 40, 9.0, 3, 0, 0, 17u + nFrame * 3u);
            double n2 = FractalNoise(u + 90, v + 10, 6.0, 2, 0, 0, 91u + nFrame * 7u);
            dens += (n1 - 0.5) * (0.55 + 0.05 * nFrame);
            double rr = std::sqrt(u * u + v * v);
            if (rr > 28.5) continue;  // stays clear of the square's edges
            if (nFrame == 0) {
                // the first flash: a star of eight rays
                double ray = 1.0 - rr / 15.0 - RayDistance(u, v) * 0.45;
                dens = std::max(dens, ray);
            }
            double thresh = 0.0;
            if (nFrame == 9)
                thresh = 0.05 + 0.55 * BayerThreshold(px, py);  // thin, broken smoke
            else if (nFrame == 8)
                thresh = 0.25 * BayerThreshold(px, py);
            if (dens <= thresh) continue;
            double extent = 28.0 * grow;
            double hot = heat * (1.1 - 0.8 * rr / extent) + (n2 - 0.5) * 0.45 + dens * 0.15 - 0.05;
            SColor c;
            if (hot > 0.32) {
                c = FIRE[DitherLevel((hot - 0.32) / 0.68 * (FIRE.size() - 1), int(FIRE.size()), px, py)];
            } else {
                double lit = 0.55 - 0.45 * (nx * 0.6 + ny * 0.8) + (n2 - 0.5) * 0.4;
                lit *= (nFrame >= 8 ? 0.85 : 1.0);
                c = SMOKE[DitherLevel(Clamp(lit, 0.0, 1.0) * (SMOKE.size() - 1), int(SMOKE.size()), px, py)];
                if (hot > 0.27) c = MixColor(c, FIRE[1], 90);
            }
            s.Set(px, py, c);
        }
    if (nFrame <= 7) OutlineShapes(s, nFrame <= 5 ? FIRE_RIM : SMOKE_RIM, false);
    canvas.Draw(s, x0, y0);
}

void DrawSmallExplosion(CCanvas& canvas, int x0, int y0, int nFrame) {
    CCanvas s(17, 15);
    const double cx = 8.5, cy = 7.5;
    const SColor white = {255, 255, 240}, yellow = {255, 222, 90}, orange = {250, 140, 30}, red = {210, 50, 16},
                 dark = {120, 24, 10}, grey = {120, 110, 104}, greyDark = {80, 72, 70};
    auto plot = [&](double x, double y, SColor c) { s.Set(FloorInt(cx + x), FloorInt(cy + y), c); };
    auto ring = [&](double r, int n, double phase, SColor c, int nSize) {
        for (int i = 0; i < n; ++i) {
            double a = 2 * PI * (i + phase) / n;
            double x = DetCos(a) * r, y = DetSin(a) * r * 0.9;
            plot(x, y, c);
            if (nSize > 1) {
                plot(x + 1, y, c);
                plot(x, y + 1, c);
                plot(x + 1, y + 1, c);
            }
        }
    };
    switch (nFrame) {
        case 0:
            for (int d = -3; d <= 3; ++d) {
                plot(d, 0, std::abs(d) > 1 ? yellow : white);
                plot(0, d, std::abs(d) > 1 ? yellow : white);
            }
            FillEllipse(s, cx, cy, 1.6, 1.6, white);
            OutlineShapes(s, FIRE_RIM, false);
            break;
        case 1:
            for (int d = -6; d <= 6; ++d) {
                SColor c = std::abs(d) > 4 ? orange : (std::abs(d) > 2 ? yellow : white);
                plot(d, 0, c);
                if (std::abs(d) <= 5) plot(0, d, c);
            }
            for (int d = -3; d <= 3; ++d) {
                plot(d, d, std::abs(d) > 2 ? orange : yellow);
                plot(d, -d, std::abs(d) > 2 ? orange : yellow);
            }
            FillEllipse(s, cx, cy, 2.6, 2.4, white);
            OutlineShapes(s, FIRE_RIM, false);
            break;
        case 2:
            FillEllipse(s, cx, cy, 5.4, 5.0, orange);
            FillEllipse(s, cx - 0.4, cy - 0.4, 3.8, 3.5, yellow);
            FillEllipse(s, cx - 0.6, cy - 0.6, 2.0, 1.8, white);
            ring(6.8, 4, 0.5, yellow, 1);
            OutlineShapes(s, FIRE_RIM, false);
            break;
        case 3:
            FillEllipse(s, cx, cy, 6.2, 5.6, red);
            FillEllipse(s, cx, cy, 5.0, 4.5, orange);
            FillEllipse(s, cx, cy, 3.4, 3.0, yellow);
            FillEllipse(s, cx, cy, 1.8, 1.6, orange);
            OutlineShapes(s, FIRE_RIM, false);
            break;
        case 4:
            ring(5.6, 8, 0.25, orange, 2);
            ring(3.0, 6, 0.0, red, 1);
            plot(0, 0, dark);
            OutlineShapes(s, FIRE_RIM, false);
            break;
        case 5:
            ring(6.8, 8, 0.6, red, 1);
            ring(4.0, 5, 0.3, grey, 2);
            break;
        default:
            ring(5.0, 4, 0.1, greyDark, 1);
            ring(2.5, 3, 0.5, grey, 1);
            break;
    }
    canvas.Draw(s, x0, y0);
}
