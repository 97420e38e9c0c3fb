#include "tools/soundgen/FixedSynth.h"

#include <array>
#include <cstdlib>

namespace {

const int TABLE_BITS = 10;
const int TABLE_SIZE = 1 << TABLE_BITS;  // entries per quarter turn

// sin(x) for x in Q30 radians, 0 <= x <= pi/2, by its Taylor series in Horner form (Q30 result).
int64_t SineQ30(int64_t x) {
    const int64_t ONE = int64_t(1) << 30;
    int64_t x2 = (x * x) >> 30;
    int64_t t = ONE - x2 / 110;       // 1 - x^2/(10*11)
    t = ONE - ((x2 * t) >> 30) / 72;  // 1 - x^2/(8*9) * ...
    t = ONE - ((x2 * t) >> 30) / 42;
    t = ONE - ((x2 * t) >> 30) / 20;
    t = ONE - ((x2 * t) >> 30) / 6;
    return (x * t) >> 30;
}

// Quarter-wave table with one guard entry, values in Q15.
const std::array<int32_t, TABLE_SIZE + 1>& QuarterTable() {
    static const std::array<int32_t, TABLE_SIZE + 1> table = [] {
        std::array<int32_t, TABLE_SIZE + 1> t{};
        const int64_t HALF_PI_Q30 = 1686629713;  // pi/2 * 2^30
        for (int i = 0; i <= TABLE_SIZE; ++i) {
            int64_t x = HALF_PI_Q30 * i / TABLE_SIZE;
            int64_t s = (SineQ30(x) * 32767 + (int64_t(1) << 29)) >> 30;
            t[i] = int32_t(s > 32767 ? 32767 : s);
        }
        return t;
    }();
    return table;
}

}  // namespace

int32_t FixedSine(uint32_t nPhase) {
    const auto& table = QuarterTable();
    uint32_t nQuadrant = nPhase >> 30;
    uint32_t nInQuarter = nPhase & 0x3FFFFFFFu;                // 30 bits
    if (nQuadrant & 1) nInQuarter = 0x40000000u - nInQuarter;  // mirror: 0 .. 2^30
    uint32_t nIndex = nInQuarter >> (30 - TABLE_BITS);
    uint32_t nFrac = (nInQuarter >> (30 - TABLE_BITS - 16)) & 0xFFFF;
    int32_t a = table[nIndex];
    int32_t b = table[nIndex < TABLE_SIZE ? nIndex + 1 : TABLE_SIZE];
    int32_t v = a + int32_t((int64_t(b - a) * nFrac) >> 16);
    return (nQuadrant & 2) ? -v : v;
}

uint32_t PhaseStep(uint32_t nFreq256, uint32_t nRate) {
    // 2^32 * f / rate, with f = nFreq256 / 256.
    return uint32_t(((uint64_t(nFreq256) << 24) + nRate / 2) / nRate);
}

uint32_t CNoise::NextBits() {
    uint32_t x = m_nState;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    m_nState = x;
    return x;
}

int32_t CNoise::NextSample() { return int32_t(NextBits() >> 16) - 32768; }

uint32_t CNoise::NextBelow(uint32_t nLimit) { return uint32_t((uint64_t(NextBits()) * nLimit) >> 32); }

int32_t COnePole::Run(int32_t nIn, int32_t nCoeffQ16) {
    int64_t nTarget = int64_t(nIn) * 65536;
    m_nState += ((nTarget - m_nState) * nCoeffQ16) >> 16;
    return int32_t(m_nState >> 16);
}

std::vector<int32_t> Normalise(const std::vector<int32_t>& samples, int32_t nPeak) {
    int64_t nMax = 0;
    for (int32_t s : samples) nMax = std::max<int64_t>(nMax, std::llabs(int64_t(s)));
    std::vector<int32_t> out(samples.size(), 0);
    if (nMax == 0) return out;
    for (size_t i = 0; i < samples.size(); ++i) {
        int64_t n = int64_t(samples[i]) * nPeak;
        out[i] = int32_t(n >= 0 ? (n + nMax / 2) / nMax : -((-n + nMax / 2) / nMax));
    }
    return out;
}
