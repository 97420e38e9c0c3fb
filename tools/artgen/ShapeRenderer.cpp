#include <algorithm>
#include <cmath>

#include "DetMath.h"
#include "Dither.h"
#include "Noise.h"
#include "ShapeModel.h"

// ---------------------------------------------------------------------------------------------------
// Building models

int CShapeModel::AddMaterial(const SMaterial& m) {
    m_aMaterials.push_back(m);
    return static_cast<int>(m_aMaterials.size()) - 1;
}

void CShapeModel::UpdateBounds(SPrimitive& p) {
    if (p.eKind == EKind::LOFT) {
        p.dYMin = p.aStations.front().y;
        p.dYMax = p.aStations.back().y;
    } else {
        p.dYMin = p.dYMax = p.aPolygon.front().y;
        for (auto& pt : p.aPolygon) {
            p.dYMin = std::min(p.dYMin, pt.y);
            p.dYMax = std::max(p.dYMax, pt.y);
        }
    }
}

int CShapeModel::AddLoft(const std::vector<SStation>& aStations, int nMaterial, PaintFn fn) {
    SPrimitive p;
    p.eKind = EKind::LOFT;
    p.nMaterial = nMaterial;
    p.fnPaint = std::move(fn);
    p.aStations = aStations;
    UpdateBounds(p);
    m_aPrims.push_back(std::move(p));
    return Count() - 1;
}

int CShapeModel::AddEllipsoid(double cx, double cy, double cz, double rx, double ry, double rz, int nMaterial,
                              PaintFn fn) {
    std::vector<SStation> st;
    const int N = 16;
    for (int i = 0; i <= N; ++i) {
        double a = PI * i / N;
        double s = DetSin(a), c = DetCos(a);
        st.push_back({cy - ry * c, cx, rx * s, cz, rz * s});
    }
    return AddLoft(st, nMaterial, std::move(fn));
}

int CShapeModel::AddPrism(const std::vector<SPointF>& aPolygon, double zLo, double zHi, double dBevel, int nMaterial,
                          PaintFn fn) {
    SPrimitive p;
    p.eKind = EKind::PRISM;
    p.nMaterial = nMaterial;
    p.fnPaint = std::move(fn);
    p.aPolygon = aPolygon;
    p.dZLo = zLo;
    p.dZHi = zHi;
    p.dBevel = dBevel;
    UpdateBounds(p);
    m_aPrims.push_back(std::move(p));
    return Count() - 1;
}

void CShapeModel::PanelLast(double w, double h, uint32_t nSeed) {
    m_aPrims.back().dPanelW = w;
    m_aPrims.back().dPanelH = h;
    m_aPrims.back().nPanelSeed = nSeed;
}

void CShapeModel::TiltLast(double dSlope) { m_aPrims.back().dSlopeX = dSlope; }

void CShapeModel::MirrorLast() {
    SPrimitive p = m_aPrims.back();
    p.dSlopeX = -p.dSlopeX;
    for (auto& s : p.aStations) s.cx = -s.cx;
    for (auto& pt : p.aPolygon) pt.x = -pt.x;
    std::reverse(p.aPolygon.begin(), p.aPolygon.end());
    if (p.fnPaint) {
        PaintFn inner = p.fnPaint;
        p.fnPaint = [inner](const SVec3& q, int m) { return inner(SVec3{-q.x, q.y, q.z}, m); };
    }
    m_aPrims.push_back(std::move(p));
}

void CShapeModel::Offset(int nFirst, double dx, double dy, double dz) {
    for (int i = nFirst; i < Count(); ++i) {
        SPrimitive& p = m_aPrims[i];
        for (auto& s : p.aStations) {
            s.y += dy;
            s.cx += dx;
            s.cz += dz;
        }
        for (auto& pt : p.aPolygon) {
            pt.x += dx;
            pt.y += dy;
        }
        p.dZLo += dz - p.dSlopeX * dx;
        p.dZHi += dz - p.dSlopeX * dx;
        if (p.fnPaint) {
            PaintFn inner = p.fnPaint;
            p.fnPaint = [inner, dx, dy, dz](const SVec3& q, int m) {
                return inner(SVec3{q.x - dx, q.y - dy, q.z - dz}, m);
            };
        }
        UpdateBounds(p);
    }
}

// ---------------------------------------------------------------------------------------------------
// Geometry of one cross-section

namespace {

struct SSection {
    double cx, rx, cz, rz;
};

// Smooth (Hermite) interpolation of the loft's stations at height y.
SSection LoftSection(const std::vector<SStation>& st, double y) {
    size_t n = st.size();
    size_t i = 0;
    while (i + 2 < n && st[i + 1].y <= y) ++i;
    const SStation& a = st[i];
    const SStation& b = st[std::min(i + 1, n - 1)];
    double span = b.y - a.y;
    if (span <= 1e-9) return {a.cx, a.rx, a.cz, a.rz};
    double t = (y - a.y) / span;
    auto slope = [&](size_t k, double SStation::*f) {
        size_t lo = k > 0 ? k - 1 : k, hi = std::min(k + 1, n - 1);
        double dy = st[hi].y - st[lo].y;
        return dy > 1e-9 ? (st[hi].*f - st[lo].*f) / dy : 0.0;
    };
    double h00 = 2 * t * t * t - 3 * t * t + 1, h10 = t * t * t - 2 * t * t + t;
    double h01 = -2 * t * t * t + 3 * t * t, h11 = t * t * t - t * t;
    auto interp = [&](double SStation::*f) {
        double m0 = slope(i, f) * span, m1 = slope(std::min(i + 1, n - 1), f) * span;
        return h00 * (a.*f) + h10 * m0 + h01 * (b.*f) + h11 * m1;
    };
    SSection s{interp(&SStation::cx), interp(&SStation::rx), interp(&SStation::cz), interp(&SStation::rz)};
    // Keep the bulge between stations honest: never wider than the wider neighbour.
    s.rx = Clamp(s.rx, 0.0, std::max(a.rx, b.rx) * 1.08 + 0.01);
    s.rz = Clamp(s.rz, 0.0, std::max(a.rz, b.rz) * 1.08 + 0.01);
    return s;
}

double LoftField(const std::vector<SStation>& st, double x, double y, double z) {
    SSection s = LoftSection(st, y);
    if (s.rx < 1e-4 || s.rz < 1e-4) return 1e9;
    double u = (x - s.cx) / s.rx, w = (z - s.cz) / s.rz;
    return u * u + w * w;
}

struct SHit {
    double t = 1e18;
    SVec3 p, n;
    int nPrim = -1;
};

struct SRay {
    double ox, oz, dx, dz, y;
};

void HitLoft(const CShapeModel::SPrimitive& prim, int idx, const SRay& r, SHit& best) {
    SSection s = LoftSection(prim.aStations, r.y);
    if (s.rx < 0.05 || s.rz < 0.05) return;
    double u = (r.ox - s.cx) / s.rx, du = r.dx / s.rx;
    double w = (r.oz - s.cz) / s.rz, dw = r.dz / s.rz;
    double a = du * du + dw * dw, b = 2 * (u * du + w * dw), c = u * u + w * w - 1;
    double disc = b * b - 4 * a * c;
    if (disc < 0 || a <= 0) return;
    double t = (-b - std::sqrt(disc)) / (2 * a);
    if (t < 0 || t >= best.t) return;
    SVec3 p{r.ox + t * r.dx, r.y, r.oz + t * r.dz};
    double fx = 2 * (p.x - s.cx) / (s.rx * s.rx), fz = 2 * (p.z - s.cz) / (s.rz * s.rz);
    const double h = 0.05;
    double fy = (LoftField(prim.aStations, p.x, p.y + h, p.z) - LoftField(prim.aStations, p.x, p.y - h, p.z)) / (2 * h);
    fy = Clamp(fy, -50.0, 50.0);
    double len = std::sqrt(fx * fx + fy * fy + fz * fz);
    if (len < 1e-12) return;
    best.t = t;
    best.p = p;
    best.n = {fx / len, fy / len, fz / len};
    best.nPrim = idx;
}

double SignedArea(const std::vector<SPointF>& poly) {
    double a = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const SPointF& p = poly[i];
        const SPointF& q = poly[(i + 1) % poly.size()];
        a += p.x * q.y - q.x * p.y;
    }
    return a / 2;
}

// Outward normal (x, y) of polygon edge i.
SPointF EdgeNormal(const std::vector<SPointF>& poly, size_t i, double orient) {
    const SPointF& a = poly[i];
    const SPointF& b = poly[(i + 1) % poly.size()];
    double ex = b.x - a.x, ey = b.y - a.y;
    double len = std::sqrt(ex * ex + ey * ey);
    if (len < 1e-12) return {0, 0};
    // For a polygon of positive signed area (clockwise on screen, y down) the outward normal is (ey, -ex).
    return {orient * ey / len, -orient * ex / len};
}

void HitPrism(const CShapeModel::SPrimitive& prim, int idx, const SRay& r, SHit& best) {
    const auto& poly = prim.aPolygon;
    double orient = SignedArea(poly) >= 0 ? 1.0 : -1.0;
    struct SCross {
        double x;
        size_t edge;
    };
    SCross aCross[32];
    int nCross = 0;
    for (size_t i = 0; i < poly.size() && nCross < 32; ++i) {
        const SPointF& a = poly[i];
        const SPointF& b = poly[(i + 1) % poly.size()];
        if ((a.y <= r.y && b.y > r.y) || (b.y <= r.y && a.y > r.y))
            aCross[nCross++] = {a.x + (r.y - a.y) * (b.x - a.x) / (b.y - a.y), i};
    }
    std::sort(aCross, aCross + nCross, [](const SCross& p, const SCross& q) { return p.x < q.x; });
    for (int c = 0; c + 1 < nCross; c += 2) {
        double xa = aCross[c].x, xb = aCross[c + 1].x;
        double txMin, txMax;
        if (std::fabs(r.dx) < 1e-12) {
            if (r.ox < xa || r.ox > xb) continue;
            txMin = -1e18;
            txMax = 1e18;
        } else {
            double t1 = (xa - r.ox) / r.dx, t2 = (xb - r.ox) / r.dx;
            txMin = std::min(t1, t2);
            txMax = std::max(t1, t2);
        }
        // faces z = zHi + k x and z = zLo + k x
        const double k = prim.dSlopeX;
        double den = r.dz - k * r.dx;
        if (std::fabs(den) < 1e-12) continue;
        double tzMin = (prim.dZHi + k * r.ox - r.oz) / den, tzMax = (prim.dZLo + k * r.ox - r.oz) / den;
        if (tzMin > tzMax) std::swap(tzMin, tzMax);
        double tIn = std::max(txMin, tzMin), tOut = std::min(txMax, tzMax);
        if (tIn > tOut || tIn < 0 || tIn >= best.t) continue;
        SVec3 p{r.ox + tIn * r.dx, r.y, r.oz + tIn * r.dz};
        SVec3 n;
        if (tzMin >= txMin) {
            // top face, bevelled near the polygon's edges
            n = {-k, 0, 1};
            if (prim.dBevel > 0) {
                double dMin = 1e18;
                size_t eMin = 0;
                for (size_t i = 0; i < poly.size(); ++i) {
                    double d = SegmentDistance({p.x, p.y}, poly[i], poly[(i + 1) % poly.size()]);
                    if (d < dMin) {
                        dMin = d;
                        eMin = i;
                    }
                }
                if (dMin < prim.dBevel) {
                    SPointF en = EdgeNormal(poly, eMin, orient);
                    double s = 1.0 - dMin / prim.dBevel;
                    s = 0.35 + 0.9 * s;
                    n = {en.x * s - k, en.y * s, 1.0};
                }
            }
        } else {
            size_t e = (r.dx > 0) ? aCross[c].edge : aCross[c + 1].edge;
            SPointF en = EdgeNormal(poly, e, orient);
            n = {en.x, en.y, 0.15};
        }
        double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        best.t = tIn;
        best.p = p;
        best.n = {n.x / len, n.y / len, n.z / len};
        best.nPrim = idx;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Rendering

void RenderModel(const CShapeModel& model, CCanvas& canvas, int x0, int y0, int w, int h, const SRenderParams& rp) {
    const auto& prims = model.Primitives();
    const auto& mats = model.Materials();
    const double cr = DetCos(rp.dRoll), sr = DetSin(rp.dRoll);
    const double Z0 = 1000.0;
    // light from the upper left, above
    double lx = -0.55, ly = -0.75, lz = 0.95;
    double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    lx /= ll;
    ly /= ll;
    lz /= ll;

    const size_t N = size_t(w) * h;
    std::vector<int> aPrim(N, -1), aMat(N, 0), aShade(N, 0);
    std::vector<double> aDepth(N, -1e18);

    for (int py = 0; py < h; ++py) {
        double y = (y0 + py + 0.5 - rp.dOriginY) / rp.dScale;
        for (int px = 0; px < w; ++px) {
            double xv = (x0 + px + 0.5 - rp.dOriginX) / rp.dScale;
            SRay r{xv * cr - Z0 * sr, xv * sr + Z0 * cr, sr, -cr, y};
            SHit hit;
            for (size_t i = 0; i < prims.size(); ++i) {
                const auto& p = prims[i];
                if (y < p.dYMin || y > p.dYMax) continue;
                if (p.eKind == CShapeModel::EKind::LOFT)
                    HitLoft(p, int(i), r, hit);
                else
                    HitPrism(p, int(i), r, hit);
            }
            if (hit.nPrim < 0) continue;
            const auto& prim = prims[hit.nPrim];
            int m = prim.fnPaint ? prim.fnPaint(hit.p, prim.nMaterial) : prim.nMaterial;
            m = ClampInt(m, 0, int(mats.size()) - 1);
            const SMaterial& mat = mats[m];
            // normal into view space
            double nx = hit.n.x * cr + hit.n.z * sr, ny = hit.n.y, nz = -hit.n.x * sr + hit.n.z * cr;
            int nLevels = int(mat.aRamp.size());
            double v;
            if (mat.bGlow) {
                v = (nLevels - 1) * Clamp(0.35 + 0.65 * nz, 0.0, 1.0);
            } else {
                double ndl = nx * lx + ny * ly + nz * lz;
                double diff = std::max(0.0, ndl);
                double light = 0.18 + 0.82 * diff - rp.dSheen * (xv * 0.6 + y * 0.8);
                double specular = 0;
                if (mat.nShine > 0 && ndl > 0) {
                    double rz = 2 * ndl * nz - lz;
                    if (rz > 0) specular = mat.dGloss * PowInt(rz, mat.nShine);
                }
                v = (nLevels - 1) * (light + specular);
            }
            size_t k = size_t(py) * w + px;
            int level =
                rp.bDitherShading ? DitherLevel(v, nLevels, x0 + px, y0 + py) : ClampInt(RoundInt(v), 0, nLevels - 1);
            if (prim.dPanelW > 0 && !mat.bGlow && nz > 0.6) {
                // armour plates in staggered rows, with dark seams between them
                double py2 = hit.p.y / prim.dPanelH;
                int row = FloorInt(py2);
                double px2 = hit.p.x / prim.dPanelW + (row & 1) * 0.5;
                int col = FloorInt(px2);
                double ex = (px2 - col) * prim.dPanelW, ey = (py2 - row) * prim.dPanelH;
                double seam = 0.55 / rp.dScale + 0.45;
                if (ex < seam || ey < seam)
                    level -= 1;
                else if (HashInts(col, row, prim.nPanelSeed) % 7 == 0)
                    level -= 1;
                level = ClampInt(level, 0, nLevels - 1);
            }
            aPrim[k] = hit.nPrim;
            aMat[k] = m;
            aShade[k] = level;
            aDepth[k] = Z0 - hit.t;
        }
    }

    // seams: a pixel next to a clearly higher part of another primitive is darkened
    std::vector<int> aFinal(aShade);
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            size_t k = size_t(py) * w + px;
            if (aPrim[k] < 0) continue;
            const int ox[4] = {-1, 1, 0, 0}, oy[4] = {0, 0, -1, 1};
            for (int d = 0; d < 4; ++d) {
                int qx = px + ox[d], qy = py + oy[d];
                if (qx < 0 || qy < 0 || qx >= w || qy >= h) continue;
                size_t q = size_t(qy) * w + qx;
                if (aPrim[q] < 0 || aPrim[q] == aPrim[k]) continue;
                if (aDepth[q] - aDepth[k] > rp.dSeamDepth) {
                    aFinal[k] = std::max(0, aShade[k] - rp.nSeamDarken);
                    break;
                }
            }
        }

    // shadows cast by higher parts, traced towards the light across the depth map
    if (rp.nShadowDarken > 0) {
        // (sx, sy) points from a pixel towards the light: up and to the left
        double sl = std::sqrt(lx * lx + ly * ly);
        double sx = lx / sl, sy = ly / sl;
        double rise = lz / std::sqrt(lx * lx + ly * ly) / rp.dScale;  // height gained per pixel walked
        int nSteps = RoundInt(24 * rp.dScale);
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px) {
                size_t k = size_t(py) * w + px;
                if (aPrim[k] < 0 || mats[aMat[k]].bGlow) continue;
                for (int step = 1; step <= nSteps; ++step) {
                    int qx = px + RoundInt(sx * step), qy = py + RoundInt(sy * step);
                    if (qx < 0 || qy < 0 || qx >= w || qy >= h) break;
                    size_t q = size_t(qy) * w + qx;
                    if (aPrim[q] >= 0 && aDepth[q] > aDepth[k] + rise * step + 0.6) {
                        aFinal[k] = std::max(0, aFinal[k] - rp.nShadowDarken);
                        break;
                    }
                }
            }
    }

    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            size_t k = size_t(py) * w + px;
            if (aPrim[k] < 0) continue;
            canvas.Set(x0 + px, y0 + py, mats[aMat[k]].aRamp[aFinal[k]]);
        }

    // the outline, grown ring by ring inside the rectangle
    std::vector<uint8_t> aIn(N, 0);
    for (size_t k = 0; k < N; ++k) aIn[k] = aPrim[k] >= 0;
    for (int ring = 0; ring < rp.nOutline; ++ring) {
        std::vector<size_t> aMark;
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px) {
                size_t k = size_t(py) * w + px;
                if (aIn[k]) continue;
                bool bNear = false;
                for (int dy = -1; dy <= 1 && !bNear; ++dy)
                    for (int dx = -1; dx <= 1 && !bNear; ++dx) {
                        if (dx == 0 && dy == 0) continue;
                        if (dx != 0 && dy != 0 && !rp.bOutlineDiagonals) continue;
                        int qx = px + dx, qy = py + dy;
                        if (qx < 0 || qy < 0 || qx >= w || qy >= h) continue;
                        bNear = aIn[size_t(qy) * w + qx] != 0;
                    }
                if (bNear) aMark.push_back(k);
            }
        for (size_t k : aMark) {
            aIn[k] = 1;
            canvas.Set(x0 + int(k % w), y0 + int(k / w), rp.outline);
        }
    }
}
