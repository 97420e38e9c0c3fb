#include "Clouds.h"

#include <algorithm>
#include <cmath>

#include "DetMath.h"
#include "Noise.h"

CCloudField::CCloudField(int nWidth, int nHeight, int nPeriodX, int nPeriodY)
    : m_nWidth(nWidth),
      m_nHeight(nHeight),
      m_nPeriodX(nPeriodX),
      m_nPeriodY(nPeriodY),
      m_aHeight(size_t(nWidth) * nHeight, -1.0f) {}

int CCloudField::Wrap(int v, int n, int p) const {
    if (p > 0) return ((v % p) + p) % p;
    return v < 0 ? -1 : (v >= n ? -1 : v);
}

double CCloudField::At(int x, int y) const {
    if (x < 0 && m_bSolidLeft) x = 0;
    if (x >= m_nWidth && m_bSolidRight) x = m_nWidth - 1;
    int wx = Wrap(x, m_nWidth, m_nPeriodX), wy = Wrap(y, m_nHeight, m_nPeriodY);
    if (wx < 0 || wy < 0 || wx >= m_nWidth || wy >= m_nHeight) return -1.0;
    return m_aHeight[size_t(wy) * m_nWidth + wx];
}

void CCloudField::AddPuff(const SCloudPuff& p, double dFlatten) {
    // with wrapping, a puff is drawn once more on each side of the period
    for (int oy = -1; oy <= 1; ++oy) {
        if (oy != 0 && m_nPeriodY <= 0) continue;
        for (int ox = -1; ox <= 1; ++ox) {
            if (ox != 0 && m_nPeriodX <= 0) continue;
            double cx = p.x + ox * m_nPeriodX, cy = p.y + oy * m_nPeriodY;
            int x0 = std::max(0, FloorInt(cx - p.r)), x1 = std::min(m_nWidth - 1, FloorInt(cx + p.r) + 1);
            int y0 = std::max(0, FloorInt(cy - p.r)), y1 = std::min(m_nHeight - 1, FloorInt(cy + p.r) + 1);
            for (int y = y0; y <= y1; ++y) {
                double dy = y + 0.5 - cy;
                for (int x = x0; x <= x1; ++x) {
                    double dx = x + 0.5 - cx;
                    double d2 = p.r * p.r - dx * dx - dy * dy;
                    if (d2 <= 0) continue;
                    float hgt = float(p.z + dFlatten * std::sqrt(d2));
                    float& cell = m_aHeight[size_t(y) * m_nWidth + x];
                    if (hgt > cell) cell = hgt;
                }
            }
        }
    }
}

void CCloudField::AddFloor(double dBase, double dAmplitude, double dCell, uint32_t nSeed) {
    for (int y = 0; y < m_nHeight; ++y)
        for (int x = 0; x < m_nWidth; ++x) {
            double f = dBase + dAmplitude * FractalNoise(x, y, dCell, 3, m_nPeriodX, m_nPeriodY, nSeed);
            float& cell = m_aHeight[size_t(y) * m_nWidth + x];
            if (f > cell) cell = float(f);
        }
}

void CCloudField::AddTexture(double dAmplitude, double dCell, uint32_t nSeed) {
    for (int y = 0; y < m_nHeight; ++y)
        for (int x = 0; x < m_nWidth; ++x) {
            float& cell = m_aHeight[size_t(y) * m_nWidth + x];
            if (cell < 0) continue;
            cell += float(dAmplitude * (FractalNoise(x, y, dCell, 3, m_nPeriodX, m_nPeriodY, nSeed) - 0.5));
            if (cell < 0) cell = 0;
        }
}

void CCloudField::Soften(int nRadius) {
    const int W = m_nWidth, H = m_nHeight;
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<float> tmp(m_aHeight.size(), -1.0f);
        // horizontal, then vertical; an uncovered pixel counts as a low edge
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                if (m_aHeight[size_t(y) * W + x] < 0) continue;
                double sum = 0;
                for (int d = -nRadius; d <= nRadius; ++d) sum += std::max(0.0, At(x + d, y));
                tmp[size_t(y) * W + x] = float(sum / (2 * nRadius + 1));
            }
        std::vector<float> out(m_aHeight.size(), -1.0f);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                if (tmp[size_t(y) * W + x] < 0) continue;
                double sum = 0;
                for (int d = -nRadius; d <= nRadius; ++d) {
                    int wy = Wrap(y + d, H, m_nPeriodY);
                    double v = (wy < 0 || wy >= H) ? 0.0 : std::max(0.0f, tmp[size_t(wy) * W + x]);
                    sum += v;
                }
                out[size_t(y) * W + x] = float(sum / (2 * nRadius + 1));
            }
        m_aHeight.swap(out);
    }
}

std::vector<float> CCloudField::Shade(double dAmbient) const {
    std::vector<float> out(size_t(m_nWidth) * m_nHeight, -1.0f);
    double lx = -0.5, ly = -0.72, lz = 0.62;
    double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    lx /= ll;
    ly /= ll;
    lz /= ll;
    // the typical height range, for the darkening of deep parts
    double hMax = 1;
    for (float h : m_aHeight) hMax = std::max(hMax, double(h));
    for (int y = 0; y < m_nHeight; ++y)
        for (int x = 0; x < m_nWidth; ++x) {
            double h = At(x, y);
            if (h < 0) continue;
            auto side = [&](int qx, int qy) {
                double v = At(qx, qy);
                return v < 0 ? h - 2.5 : v;  // the edge of a cloud falls away
            };
            double dx = (side(x + 1, y) - side(x - 1, y)) * 0.5;
            double dy = (side(x, y + 1) - side(x, y - 1)) * 0.5;
            double nx = -dx, ny = -dy, nz = 1.0;
            double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
            double diff = std::max(0.0, (nx * lx + ny * ly + nz * lz) / nl);
            double depth = Clamp(h / hMax, 0.0, 1.0);
            double v = dAmbient + (1.0 - dAmbient) * diff;
            v *= 0.7 + 0.3 * depth;
            out[size_t(y) * m_nWidth + x] = float(Clamp(v, 0.0, 1.0));
        }
    return out;
}

const std::vector<SColor>& CloudRamp() {
    static const std::vector<SColor> RAMP = {{58, 86, 146},   {84, 114, 172},  {114, 144, 198},
                                             {146, 172, 218}, {176, 198, 234}, {202, 218, 242},
                                             {224, 234, 249}, {242, 247, 253}, {255, 255, 255}};
    return RAMP;
}

void ScatterCumulus(CCloudField& field, double x0, double y0, double w, double h, double dScale, double dDensity,
                    uint32_t nSeed) {
    CRandom rnd(nSeed);
    // big mounds on a jittered grid, so the cover is even
    double cell = 58 * dScale;
    for (double gy = y0; gy < y0 + h; gy += cell)
        for (double gx = x0; gx < x0 + w; gx += cell) {
            if (rnd.Unit() > dDensity) continue;
            double r = rnd.Range(28, 52) * dScale;
            field.AddPuff({gx + rnd.Range(0, cell), gy + rnd.Range(0, cell), r, rnd.Range(0, 10) * dScale});
        }
    // billows on the mounds, tufts on the billows
    struct SLayer {
        double rMin, rMax;
        int nCount;
        double sink;
    };
    const SLayer layers[2] = {{10, 22, int(w * h / (300 * dScale * dScale)), 0.55},
                              {4, 8, int(w * h / (160 * dScale * dScale)), 0.62}};
    for (const SLayer& layer : layers) {
        for (int i = 0; i < layer.nCount; ++i) {
            double x = x0 + rnd.Range(0, w), y = y0 + rnd.Range(0, h);
            double r = rnd.Range(layer.rMin, layer.rMax) * dScale;
            double s = field.Surface(x, y);
            if (s < 0) continue;
            field.AddPuff({x, y, r, s - r * layer.sink});
        }
    }
}
