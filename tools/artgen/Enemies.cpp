// The nine small enemy kinds. All point down; each has its own colours and outline so that they can be
// told apart at a glance, and their guns sit where their bullets leave.
#include "DetMath.h"
#include "Models.h"

namespace {

// Materials every enemy shares.
struct SCommon {
    int nDark, nRedGlass, nGlow, nGun;
};

SCommon AddCommon(CShapeModel& m) {
    SCommon c;
    c.nDark =
        m.AddMaterial(Ramps::Ramp({{20, 20, 26}, {38, 38, 48}, {60, 60, 74}, {88, 88, 104}, {120, 120, 136}}, 8, 0.4));
    c.nRedGlass = m.AddMaterial(
        Ramps::Ramp({{70, 8, 8}, {140, 20, 16}, {210, 48, 28}, {255, 120, 70}, {255, 220, 180}}, 16, 0.9));
    c.nGlow = m.AddMaterial(Ramps::Glow({{160, 40, 8}, {236, 110, 20}, {255, 190, 60}, {255, 245, 190}}));
    c.nGun = m.AddMaterial(Ramps::Ramp({{16, 16, 20}, {34, 34, 42}, {58, 58, 70}, {90, 90, 104}}, 6, 0.3));
    return c;
}

// A barrel pointing down, its muzzle at (x, yMuzzle).
void AddBarrel(CShapeModel& m, const SCommon& c, double x, double yTop, double yMuzzle, double r, double z) {
    m.AddLoft({{yTop, x, r * 0.8, z, r * 0.8},
               {yTop + 1, x, r, z, r},
               {yMuzzle - 0.5, x, r, z, r},
               {yMuzzle, x, r * 0.7, z, r * 0.7}},
              c.nGun);
}

CShapeModel KindA() {
    // light fighter, lime green, forward-swept wings, one nose gun
    CShapeModel m;
    SCommon c = AddCommon(m);
    int body = m.AddMaterial(Ramps::Ramp(
        {{30, 48, 10}, {58, 88, 16}, {98, 136, 24}, {146, 184, 40}, {196, 222, 88}, {238, 248, 168}}, 8, 0.4));
    int stripe = m.AddMaterial(Ramps::Ramp({{90, 70, 10}, {160, 130, 20}, {220, 190, 40}, {250, 236, 120}}, 8, 0.3));
    m.AddLoft({{-24, 0, 2.5, 2.5, 2.0},
               {-16, 0, 4.6, 3.0, 3.2},
               {0, 0, 5.0, 3.2, 3.6},
               {12, 0, 3.6, 3.0, 3.0},
               {19, 0, 1.6, 2.6, 1.6}},
              body, [=](const SVec3& p, int mat) { return (p.y > -20 && p.y < -17.5) ? stripe : mat; });
    m.AddEllipsoid(0, 2, 5.2, 2.4, 5.0, 2.0, c.nRedGlass);
    m.AddPrism({{3, -10}, {21.5, 2}, {21.5, 7}, {17, 8}, {3, 4}}, -0.5, 1.0, 1.6, body,
               [=](const SVec3& p, int mat) { return p.x > 17.5 ? stripe : mat; });
    m.TiltLast(0.08);
    m.MirrorLast();
    m.AddPrism({{2.5, -24}, {11, -22}, {11, -19}, {2.5, -17}}, 0.5, 1.8, 1.0, body);
    m.MirrorLast();
    m.AddEllipsoid(0, -24.2, 2.6, 2.2, 1.2, 1.6, c.nGlow);
    AddBarrel(m, c, 0, 14, 22, 1.1, 2.4);
    return m;
}

CShapeModel KindB() {
    // twin-gun interceptor, navy blue, straight wing with gun pods at the tips
    CShapeModel m;
    SCommon c = AddCommon(m);
    int body = m.AddMaterial(Ramps::Ramp(
        {{14, 20, 44}, {24, 36, 76}, {38, 58, 112}, {60, 86, 150}, {96, 124, 186}, {150, 176, 224}}, 10, 0.5));
    int stripe = m.AddMaterial(Ramps::Ramp({{110, 90, 20}, {180, 150, 30}, {236, 206, 60}, {255, 246, 150}}, 8, 0.3));
    m.AddLoft({{-23, 0, 2.0, 2.5, 1.8},
               {-14, 0, 4.0, 3.0, 3.0},
               {2, 0, 4.6, 3.2, 3.4},
               {14, 0, 3.0, 2.8, 2.6},
               {20, 0, 1.2, 2.4, 1.2}},
              body);
    m.AddEllipsoid(0, 4, 5.0, 2.2, 4.6, 1.9, c.nRedGlass);
    m.AddPrism({{3, -8}, {20, -6}, {20, 4}, {3, 6}}, 0, 1.4, 1.4, body,
               [=](const SVec3& p, int mat) { return (p.x > 11 && p.x < 13.5) ? stripe : mat; });
    m.MirrorLast();
    // gun pods at the wing tips, muzzles at model x -19 / +21 (sheet columns 3 and 43)
    m.AddLoft({{-12, 0, 0.8, 2.2, 0.8}, {-9, 0, 2.4, 2.4, 2.2}, {8, 0, 2.4, 2.4, 2.2}, {12, 0, 1.8, 2.3, 1.8}}, c.nDark,
              [=](const SVec3& p, int mat) { return p.y < -8.5 ? c.nGlow : mat; });
    m.Offset(m.Count() - 1, -19.5, 0, 0);
    AddBarrel(m, c, -19.5, 11, 19, 0.9, 2.4);
    m.AddLoft({{-12, 0, 0.8, 2.2, 0.8}, {-9, 0, 2.4, 2.4, 2.2}, {8, 0, 2.4, 2.4, 2.2}, {12, 0, 1.8, 2.3, 1.8}}, c.nDark,
              [=](const SVec3& p, int mat) { return p.y < -8.5 ? c.nGlow : mat; });
    m.Offset(m.Count() - 1, 19.5, 0, 0);
    AddBarrel(m, c, 19.5, 11, 19, 0.9, 2.4);
    m.AddPrism({{2, -23}, {9, -21}, {9, -18}, {2, -16}}, 0.4, 1.6, 1.0, body);
    m.MirrorLast();
    return m;
}

CShapeModel KindC() {
    // saucer, bronze, the same seen from either side; a gun below
    CShapeModel m;
    SCommon c = AddCommon(m);
    int hull = m.AddMaterial(Ramps::Ramp(
        {{52, 30, 10}, {96, 58, 18}, {146, 94, 30}, {192, 138, 52}, {226, 186, 96}, {250, 230, 170}}, 12, 0.6));
    int dome = m.AddMaterial(
        Ramps::Ramp({{10, 40, 50}, {16, 80, 96}, {30, 130, 150}, {90, 200, 210}, {210, 250, 250}}, 16, 0.9));
    m.AddEllipsoid(0, -2, 1.0, 20.5, 20.5, 4.5, hull, [=](const SVec3& p, int mat) {
        // a ring of lights on the rim
        double r2 = p.x * p.x + (p.y + 2) * (p.y + 2);
        if (r2 > 15.5 * 15.5 && r2 < 17.5 * 17.5) {
            double a = p.x * 0.7071 + (p.y + 2) * 0.7071;
            double b = p.x * 0.7071 - (p.y + 2) * 0.7071;
            if (std::fabs(a) < 1.6 || std::fabs(b) < 1.6 || std::fabs(p.x) < 1.6 || std::fabs(p.y + 2) < 1.6)
                return c.nGlow;
        }
        return mat;
    });
    m.AddEllipsoid(0, -2, 4.0, 11, 11, 3.0, hull);
    m.AddEllipsoid(0, -2, 6.0, 6.5, 6.5, 3.8, dome);
    AddBarrel(m, c, -1, 12, 21.5, 1.6, 2.8);
    return m;
}

CShapeModel KindD() {
    // heavy gunship, maroon, broad body and a triple gun
    CShapeModel m;
    SCommon c = AddCommon(m);
    int body = m.AddMaterial(Ramps::Ramp(
        {{40, 10, 14}, {72, 20, 24}, {110, 34, 36}, {150, 56, 50}, {192, 94, 78}, {230, 150, 126}}, 10, 0.5));
    int plate = m.AddMaterial(
        Ramps::Ramp({{34, 30, 30}, {60, 54, 52}, {92, 84, 80}, {130, 122, 114}, {176, 168, 156}}, 8, 0.4));
    m.AddPrism({{-8, -24}, {8, -24}, {12, -12}, {12, 10}, {6, 19}, {-6, 19}, {-12, 10}, {-12, -12}}, 0, 4.5, 3.0, body);
    m.AddPrism({{12, -14}, {21.5, -8}, {21.5, 8}, {12, 12}}, -0.5, 2.2, 1.8, plate);
    m.MirrorLast();
    m.AddEllipsoid(0, -6, 5.5, 4.0, 7.0, 2.4, c.nRedGlass);
    m.AddLoft(
        {{-24.5, 16.5, 0.8, 2.0, 0.8}, {-22, 16.5, 2.8, 2.0, 2.6}, {-2, 16.5, 3.0, 2.0, 2.8}, {6, 16.5, 2.2, 2.0, 2.0}},
        c.nDark, [=](const SVec3& p, int mat) { return p.y < -21.5 ? c.nGlow : mat; });
    m.MirrorLast();
    AddBarrel(m, c, -1.5, 12, 21.5, 1.2, 3.4);
    AddBarrel(m, c, -5, 10, 19.5, 1.0, 3.0);
    AddBarrel(m, c, 2, 10, 19.5, 1.0, 3.0);
    return m;
}

CShapeModel KindE() {
    // kamikaze dart, bright red and yellow, no guns
    CShapeModel m;
    SCommon c = AddCommon(m);
    int body = m.AddMaterial(Ramps::Ramp(
        {{70, 8, 8}, {130, 16, 14}, {190, 32, 24}, {232, 70, 40}, {252, 130, 90}, {255, 200, 170}}, 12, 0.6));
    int yellow = m.AddMaterial(Ramps::Ramp({{120, 80, 0}, {190, 140, 10}, {240, 200, 30}, {255, 240, 120}}, 8, 0.4));
    m.AddLoft({{-22, 0, 2.6, 2.4, 2.2}, {-10, 0, 3.6, 2.8, 3.0}, {8, 0, 2.6, 2.6, 2.4}, {23.5, 0, 0.5, 2.0, 0.5}}, body,
              [=](const SVec3& p, int mat) { return (p.y > 10 && p.y < 13) ? yellow : mat; });
    m.AddPrism({{2, -20}, {19, -14}, {20, -9}, {2, 14}}, -0.4, 1.0, 1.8, body,
               [=](const SVec3& p, int mat) { return (p.x > 12.5 && p.x < 15) ? yellow : mat; });
    m.TiltLast(-0.06);
    m.MirrorLast();
    m.AddPrism({{1.5, -24}, {7, -24}, {3, -14}, {1.5, -14}}, 1.0, 2.2, 0.8, yellow);
    m.MirrorLast();
    m.AddEllipsoid(0, -24.3, 2.3, 2.2, 1.0, 1.6, c.nGlow);
    m.AddEllipsoid(0, -2, 4.6, 1.8, 5.0, 1.6, c.nDark);
    return m;
}

CShapeModel KindF() {
    // twin-engine strike fighter, gunmetal with cyan lights, one nose gun
    CShapeModel m;
    SCommon c = AddCommon(m);
    int body = m.AddMaterial(Ramps::Ramp(
        {{26, 30, 34}, {46, 52, 58}, {70, 78, 86}, {100, 110, 118}, {138, 148, 156}, {188, 196, 202}}, 10, 0.5));
    int cyan = m.AddMaterial(Ramps::Glow({{0, 90, 110}, {0, 170, 200}, {80, 230, 250}, {210, 255, 255}}));
    m.AddLoft({{-22, 0, 2.0, 2.4, 1.8},
               {-12, 0, 4.2, 3.0, 3.0},
               {6, 0, 4.0, 3.0, 3.0},
               {18, 0, 2.0, 2.6, 1.8},
               {21, 0, 1.0, 2.4, 1.0}},
              body);
    m.AddEllipsoid(0, 5, 5.0, 2.2, 5.0, 1.8, cyan);
    m.AddLoft({{-24.5, 0, 0.8, 2.0, 0.8}, {-21, 0, 3.0, 2.2, 2.8}, {4, 0, 3.0, 2.2, 2.8}, {10, 0, 1.2, 2.0, 1.2}},
              c.nDark, [=](const SVec3& p, int mat) { return p.y < -21.5 ? c.nGlow : mat; });
    m.Offset(m.Count() - 1, 8.5, 0, 0);
    m.MirrorLast();
    m.AddPrism({{11, -14}, {21.5, -2}, {21.5, 6}, {11, 8}}, -0.3, 1.2, 1.6, body,
               [=](const SVec3& p, int mat) { return (p.x > 19 && p.y < 4) ? cyan : mat; });
    m.MirrorLast();
    AddBarrel(m, c, 1, 15, 22, 1.0, 2.4);
    return m;
}

CShapeModel KindG() {
    // fan-wing gunship, deep violet, five barrels in a fan
    CShapeModel m;
    SCommon c = AddCommon(m);
    int body = m.AddMaterial(Ramps::Ramp(
        {{30, 14, 46}, {52, 26, 76}, {78, 42, 108}, {108, 66, 140}, {140, 98, 168}, {176, 144, 196}}, 10, 0.5));
    int trim = m.AddMaterial(Ramps::Ramp({{60, 100, 20}, {100, 160, 30}, {150, 210, 50}, {210, 250, 130}}, 8, 0.4));
    // crescent wing
    std::vector<SPointF> wing;
    for (int i = 0; i <= 12; ++i) {
        double a = PI * i / 12.0;
        wing.push_back({-21.5 * DetCos(a), -2 + 17 * DetSin(a)});
    }
    for (int i = 12; i >= 0; --i) {
        double a = PI * i / 12.0;
        wing.push_back({-14 * DetCos(a), -10 + 14 * DetSin(a)});
    }
    m.AddPrism(wing, 0, 1.8, 1.8, body, [=](const SVec3& p, int mat) { return std::fabs(p.x) > 18.5 ? trim : mat; });
    m.AddLoft({{-23, 0, 3.0, 2.5, 2.4}, {-12, 0, 6.0, 3.4, 3.6}, {6, 0, 6.2, 3.6, 3.8}, {14, 0, 4.0, 3.2, 3.0}}, body);
    m.AddEllipsoid(0, -4, 6.0, 3.0, 5.5, 2.0, c.nRedGlass);
    m.AddEllipsoid(0, -23.5, 2.8, 2.4, 1.0, 1.6, c.nGlow);
    AddBarrel(m, c, 1, 12, 21, 1.1, 3.0);
    AddBarrel(m, c, -4.5, 11, 18.5, 0.9, 2.8);
    AddBarrel(m, c, 6.5, 11, 18.5, 0.9, 2.8);
    AddBarrel(m, c, -9.5, 9, 15.5, 0.9, 2.4);
    AddBarrel(m, c, 11.5, 9, 15.5, 0.9, 2.4);
    return m;
}

CShapeModel KindH() {
    // armoured pod, khaki plates, the same seen from either side; a turret gun below
    CShapeModel m;
    SCommon c = AddCommon(m);
    int armour = m.AddMaterial(Ramps::Ramp(
        {{40, 34, 18}, {70, 60, 32}, {104, 92, 52}, {140, 126, 76}, {180, 166, 108}, {218, 208, 156}}, 8, 0.4));
    int rivet = m.AddMaterial(Ramps::Ramp({{30, 26, 16}, {54, 48, 30}, {80, 72, 46}, {110, 100, 66}}, 0, 0));
    std::vector<SPointF> hex = {{-8, -24}, {8, -24}, {21.5, -10}, {21.5, 10},
                                {8, 21},   {-8, 21}, {-21.5, 10}, {-21.5, -10}};
    m.AddPrism(hex, 0, 3.0, 4.0, armour, [=](const SVec3& p, int mat) {
        bool bGroove = std::fabs(p.x - 11) < 0.6 || std::fabs(p.x + 11) < 0.6 || std::fabs(p.y + 1) < 0.6;
        return bGroove ? rivet : mat;
    });
    std::vector<SPointF> inner = {{-6, -14}, {6, -14}, {12, -6}, {12, 6}, {6, 13}, {-6, 13}, {-12, 6}, {-12, -6}};
    m.AddPrism(inner, 2.0, 5.5, 2.5, armour);
    m.AddEllipsoid(0, -1, 6.5, 5.5, 5.5, 2.6, c.nRedGlass);
    AddBarrel(m, c, -1, 4, 21.5, 1.5, 6.0);
    m.AddEllipsoid(-16, -1, 2.6, 2.2, 2.2, 1.2, c.nGlow);
    m.MirrorLast();
    return m;
}

CShapeModel KindI() {
    // elite interceptor, black with gold trim, twin tail booms
    CShapeModel m;
    SCommon c = AddCommon(m);
    int black = m.AddMaterial(
        Ramps::Ramp({{12, 12, 16}, {24, 24, 32}, {40, 40, 52}, {62, 62, 78}, {92, 92, 112}, {140, 140, 164}}, 14, 0.7));
    int gold = m.AddMaterial(
        Ramps::Ramp({{90, 60, 10}, {150, 106, 20}, {210, 160, 40}, {244, 210, 90}, {255, 244, 180}}, 14, 0.7));
    m.AddLoft({{-20, 0, 2.0, 2.6, 1.8},
               {-8, 0, 4.4, 3.2, 3.2},
               {8, 0, 3.6, 3.0, 3.0},
               {19, 0, 1.4, 2.6, 1.4},
               {22, 0, 0.6, 2.4, 0.6}},
              black, [=](const SVec3& p, int mat) { return (p.y > -9 && p.y < -7) ? gold : mat; });
    m.AddEllipsoid(0, 4, 5.0, 2.0, 5.0, 1.8, c.nRedGlass);
    m.AddPrism({{3, -6}, {21.5, -16}, {21.5, -11}, {9, 8}, {3, 10}}, -0.3, 1.1, 1.8, black,
               [=](const SVec3& p, int mat) { return p.x > 17 ? gold : mat; });
    m.TiltLast(0.05);
    m.MirrorLast();
    m.AddLoft({{-24.5, 10, 0.6, 2.0, 0.6}, {-22, 10, 2.0, 2.2, 1.8}, {-2, 10, 2.0, 2.2, 1.8}, {4, 10, 0.8, 2.0, 0.8}},
              black, [=](const SVec3& p, int mat) { return p.y < -22 ? c.nGlow : mat; });
    m.MirrorLast();
    AddBarrel(m, c, 1, 16, 22, 0.9, 2.5);
    return m;
}

}  // namespace

CShapeModel BuildEnemyModel(char cKind) {
    switch (cKind) {
        case 'A': return KindA();
        case 'B': return KindB();
        case 'C': return KindC();
        case 'D': return KindD();
        case 'E': return KindE();
        case 'F': return KindF();
        case 'G': return KindG();
        case 'H': return KindH();
        default: return KindI();
    }
}
