// Maths that gives the same bits on every run: only + - * / and sqrt, which IEEE rounds exactly,
// and our own sine instead of the C library's.
#pragma once
#include <cmath>
#include <cstdint>

const double PI = 3.14159265358979323846;

inline double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline int ClampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline double Lerp(double a, double b, double t) { return a + (b - a) * t; }
inline double Smoothstep(double e0, double e1, double x) {
    double t = Clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Float to int without undefined behaviour for huge or odd values.
inline int FloorInt(double v) {
    if (!(v > -1e9)) return -1000000000;
    if (v > 1e9) return 1000000000;
    return static_cast<int>(std::floor(v));
}
inline int RoundInt(double v) { return FloorInt(v + 0.5); }

// Sine by range reduction and a Taylor series of degree 15: plenty for pictures.
inline double DetSin(double x) {
    double k = std::floor(x / (2.0 * PI) + 0.5);
    x -= k * 2.0 * PI;  // now in [-pi, pi]
    if (x > PI / 2)
        x = PI - x;  // fold to [-pi/2, pi/2]
    else if (x < -PI / 2)
        x = -PI - x;
    double x2 = x * x, term = x, sum = x;
    for (int n = 1; n <= 7; ++n) {
        term *= -x2 / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sum;
}
inline double DetCos(double x) { return DetSin(x + PI / 2); }

// x to the power of a whole number n >= 0.
inline double PowInt(double x, int n) {
    double r = 1.0;
    while (n > 0) {
        if (n & 1) r *= x;
        x *= x;
        n >>= 1;
    }
    return r;
}

// A small, fast, fully deterministic random source for placing things.
class CRandom {
public:
    explicit CRandom(uint32_t nSeed) : m_nState(nSeed ? nSeed : 0x9E3779B9u) {}
    uint32_t Next() {
        // xorshift32
        m_nState ^= m_nState << 13;
        m_nState ^= m_nState >> 17;
        m_nState ^= m_nState << 5;
        return m_nState;
    }
    int Int(int nLo, int nHi)  // inclusive
    {
        uint32_t span = static_cast<uint32_t>(nHi - nLo + 1);
        return nLo + static_cast<int>(Next() % span);
    }
    double Unit() { return (Next() >> 8) / 16777216.0; }  // [0,1)
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    bool Chance(int nPercent) { return Int(0, 99) < nPercent; }

private:
    uint32_t m_nState;
};
