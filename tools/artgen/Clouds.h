// Cumulus clouds seen from above: round puffs piled into a height field, lit from the upper left and
// dithered onto a short ramp of cloud colours.
#pragma once
#include <cstdint>
#include <vector>

#include "Color.h"

struct SCloudPuff {
    double x, y, r, z;  // centre, radius, base height
};

class CCloudField {
public:
    // nPeriodX / nPeriodY > 0 make the field wrap (puffs near an edge reappear at the other).
    CCloudField(int nWidth, int nHeight, int nPeriodX, int nPeriodY);
    // Treats the space beyond the left or right edge as more cloud (for banks that leave the screen).
    void SetSolidSides(bool bLeft, bool bRight) {
        m_bSolidLeft = bLeft;
        m_bSolidRight = bRight;
    }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // Piles a puff onto the field: a flattened half-sphere.
    void AddPuff(const SCloudPuff& puff, double dFlatten = 0.65);
    // Raises the whole field to at least this height (a solid cloud floor).
    void AddFloor(double dBase, double dAmplitude, double dCell, uint32_t nSeed);
    // Fine fractal texture on the covered parts.
    void AddTexture(double dAmplitude, double dCell, uint32_t nSeed);
    double At(int x, int y) const;  // wraps where the field wraps; < 0 means no cloud
    // The height at (x, y), -1 without cloud; for placing puffs on top of others.
    double Surface(double x, double y) const { return At(int(x), int(y)); }

    // Softens the creases where puffs meet (two box blurs of the given radius; covered parts only).
    void Soften(int nRadius);
    // Brightness 0..1 of every pixel, -1 where there is no cloud.
    std::vector<float> Shade(double dAmbient = 0.4) const;

private:
    int Wrap(int v, int n, int p) const;
    int m_nWidth, m_nHeight, m_nPeriodX, m_nPeriodY;
    bool m_bSolidLeft = false, m_bSolidRight = false;
    std::vector<float> m_aHeight;
};

// The cloud colours, from the blue of the deepest shadow to pure white.
const std::vector<SColor>& CloudRamp();

// Piles a natural cumulus cover over the rectangle: big mounds, smaller billows on them, small tufts on
// those. dDensity (0..1) is the share of grid cells that get a mound.
void ScatterCumulus(CCloudField& field, double x0, double y0, double w, double h, double dScale, double dDensity,
                    uint32_t nSeed);
