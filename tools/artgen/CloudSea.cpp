// BG00: the city strip (rows 0-119), the ragged upper edge of the cloud sea (120-168) and the cloud-sea
// tile (169-408), which repeats every 240 rows. Rows 409-479 are not cut by the game; they continue
// the tile.
#include <cmath>

#include "City.h"
#include "Clouds.h"
#include "DetMath.h"
#include "Dither.h"
#include "Noise.h"
#include "Pictures.h"
#include "game/PictureLayout.h"
#include "platform/screen.h"

namespace {

const int W = SCREEN_WIDTH;
const int TILE_H = BG00_CLOUD_TILE.Height();
const int EDGE_TOP = BG00_CLOUD_END.top;  // first row of the edge strip (all key, as is the next)
const int EDGE_SOLID = 154;               // first row of solid cloud
const int TILE_TOP = BG00_CLOUD_TILE.top;

// The cloud-sea texture: its brightness for tile rows 0..239.
std::vector<float> SeaShade() {
    CCloudField sea(W, TILE_H, 0, TILE_H);
    // The sea runs on past both sides of the screen: no cloud edge falls away there.
    sea.SetSolidSides(true, true);
    sea.AddFloor(2, 12, 60, 0x5EAu);
    ScatterCumulus(sea, 0, 0, W, TILE_H, 1.0, 0.92, 0xC10Du);
    sea.Soften(2);
    sea.AddTexture(0.9, 7.5, 0x7E47u);
    return sea.Shade();
}

// The edge strip: which of its pixels are cloud (billows rising from the solid sea, none above row
// 122), and how much brighter or darker each billow's round side makes them.
struct SEdge {
    std::vector<uint8_t> aCloud;  // rows EDGE_TOP..TILE_TOP-1 of BG00
    std::vector<float> aLight;
};

SEdge BuildEdge() {
    const int H = TILE_TOP - EDGE_TOP;
    SEdge e{std::vector<uint8_t>(size_t(W) * H, 0), std::vector<float>(size_t(W) * H, 0.0f)};
    CRandom rnd(0xED6Eu);
    struct SBillow {
        double x, y, r;
    };
    std::vector<SBillow> billows;
    for (double x = -10; x < 660;) {
        double r = rnd.Range(10, 28);
        double top = rnd.Range(123, 148);
        billows.push_back({x + r * 0.6, top + r, r});
        x += r * rnd.Range(0.8, 1.4);
    }
    const double lx = -0.5, ly = -0.72, lz = 0.48;
    for (int y = EDGE_TOP; y < TILE_TOP; ++y)
        for (int x = 0; x < W; ++x) {
            bool bCloud = y >= EDGE_SOLID;
            double wobble = (FractalNoise(x, y, 6, 2, 0, 0, 0xB1u) - 0.5) * 4.0;
            // the billow nearest the viewer here shades the pixel like a ball lit from the upper left
            double bestZ = -1, light = 0;
            for (const SBillow& b : billows) {
                double dx = x + 0.5 - b.x, dy = y + 0.5 - b.y;
                double d2 = dx * dx + dy * dy, r = b.r + wobble;
                if (d2 >= r * r) continue;
                bCloud = true;
                double z = std::sqrt(r * r - d2);
                double top = z - (b.y - b.r) * 0.6;  // billows lower down lie deeper
                if (top > bestZ) {
                    bestZ = top;
                    light = (dx * lx + dy * ly + z * lz) / r;
                }
            }
            if (y < EDGE_TOP + 2) bCloud = false;
            size_t k = size_t(y - EDGE_TOP) * W + x;
            e.aCloud[k] = bCloud;
            // fade out towards the solid sea, so that row 164 is the plain texture
            double fade = Clamp((158.0 - y) / 14.0, 0.0, 1.0);
            if (bestZ >= 0) e.aLight[k] = float((light - 0.5) * 0.9 * fade);
        }
    return e;
}

}  // namespace

CCanvas BuildBackground00() {
    CCanvas bg(SCREEN_WIDTH, SCREEN_HEIGHT);
    DrawCityStrip(bg, BG00_CITY_STRIP.left, BG00_CITY_STRIP.top);

    const std::vector<float> shade = SeaShade();
    const std::vector<SColor>& ramp = CloudRamp();
    auto seaPixel = [&](int x, int tileRow, double extra) {
        tileRow = ((tileRow % TILE_H) + TILE_H) % TILE_H;
        double v = shade[size_t(tileRow) * W + x] + extra;
        return DitherRamp(ramp, Clamp(v, 0.0, 1.0), x, tileRow);
    };

    // the tile, and below it (unused by the game) its continuation
    for (int y = TILE_TOP; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < W; ++x) bg.Set(x, y, seaPixel(x, y - TILE_TOP, 0));

    // the edge strip: BG00 row y shows tile row y + 75, so that row 164 meets tile row 0 seamlessly;
    // its billows are lit on the sides that face the light
    SEdge edge = BuildEdge();
    const std::vector<uint8_t>& mask = edge.aCloud;
    const int H = TILE_TOP - EDGE_TOP;
    auto m = [&](int x, int y) -> double {
        if (y < 0) return 0;
        if (y >= H) return 1;
        x = ClampInt(x, 0, W - 1);
        return mask[size_t(y) * W + x];
    };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (!m(x, y)) {
                bg.SetKey(x, EDGE_TOP + y);
                continue;
            }
            // a blurred mask tells how near the edge we are and which way it faces
            double sum = 0, gx = 0, gy = 0;
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx) {
                    double v = m(x + dx, y + dy);
                    sum += v;
                    gx += v * dx;
                    gy += v * dy;
                }
            double near = 1.0 - sum / 49.0;  // 0 deep inside, about 0.5 at the edge
            double gl = std::sqrt(gx * gx + gy * gy);
            double facing = gl > 1e-9 ? (-gx * -0.57 + -gy * -0.82) / gl : 0.0;
            double extra = near * 2.0 * (0.5 * facing + 0.12) + edge.aLight[size_t(y) * W + x];
            bg.Set(x, EDGE_TOP + y, seaPixel(x, EDGE_TOP + y + 75, extra));
        }
    return bg;
}
