// Integer-only building blocks for the sound generator: the same bytes on every compiler,
// optimisation level and machine, so the committed sounds can be regenerated exactly.
#pragma once

#include <cstdint>
#include <vector>

// Sine of a phase (a full turn is 2^32) as a Q15 value in [-32767, 32767].
int32_t FixedSine(uint32_t nPhase);

// Phase step per sample for a frequency given in 1/256 Hz at a sample rate in Hz.
uint32_t PhaseStep(uint32_t nFreq256, uint32_t nRate);

// A small, fixed-seed noise source (32-bit xorshift).
class CNoise {
public:
    explicit CNoise(uint32_t nSeed) : m_nState(nSeed ? nSeed : 0x9E3779B9u) {}
    uint32_t NextBits();
    int32_t NextSample();  // uniform in [-32768, 32767]
    uint32_t NextBelow(uint32_t nLimit);

private:
    uint32_t m_nState;
};

// One-pole low-pass filter in Q16: y += (x - y) * coeff.
class COnePole {
public:
    int32_t Run(int32_t nIn, int32_t nCoeffQ16);

private:
    int64_t m_nState = 0;
};

// Scales a signal so that its largest magnitude becomes nPeak (rounded to nearest).
std::vector<int32_t> Normalise(const std::vector<int32_t>& samples, int32_t nPeak);
