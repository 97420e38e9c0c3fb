#include "tools/soundgen/Sounds.h"

#include "tools/soundgen/FixedSynth.h"

namespace {

const int64_t Q16 = 65536;

// A frequency (or coefficient) that glides from nStart towards nEnd, fast at first:
// nEnd + (nStart - nEnd) * D / (D + n).
int64_t Glide(int64_t nStart, int64_t nEnd, int64_t nHalfway, int64_t n) {
    return nEnd + (nStart - nEnd) * nHalfway / (nHalfway + n);
}

// Linear fade factor (Q16) over the last nLength samples of nTotal.
int64_t TailFade(uint32_t n, uint32_t nTotal, uint32_t nLength) {
    uint32_t nLeft = nTotal - 1 - n;
    return nLeft >= nLength ? Q16 : int64_t(nLeft) * Q16 / nLength;
}

}  // namespace

std::vector<uint8_t> MakeHit() {
    const uint32_t N = HIT_SAMPLES;
    // Exponential decays as per-sample factors in Q16: exp(-1 / time constant in samples).
    const int64_t TONE_DECAY = 65351;   // 32 ms
    const int64_t CLICK_DECAY = 62970;  // 2.3 ms
    const uint32_t ATTACK = 6;

    CNoise noise(0x48495421u);
    std::vector<int32_t> mix(N);
    uint32_t nPhase = 0;
    int64_t nToneEnv = Q16 << 8;  // Q24
    int64_t nClickEnv = Q16 << 8;
    int32_t nPrevNoise = 0;

    for (uint32_t n = 0; n < N; ++n) {
        // A bright, band-limited saw that drops from 3 kHz towards 0.7 kHz.
        int64_t nFreq256 = Glide(3000 * 256, 700 * 256, 160, n);
        int64_t nTone = 0;
        for (uint32_t h = 1; h <= 7; ++h) {
            // Harmonics fade out as they near 4.8 kHz so nothing folds back below Nyquist.
            int64_t nHarmHz256 = nFreq256 * h;
            int64_t nRoom = 4800 * 256 - nHarmHz256;
            if (nRoom <= 0) continue;
            int64_t nWeight = nRoom >= 800 * 256 ? Q16 : nRoom * Q16 / (800 * 256);
            nTone += int64_t(FixedSine(nPhase * h)) * nWeight / (Q16 * h);
        }
        nPhase += PhaseStep(uint32_t(nFreq256), HIT_RATE);

        int64_t nAttack = n < ATTACK ? int64_t(n + 1) * Q16 / ATTACK : Q16;
        int64_t nEnv = (nToneEnv >> 8) * nAttack / Q16 * TailFade(n, N, 80) / Q16;
        nToneEnv = nToneEnv * TONE_DECAY / Q16;

        // A short high-passed noise click marks the onset.
        int32_t nWhite = noise.NextSample();
        int64_t nClick = int64_t(nWhite - nPrevNoise) / 2;
        nPrevNoise = nWhite;
        nClick = nClick * (nClickEnv >> 8) / Q16 * nAttack / Q16;
        nClickEnv = nClickEnv * CLICK_DECAY / Q16;

        mix[n] = int32_t(nTone * nEnv / Q16 + nClick / 2);
    }

    std::vector<int32_t> scaled = Normalise(mix, 64);  // half scale: -6 dBFS
    std::vector<uint8_t> out(N);
    for (uint32_t n = 0; n < N; ++n) out[n] = uint8_t(128 + scaled[n]);
    return out;
}

std::vector<int16_t> MakeExplosion() {
    const uint32_t N = EXPLOSION_SAMPLES;
    const int64_t NOISE_DECAY = 65517;    // about 0.16 s
    const int64_t THUMP_DECAY = 65503;    // 90 ms
    const int64_t CRACKLE_DECAY = 63918;  // 1.8 ms
    const uint32_t NOISE_ATTACK = 30;
    const uint32_t THUMP_ATTACK = 12;
    const uint32_t CRACKLE_SPAN = 6000;

    CNoise noise(0x45585031u);
    CNoise crackleDice(0x43524B4Cu);
    COnePole lowpass1, lowpass2;
    std::vector<int32_t> mix(N);
    int64_t nNoiseEnv = Q16 << 8;  // Q24
    int64_t nThumpEnv = Q16 << 8;
    int64_t nCrackleEnv = 0;  // Q16
    int32_t nCrackleSign = 1;
    uint32_t nThumpPhase = 0;

    for (uint32_t n = 0; n < N; ++n) {
        // Noise through two low-passes whose cutoff falls: a bright crack darkening into rumble.
        int32_t nCoeff = int32_t(Glide(36045, 2294, 1800, n));
        int32_t nWhite = noise.NextSample();
        int32_t nLow = lowpass2.Run(lowpass1.Run(nWhite, nCoeff), nCoeff);
        // The narrowing filter loses level; give part of it back so the tail stays heard.
        int64_t nMakeup = Q16 + Q16 * 3 * n / N;
        int64_t nAttack = n < NOISE_ATTACK ? int64_t(n + 1) * Q16 / NOISE_ATTACK : Q16;
        int64_t nEnv = (nNoiseEnv >> 8) * nAttack / Q16;
        int64_t nBody = int64_t(nLow) * nEnv / Q16 * nMakeup / Q16;
        nNoiseEnv = nNoiseEnv * NOISE_DECAY / Q16;

        // The low thump: a sine falling from 140 Hz to 42 Hz.
        int64_t nFreq256 = Glide(140 * 256, 42 * 256, 1500, n);
        int64_t nThumpAtt = n < THUMP_ATTACK ? int64_t(n + 1) * Q16 / THUMP_ATTACK : Q16;
        int64_t nThump = int64_t(FixedSine(nThumpPhase)) * (nThumpEnv >> 8) / Q16 * nThumpAtt / Q16;
        nThumpPhase += PhaseStep(uint32_t(nFreq256), EXPLOSION_RATE);
        nThumpEnv = nThumpEnv * THUMP_DECAY / Q16;

        // Crackle: sparse, short bursts of raw noise, thinning out over the first 0.27 s.
        if (n < CRACKLE_SPAN && crackleDice.NextBelow(CRACKLE_SPAN * 90) < CRACKLE_SPAN - n) {
            nCrackleEnv = Q16 / 2 + crackleDice.NextBelow(Q16 / 2);
            nCrackleSign = (crackleDice.NextBits() & 1) ? 1 : -1;
        }
        int64_t nCrackle = int64_t(noise.NextSample() / 2 + nCrackleSign * 16384) * nCrackleEnv / Q16;
        nCrackleEnv = nCrackleEnv * CRACKLE_DECAY / Q16;

        int64_t nSum = nBody * 3 + nThump * 2 + nCrackle * 3 / 10;
        mix[n] = int32_t(nSum * TailFade(n, N, 1500) / Q16);
    }

    std::vector<int32_t> scaled = Normalise(mix, 23197);  // 0.708 of full scale: -3 dBFS
    return std::vector<int16_t>(scaled.begin(), scaled.end());
}
