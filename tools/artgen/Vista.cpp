#include "Vista.h"

#include <algorithm>
#include <cmath>

#include "Clouds.h"
#include "DetMath.h"
#include "Dither.h"
#include "Raster.h"

namespace {

const int TEX = 256;

double SampleWrapped(const std::vector<float>& tex, double u, double v) {
    int iu = FloorInt(u), iv = FloorInt(v);
    double fu = u - iu, fv = v - iv;
    auto at = [&](int x, int y) {
        x = ((x % TEX) + TEX) % TEX;
        y = ((y % TEX) + TEX) % TEX;
        return double(tex[size_t(y) * TEX + x]);
    };
    return Lerp(Lerp(at(iu, iv), at(iu + 1, iv), fu), Lerp(at(iu, iv + 1), at(iu + 1, iv + 1), fu), fv);
}

}  // namespace

void PaintVista(CCanvas& canvas, const std::vector<SColor>& skyRamp, const std::vector<SColor>& cloudRamp,
                uint32_t nSeed) {
    const int W = canvas.Width(), H = canvas.Height();
    for (int y = 0; y < HORIZON_Y; ++y)
        for (int x = 0; x < W; ++x) {
            double t = double(y) / (HORIZON_Y - 1);
            canvas.Set(x, y, DitherRamp(skyRamp, t * t * 0.35 + t * 0.65, x, y));
        }

    CCloudField field(TEX, TEX, TEX, TEX);
    field.AddFloor(2, 12, 64, nSeed);
    ScatterCumulus(field, 0, 0, TEX, TEX, 0.8, 0.92, nSeed + 1);
    field.Soften(2);
    field.AddTexture(0.8, 8, nSeed + 2);
    std::vector<float> shade = field.Shade();
    for (float& s : shade)
        if (s < 0) s = 0.5f;

    const double D = 70000.0;  // depth scale: texture units at one row below the horizon
    for (int y = HORIZON_Y; y < H; ++y) {
        double t = y - HORIZON_Y + 1.0;
        double depth = D / t;
        double step = depth * 0.75 / 320.0;  // texture units per screen pixel
        int n = ClampInt(FloorInt(step) + 1, 1, 4);
        double vis = Smoothstep(0, 150, t);
        for (int x = 0; x < W; ++x) {
            double sum = 0;
            for (int sy = 0; sy < n; ++sy)
                for (int sx = 0; sx < n; ++sx) {
                    double px = x + (sx + 0.5) / n, pdepth = D / (t + (sy + 0.5) / n - 0.5);
                    double u = (px - W / 2.0) / 320.0 * pdepth * 0.75 + 40.0;
                    double v = -pdepth * 0.5 + 77.0;
                    sum += SampleWrapped(shade, u, v);
                }
            double v = sum / (n * n);
            v = Lerp(0.74, v, vis);
            canvas.Set(x, y, DitherRamp(cloudRamp, Clamp(v, 0.0, 1.0), x, y));
        }
    }
}

int PaintLettering(CCanvas& canvas, const CFontFace& font, const std::string& text, int nSize, int cx, int cy,
                   const SLetterStyle& style) {
    SAlphaMask fill = SlantMask(font.Render(text, nSize, false, 2, 0), style.dSlant);
    SAlphaMask rim = DilateMask(fill, style.nOutline);
    int x = cx - rim.nWidth / 2, y = cy - rim.nHeight / 2;
    // drop shadow, outline, then the fill blended into the outline
    PaintMask(canvas, rim, x + 6, y + 7, style.shadow, true, 100);
    PaintMask(canvas, rim, x, y, style.outline, true, 100);
    // the fill rows span the ink of the letters
    int top = fill.nHeight, bottom = 0;
    for (int j = 0; j < fill.nHeight; ++j)
        for (int i = 0; i < fill.nWidth; ++i)
            if (fill.At(i, j) > 0) {
                top = std::min(top, j);
                bottom = std::max(bottom, j);
            }
    int mid = (top + bottom) / 2;
    for (int j = 0; j < fill.nHeight; ++j)
        for (int i = 0; i < fill.nWidth; ++i) {
            int a = fill.At(i, j);
            if (a == 0) continue;
            int px = x + style.nOutline + i, py = y + style.nOutline + j;
            SColor c;
            if (j < mid)
                c = DitherRamp(style.upper, double(j - top) / std::max(1, mid - top), px, py);
            else if (j == mid)
                c = style.outline;
            else
                c = DitherRamp(style.lower, double(j - mid) / std::max(1, bottom - mid), px, py);
            canvas.Blend(px, py, c, a + (a >> 7));
        }
    return rim.nWidth;
}

int KeyCapWidth(const CFontFace& font, const std::string& label) { return font.Render(label, 14, false).nWidth + 16; }

int PaintKeyCap(CCanvas& canvas, const CFontFace& font, const std::string& label, int x, int y) {
    SAlphaMask m = font.Render(label, 14, false);
    int w = m.nWidth + 16, h = 26;
    const SColor edge = {16, 18, 30}, face = {206, 212, 226}, top = {240, 243, 250}, low = {140, 146, 168};
    canvas.FillRect(x + 1, y, w - 2, h, edge);
    canvas.FillRect(x, y + 1, w, h - 2, edge);
    canvas.FillRect(x + 1, y + 1, w - 2, h - 2, low);
    canvas.FillRect(x + 2, y + 1, w - 4, h - 5, face);
    canvas.FillRect(x + 2, y + 1, w - 4, 2, top);
    PaintMask(canvas, m, x + 8, y + 1 + (h - 5 - m.nHeight) / 2, SColor{22, 26, 46});
    return w;
}

int CaptionWidth(const CFontFace& font, const std::string& text, int nSize) {
    return font.Render(text, nSize, false).nWidth;
}

int PaintCaption(CCanvas& canvas, const CFontFace& font, const std::string& text, int nSize, int x, int y,
                 SColor color) {
    SAlphaMask m = font.Render(text, nSize, false);
    PaintMask(canvas, m, x + 2, y + 2, SColor{6, 8, 20});
    PaintMask(canvas, m, x, y, color);
    return m.nWidth;
}

void PaintPanel(CCanvas& canvas, int x, int y, int w, int h, SColor fill, SColor rim) {
    canvas.FillRect(x + 2, y, w - 4, h, rim);
    canvas.FillRect(x, y + 2, w, h - 4, rim);
    canvas.FillRect(x + 1, y + 1, w - 2, h - 2, rim);
    canvas.FillRect(x + 2, y + 2, w - 4, h - 4, fill);
}
