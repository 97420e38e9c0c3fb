// The two items (a red "P" capsule and a blue-green "S" capsule) and the shield gauge.
#include "DetMath.h"
#include "Dither.h"
#include "Effects.h"
#include "Models.h"
#include "Raster.h"

void DrawItem(CCanvas& canvas, int x, int y, bool bShield, const CFontFace& font) {
    CCanvas s(21, 21);
    CShapeModel m;
    int ring = m.AddMaterial(
        Ramps::Ramp({{40, 40, 50}, {80, 82, 96}, {130, 134, 150}, {186, 190, 204}, {240, 244, 250}}, 12, 0.6));
    int body = bShield
                   ? m.AddMaterial(Ramps::Ramp(
                         {{0, 50, 70}, {0, 96, 120}, {10, 150, 170}, {40, 200, 200}, {130, 240, 230}, {230, 255, 250}},
                         16, 0.8))
                   : m.AddMaterial(Ramps::Ramp(
                         {{100, 16, 6}, {170, 32, 10}, {226, 70, 16}, {250, 124, 30}, {255, 190, 80}, {255, 246, 200}},
                         16, 0.8));
    m.AddEllipsoid(0, 0, 0, 9.5, 9.5, 4.0, ring);
    m.AddEllipsoid(0, 0, 1.6, 7.6, 7.6, 5.0, body);
    SRenderParams rp;
    rp.dOriginX = 10.5;
    rp.dOriginY = 10.5;
    rp.outline = {16, 16, 24};
    rp.nShadowDarken = 0;
    RenderModel(m, s, 0, 0, 21, 21, rp);
    // the letter, dark-edged so it reads on its bright body
    SAlphaMask letter = font.Render(bShield ? "S" : "P", 12, true);
    int lx = 10 - letter.nWidth / 2 + (bShield ? 0 : 1), ly = 10 - letter.nHeight / 2;
    SAlphaMask edge = DilateMask(letter, 1);
    PaintMask(s, edge, lx - 1, ly - 1, bShield ? SColor{0, 40, 60} : SColor{80, 10, 0}, true);
    PaintMask(s, letter, lx, ly, SColor{255, 255, 255}, true);
    canvas.Draw(s, x, y);
}

void DrawGaugeFrame(CCanvas& canvas, int x, int y, const CFontFace& font) {
    const int W = 117, H = 19;
    CCanvas s(W, H, SColor{0, 0, 0});
    const SColor outline = {14, 14, 22}, light = {196, 204, 222}, mid = {120, 130, 154}, dark = {64, 70, 92},
                 face = {92, 100, 124};
    s.Fill(face);
    // vertical sheen on the face
    for (int j = 0; j < H; ++j)
        for (int i = 0; i < W; ++i) {
            double t = 1.0 - j / double(H - 1);
            std::vector<SColor> ramp = {dark, face, mid};
            s.Set(i, j, DitherRamp(ramp, 0.25 + 0.6 * t, i, j));
        }
    // bevel: light top and left, dark bottom and right
    for (int i = 1; i < W - 1; ++i) {
        s.Set(i, 1, light);
        s.Set(i, H - 2, dark);
    }
    for (int j = 1; j < H - 1; ++j) {
        s.Set(1, j, light);
        s.Set(W - 2, j, dark);
    }
    DrawFrame(s, 0, 0, W, H, outline);
    // rounded corners
    s.SetKey(0, 0);
    s.SetKey(W - 1, 0);
    s.SetKey(0, H - 1);
    s.SetKey(W - 1, H - 1);
    // the bar window (columns 54..113, rows 3..15): dark, recessed, with faint ticks every 5 units
    DrawFrame(s, 53, 2, 62, 15, SColor{30, 32, 46});
    s.FillRect(54, 3, 60, 13, SColor{12, 14, 26});
    for (int u = 5; u < 20; u += 5) {
        int cx = 54 + 3 * u;
        for (int j = 4; j <= 14; j += 2) s.Set(cx, j, SColor{34, 38, 60});
    }
    // the label
    SAlphaMask label = font.Render("SHIELD", 9, true);
    int lx = 4 + (48 - label.nWidth) / 2, ly = (H - label.nHeight) / 2;
    PaintMask(s, label, lx + 1, ly + 1, SColor{30, 32, 46}, true);
    PaintMask(s, label, lx, ly, SColor{250, 220, 90}, true);
    canvas.Paste(s, x, y);
}

void DrawGaugeUnit(CCanvas& canvas, int x, int y) {
    // one shield point: a green energy cell, lit at the top, with a dark right edge between cells
    static const SColor COLS[3][3] = {{{190, 255, 200}, {90, 240, 130}, {30, 170, 80}},
                                      {{150, 250, 170}, {50, 210, 100}, {20, 140, 60}},
                                      {{30, 110, 50}, {16, 80, 36}, {10, 56, 26}}};
    for (int j = 0; j < 13; ++j) {
        int band = j < 3 ? 0 : (j < 10 ? 1 : 2);
        for (int i = 0; i < 3; ++i) canvas.Set(x + i, y + j, COLS[i][band]);
    }
}
