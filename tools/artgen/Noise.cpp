#include "Noise.h"

#include <cmath>

#include "DetMath.h"

uint32_t HashInts(int32_t x, int32_t y, uint32_t nSeed) {
    uint32_t h = nSeed * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double HashUnit(int32_t x, int32_t y, uint32_t nSeed) { return (HashInts(x, y, nSeed) >> 8) / 16777216.0; }

static int Wrap(int v, int n) { return n > 0 ? ((v % n) + n) % n : v; }

double ValueNoise(double x, double y, double dCell, int nPeriodX, int nPeriodY, uint32_t nSeed) {
    double fx = x / dCell, fy = y / dCell;
    int ix = FloorInt(fx), iy = FloorInt(fy);
    double tx = fx - ix, ty = fy - iy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    int px = nPeriodX > 0 ? RoundInt(nPeriodX / dCell) : 0;
    int py = nPeriodY > 0 ? RoundInt(nPeriodY / dCell) : 0;
    int x0 = Wrap(ix, px), x1 = Wrap(ix + 1, px), y0 = Wrap(iy, py), y1 = Wrap(iy + 1, py);
    double a = HashUnit(x0, y0, nSeed), b = HashUnit(x1, y0, nSeed);
    double c = HashUnit(x0, y1, nSeed), d = HashUnit(x1, y1, nSeed);
    return Lerp(Lerp(a, b, tx), Lerp(c, d, tx), ty);
}

double FractalNoise(double x, double y, double dCell, int nOctaves, int nPeriodX, int nPeriodY, uint32_t nSeed) {
    double sum = 0, weight = 1, total = 0;
    for (int o = 0; o < nOctaves; ++o) {
        sum += weight * ValueNoise(x, y, dCell, nPeriodX, nPeriodY, nSeed + 1013u * o);
        total += weight;
        weight *= 0.5;
        dCell *= 0.5;
    }
    return sum / total;
}
