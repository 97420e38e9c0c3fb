// The mid-boss (a heavy flying wing with twin cannons) and the boss (a flying fortress with three
// turrets whose muzzles stand where its bullets leave).
#include "DetMath.h"
#include "Models.h"

namespace {

int DarkMetal(CShapeModel& m) {
    return m.AddMaterial(
        Ramps::Ramp({{18, 18, 24}, {34, 34, 44}, {54, 54, 68}, {80, 80, 98}, {112, 112, 132}}, 8, 0.4));
}

int GunMetal(CShapeModel& m) {
    return m.AddMaterial(
        Ramps::Ramp({{14, 14, 18}, {30, 30, 38}, {52, 52, 64}, {84, 84, 100}, {130, 130, 148}}, 10, 0.5));
}

int RedGlass(CShapeModel& m) {
    return m.AddMaterial(
        Ramps::Ramp({{70, 8, 8}, {140, 20, 16}, {210, 48, 28}, {255, 120, 70}, {255, 220, 180}}, 16, 0.9));
}

int Glow(CShapeModel& m) {
    return m.AddMaterial(Ramps::Glow({{160, 40, 8}, {236, 110, 20}, {255, 190, 60}, {255, 245, 190}}));
}

void Barrel(CShapeModel& m, int mat, double x, double y0, double y1, double r, double z) {
    m.AddLoft({{y0, x, r * 0.8, z, r * 0.8},
               {y0 + 1.5, x, r, z, r},
               {y1 - 2.5, x, r, z, r},
               {y1 - 1.5, x, r * 1.3, z, r * 1.3},
               {y1, x, r * 1.2, z, r * 1.2}},
              mat);
}

}  // namespace

CShapeModel BuildMidBossModel() {
    CShapeModel m;
    int hull = m.AddMaterial(Ramps::Ramp(
        {{22, 32, 26}, {38, 54, 42}, {58, 80, 62}, {82, 108, 84}, {112, 140, 110}, {156, 180, 150}, {210, 226, 200}},
        10, 0.5));
    int orange = m.AddMaterial(
        Ramps::Ramp({{110, 40, 8}, {170, 70, 14}, {226, 112, 26}, {250, 170, 60}, {255, 222, 140}}, 8, 0.4));
    int dark = DarkMetal(m), gun = GunMetal(m), glass = RedGlass(m), glow = Glow(m);

    // wings
    m.AddPrism({{12, -24}, {72, -10}, {72, 4}, {62, 10}, {12, 16}}, -0.5, 2.5, 3.0, hull, [=](const SVec3& p, int mat) {
        if (p.x > 66) return orange;
        if (std::fabs(p.x - 52) < 1.0 && p.y > -12) return dark;
        return mat;
    });
    m.PanelLast(16, 10, 2);
    m.TiltLast(0.04);
    m.MirrorLast();
    // engine pods on the wings, exhausts at the top
    m.AddLoft({{-33.5, 38, 1.0, 3.5, 1.0}, {-30, 38, 5.0, 3.8, 4.4}, {4, 38, 5.0, 3.8, 4.4}, {12, 38, 2.5, 3.6, 2.5}},
              dark, [=](const SVec3& p, int mat) { return p.y < -30.5 ? glow : mat; });
    m.MirrorLast();
    // central hull
    m.AddLoft({{-35, 0, 6.0, 4.0, 3.0},
               {-28, 0, 13.0, 5.0, 6.0},
               {-4, 0, 16.0, 5.5, 7.0},
               {16, 0, 14.0, 5.0, 6.0},
               {26, 0, 7.0, 4.0, 4.0}},
              hull, [=](const SVec3& p, int mat) { return (p.y > -22 && p.y < -19.5) ? orange : mat; });
    // armoured deck and cockpit
    m.AddPrism({{-8, -18}, {8, -18}, {11, -8}, {8, 8}, {-8, 8}, {-11, -8}}, 6, 10, 2.5, hull);
    m.AddEllipsoid(0, 0, 10.5, 4.0, 6.0, 2.2, glass);
    // turrets on the wings
    m.AddEllipsoid(-26, -4, 4.0, 4.0, 4.0, 3.0, glass);
    m.AddEllipsoid(26, -4, 4.0, 4.0, 4.0, 3.0, glass);
    // twin cannons under the nose: muzzles at model x -10 and +10
    Barrel(m, gun, -10, 8, 31, 2.4, 4.0);
    Barrel(m, gun, 10, 8, 31, 2.4, 4.0);
    m.AddEllipsoid(-10, 10, 4.5, 4.2, 4.5, 2.6, dark);
    m.AddEllipsoid(10, 10, 4.5, 4.2, 4.5, 2.6, dark);
    // wing-tip lights
    m.AddEllipsoid(-69, -4, 3.0, 1.6, 2.6, 1.4, glow);
    m.AddEllipsoid(69, -4, 3.0, 1.6, 2.6, 1.4, glow);
    return m;
}

CShapeModel BuildBossModel() {
    CShapeModel m;
    int hull = m.AddMaterial(Ramps::Ramp(
        {{20, 22, 34}, {34, 38, 56}, {52, 58, 82}, {74, 82, 110}, {100, 110, 140}, {134, 144, 172}, {180, 188, 210}},
        10, 0.5));
    int maroon = m.AddMaterial(Ramps::Ramp(
        {{44, 10, 18}, {76, 18, 28}, {112, 30, 40}, {150, 50, 56}, {190, 86, 86}, {224, 140, 130}}, 8, 0.4));
    int hazard = m.AddMaterial(Ramps::Ramp({{120, 90, 0}, {190, 150, 10}, {240, 200, 30}, {255, 240, 120}}, 6, 0.3));
    int dark = DarkMetal(m), gun = GunMetal(m), glass = RedGlass(m), glow = Glow(m);
    int core =
        m.AddMaterial(Ramps::Glow({{120, 10, 10}, {200, 30, 20}, {250, 90, 40}, {255, 180, 110}, {255, 240, 210}}));

    // side sponsons
    m.AddPrism({{38, -78}, {82, -50}, {82, 34}, {66, 62}, {38, 58}}, -1, 5, 4.0, maroon, [=](const SVec3& p, int mat) {
        if (std::fabs(p.y + 10) < 1.2 || std::fabs(p.y - 20) < 1.2) return dark;
        if (p.x > 76 && std::fabs(p.y + 36) < 4) return glow;
        return mat;
    });
    m.PanelLast(34, 26, 7);
    m.MirrorLast();
    // engines at the stern
    for (double ex : {-62.0, -26.0, 26.0, 62.0}) {
        m.AddLoft(
            {{-99.5, ex, 2.0, 5.0, 2.0}, {-96, ex, 8.0, 6.0, 7.0}, {-72, ex, 8.5, 6.0, 7.5}, {-60, ex, 4.0, 5.0, 4.0}},
            dark, [=](const SVec3& p, int mat) { return p.y < -96.5 ? glow : mat; });
    }
    // main hull with a forked bow
    m.AddPrism({{-30, -92},
                {30, -92},
                {42, -76},
                {44, 50},
                {40, 98.5},
                {22, 98.5},
                {16, 78},
                {-16, 78},
                {-22, 98.5},
                {-40, 98.5},
                {-44, 50},
                {-42, -76}},
               0, 9, 5.0, hull, [=](const SVec3& p, int mat) {
                   // hazard stripes on the prongs
                   if (p.y > 84 && std::fabs(p.x) > 22) {
                       int band = FloorInt((p.x + p.y) / 4.0);
                       return (band & 1) ? hazard : dark;
                   }
                   if (std::fabs(p.x) < 1.0 && p.y < 70) return dark;
                   return mat;
               });
    m.PanelLast(24, 16, 3);
    // upper deck and bridge
    m.AddPrism({{-22, -80}, {22, -80}, {28, -60}, {28, 20}, {18, 30}, {-18, 30}, {-28, 20}, {-28, -60}}, 8, 15, 4.0,
               hull, [=](const SVec3& p, int mat) { return (std::fabs(p.y + 30) < 1.0) ? dark : mat; });
    m.PanelLast(28, 18, 5);
    m.AddPrism({{-26, -24}, {-6, -24}, {-6, -6}, {-26, -6}}, 14, 22, 3.0, maroon,
               [=](const SVec3& p, int mat) { return (p.y > -10 && p.y < -8 && p.x < -9 && p.x > -23) ? glass : mat; });
    // reactor core
    m.AddEllipsoid(0, -56, 16, 13, 13, 5, core);
    m.AddEllipsoid(12, -18, 16, 6, 6, 3, glass);
    // main turret: boss bullets leave from model (2.5, 60)
    m.AddEllipsoid(2.5, 38, 15, 14, 14, 6, hull);
    Barrel(m, gun, -1.5, 40, 62, 2.6, 16);
    Barrel(m, gun, 6.5, 40, 62, 2.6, 16);
    m.AddEllipsoid(2.5, 38, 20, 6, 6, 3, glass);
    // side turrets: normal bullets leave from model (-49.5, 73) and (20.5, 73)
    m.AddEllipsoid(-49.5, 56, 8, 9, 9, 4, dark);
    Barrel(m, gun, -49.5, 56, 75, 2.2, 9);
    m.AddEllipsoid(-49.5, 56, 11, 4, 4, 2.4, glass);
    m.AddEllipsoid(20.5, 62, 12, 8, 8, 4, dark);
    Barrel(m, gun, 20.5, 62, 76, 2.2, 13);
    m.AddEllipsoid(20.5, 62, 15, 3.6, 3.6, 2.2, glass);
    // lights along the hull
    for (double ly : {-70.0, -40.0, -10.0, 20.0}) {
        m.AddEllipsoid(-38, ly, 9.5, 1.6, 1.6, 1.0, glow);
        m.AddEllipsoid(38, ly, 9.5, 1.6, 1.6, 1.0, glow);
    }
    return m;
}
