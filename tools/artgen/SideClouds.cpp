// BG01: the clouds of the city stage, on key: a bank along the left edge (BG01_CLOUD_LEFT), a bank
// along the right edge (BG01_CLOUD_RIGHT), and a single cloud (BG01_CLOUD_PUFF) that both drifting
// puffs share. The rest of the picture is never cut and stays key.
#include "Clouds.h"
#include "DetMath.h"
#include "Dither.h"
#include "Pictures.h"
#include "game/PictureLayout.h"
#include "platform/screen.h"

namespace {

// Paints a cloud field into the picture at (x0, y0): cloud where the field has height, key elsewhere.
void PaintPiece(CCanvas& bg, CCloudField& field, int x0, int y0) {
    field.Soften(3);
    field.AddTexture(0.7, 8, 0xA11u);
    std::vector<float> shade = field.Shade(0.42);
    const std::vector<SColor>& ramp = CloudRamp();
    for (int y = 0; y < field.Height(); ++y)
        for (int x = 0; x < field.Width(); ++x) {
            float v = shade[size_t(y) * field.Width() + x];
            if (v < 0)
                bg.SetKey(x0 + x, y0 + y);
            else
                bg.Set(x0 + x, y0 + y, DitherRamp(ramp, v, x0 + x, y0 + y));
        }
}

// Mounds along a line, with billows and tufts on them; every puff kept inside the margins.
void BuildBank(CCloudField& f, double xBase, double xSpread, double rMin, double rMax, double yMargin, uint32_t nSeed) {
    CRandom rnd(nSeed);
    for (double y = yMargin; y < f.Height() - yMargin;) {
        double r = rnd.Range(rMin, rMax);
        double cy = Clamp(y + r * 0.5, yMargin + r, f.Height() - yMargin - r);
        double cx = xBase + rnd.Range(-xSpread, xSpread);
        f.AddPuff({cx, cy, r, rnd.Range(0, 8)});
        y += r * rnd.Range(0.5, 0.9);
    }
    int nBillows = f.Width() * f.Height() / 500;
    for (int i = 0; i < nBillows; ++i) {
        double x = rnd.Range(0, f.Width()), y = rnd.Range(0, f.Height());
        double r = rnd.Range(8, 18);
        double s = f.Surface(x, y);
        if (s < 0 || y - r < yMargin || y + r > f.Height() - yMargin || x + r > f.Width() - 3) continue;
        f.AddPuff({x, y, r, s - r * 0.5});
    }
    int nTufts = f.Width() * f.Height() / 900;
    for (int i = 0; i < nTufts; ++i) {
        double x = rnd.Range(0, f.Width()), y = rnd.Range(0, f.Height());
        double r = rnd.Range(5, 9);
        double s = f.Surface(x, y);
        if (s < 0 || y - r < yMargin || y + r > f.Height() - yMargin || x + r > f.Width() - 3) continue;
        f.AddPuff({x, y, r, s - r * 0.6});
    }
}

}  // namespace

CCanvas BuildBackground01() {
    CCanvas bg(SCREEN_WIDTH, SCREEN_HEIGHT);  // all key

    CCloudField left(BG01_CLOUD_LEFT.Width(), BG01_CLOUD_LEFT.Height(), 0, 0);
    left.SetSolidSides(true, false);
    BuildBank(left, 48, 52, 40, 74, 5, 0x1EF7u);
    PaintPiece(bg, left, BG01_CLOUD_LEFT.left, BG01_CLOUD_LEFT.top);

    CCloudField right(BG01_CLOUD_RIGHT.Width(), BG01_CLOUD_RIGHT.Height(), 0, 0);
    right.SetSolidSides(false, true);
    BuildBank(right, 185, 40, 34, 60, 5, 0x2167u);
    PaintPiece(bg, right, BG01_CLOUD_RIGHT.left, BG01_CLOUD_RIGHT.top);

    // the single cloud: a cluster of mounds inside an ellipse, clear of all four borders
    const int PW = BG01_CLOUD_PUFF.Width(), PH = BG01_CLOUD_PUFF.Height();
    CCloudField puff(PW, PH, 0, 0);
    {
        CRandom rnd(0x9F1Fu);
        for (int i = 0; i < 14; ++i) {
            double a = rnd.Range(0, 2 * PI), d = rnd.Range(0, 1) * rnd.Range(0.4, 1.0);
            double r = rnd.Range(30, 52);
            double cx = 163 + DetCos(a) * d * (150 - r) * 0.85, cy = 103 + DetSin(a) * d * (96 - r) * 0.8;
            cx = Clamp(cx, r + 6, PW - r - 6);
            cy = Clamp(cy, r + 6, PH - r - 6);
            puff.AddPuff({cx, cy, r, rnd.Range(0, 8)});
        }
        for (int i = 0; i < 90; ++i) {
            double x = rnd.Range(0, PW), y = rnd.Range(0, PH), r = rnd.Range(8, 18);
            double s = puff.Surface(x, y);
            if (s < 0 || x - r < 4 || y - r < 4 || x + r > PW - 4 || y + r > PH - 4) continue;
            puff.AddPuff({x, y, r, s - r * 0.5});
        }
    }
    PaintPiece(bg, puff, BG01_CLOUD_PUFF.left, BG01_CLOUD_PUFF.top);
    return bg;
}
