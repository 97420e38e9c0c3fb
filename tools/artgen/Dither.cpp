#include "Dither.h"

#include "DetMath.h"

static const int BAYER8[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                 {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                 {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                 {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

static const int BAYER4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

double BayerThreshold(int x, int y) { return (BAYER8[y & 7][x & 7] + 0.5) / 64.0; }
double Bayer4Threshold(int x, int y) { return (BAYER4[y & 3][x & 3] + 0.5) / 16.0; }

int DitherLevel(double v, int nLevels, int x, int y) {
    v = Clamp(v, 0.0, nLevels - 1.0);
    int i = FloorInt(v);
    if (i >= nLevels - 1) return nLevels - 1;
    return (v - i) > BayerThreshold(x, y) ? i + 1 : i;
}

SColor DitherRamp(const std::vector<SColor>& aRamp, double t, int x, int y) {
    int n = static_cast<int>(aRamp.size());
    return aRamp[DitherLevel(t * (n - 1), n, x, y)];
}

SColor PickRamp(const std::vector<SColor>& aRamp, double t) {
    int n = static_cast<int>(aRamp.size());
    return aRamp[ClampInt(RoundInt(Clamp(t, 0.0, 1.0) * (n - 1)), 0, n - 1)];
}
