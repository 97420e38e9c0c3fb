// The player's craft: a silver delta fighter with a blue canopy, twin engines and orange wing stripes.
#include "DetMath.h"
#include "Models.h"

namespace Ramps {

SMaterial Metal(SColor darkest, SColor lightest, int nLevels, int nShine, double dGloss) {
    SMaterial m;
    for (int i = 0; i < nLevels; ++i) {
        int t = i * 256 / (nLevels - 1);
        m.aRamp.push_back(MixColor(darkest, lightest, t));
    }
    m.nShine = nShine;
    m.dGloss = dGloss;
    return m;
}

SMaterial Ramp(std::initializer_list<SColor> colors, int nShine, double dGloss) {
    SMaterial m;
    m.aRamp.assign(colors.begin(), colors.end());
    m.nShine = nShine;
    m.dGloss = dGloss;
    return m;
}

SMaterial Glow(std::initializer_list<SColor> colors) {
    SMaterial m;
    m.aRamp.assign(colors.begin(), colors.end());
    m.bGlow = true;
    return m;
}

}  // namespace Ramps

CShapeModel BuildCraftModel() {
    CShapeModel m;
    const int HULL = m.AddMaterial(Ramps::Ramp({{34, 40, 62},
                                                {66, 78, 108},
                                                {104, 120, 152},
                                                {146, 162, 192},
                                                {190, 204, 226},
                                                {228, 236, 246},
                                                {255, 255, 255}},
                                               12, 0.55));
    const int DARK = m.AddMaterial(
        Ramps::Ramp({{24, 26, 38}, {46, 52, 70}, {72, 80, 102}, {104, 112, 136}, {142, 150, 172}}, 8, 0.4));
    const int ACCENT = m.AddMaterial(
        Ramps::Ramp({{96, 26, 12}, {156, 46, 18}, {212, 84, 26}, {244, 138, 44}, {255, 196, 100}}, 8, 0.4));
    const int GLASS = m.AddMaterial(
        Ramps::Ramp({{12, 28, 72}, {22, 60, 136}, {40, 108, 204}, {96, 176, 246}, {214, 244, 255}}, 16, 0.9));
    const int PANEL = m.AddMaterial(Ramps::Ramp(
        {{26, 36, 66}, {40, 58, 98}, {60, 86, 134}, {88, 118, 172}, {126, 156, 204}, {176, 200, 236}}, 10, 0.5));
    const int FLAME = m.AddMaterial(Ramps::Glow({{176, 60, 10}, {240, 128, 24}, {255, 204, 72}, {255, 250, 200}}));

    // fuselage with an orange nose band
    m.AddLoft({{-25.5, 0, 0.6, 2.0, 0.6},
               {-22, 0, 2.2, 2.3, 1.9},
               {-16, 0, 3.5, 2.6, 2.8},
               {-8, 0, 4.5, 2.8, 3.4},
               {2, 0, 5.0, 2.8, 3.6},
               {12, 0, 4.8, 2.6, 3.4},
               {20, 0, 4.0, 2.4, 3.0},
               {24, 0, 3.2, 2.2, 2.4}},
              HULL, [=](const SVec3& p, int mat) { return (p.y > -21 && p.y < -19) ? ACCENT : mat; });
    // canopy
    m.AddEllipsoid(0, -9.5, 4.6, 2.7, 6.5, 2.4, GLASS);
    // main wings, with orange stripes near the tips
    m.AddPrism({{4, -8}, {12, -2}, {21.5, 7}, {21.5, 14}, {15, 15}, {4, 14}}, -0.6, 0.9, 1.9, HULL,
               [=](const SVec3& p, int mat) {
                   if (p.x > 15.6 && p.x < 17.6 && p.y > 3) return ACCENT;
                   if (p.x > 10 && p.x < 15 && p.y > 2 && p.y < 13) return PANEL;
                   return mat;
               });
    m.TiltLast(0.17);
    m.MirrorLast();
    // canards
    m.AddPrism({{2.5, -17}, {8, -12}, {8.5, -10}, {2.5, -11}}, 1.0, 2.2, 1.2, HULL);
    m.MirrorLast();
    // engine nacelles
    m.AddLoft({{3, 6.8, 0.6, 1.8, 0.6},
               {7, 6.8, 2.4, 2.0, 2.4},
               {14, 6.8, 2.6, 2.0, 2.6},
               {22, 6.8, 2.5, 1.9, 2.4},
               {24.4, 6.8, 2.2, 1.8, 2.1}},
              DARK);
    m.MirrorLast();
    // exhaust flames
    m.AddEllipsoid(6.8, 24.6, 1.8, 1.7, 1.3, 1.6, FLAME);
    m.MirrorLast();
    // wing-tip cannons
    m.AddLoft(
        {{3, 19.5, 0.5, 4.3, 0.5}, {5, 19.5, 1.2, 4.4, 1.2}, {15, 19.5, 1.2, 4.4, 1.2}, {16.5, 19.5, 0.8, 4.3, 0.8}},
        DARK, [=](const SVec3& p, int mat) { return p.y < 5.5 ? ACCENT : mat; });
    m.MirrorLast();
    // tail fins
    m.AddPrism({{3.4, 12}, {4.6, 12}, {4.6, 22}, {3.4, 22}}, 2.0, 7.0, 0.0, HULL,
               [=](const SVec3& p, int mat) { return p.z > 5.8 ? ACCENT : mat; });
    m.MirrorLast();
    return m;
}
