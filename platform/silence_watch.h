// Tells when a synthesiser has fallen silent, so that the mix can stop rendering it until its next
// message: no voice sounding, and every sample it rendered over the last stretch below half the
// smallest step of a 24-bit output (FluidSynth's reverb never decays to exact zeros; it settles a
// little above 1e-8).
#pragma once

#include <cstdint>

class CSilenceWatch {
public:
    // Below this a sample is silence on any output.
    static constexpr float INAUDIBLE = 1.0f / (1 << 24);

    // Silent once nothing was heard for nQuietFrames frames: long enough for every delay line of
    // the reverb and chorus (tens of milliseconds) to have passed its contents to the output.
    explicit CSilenceWatch(int nQuietFrames) : m_qwQuietFrames(nQuietFrames > 0 ? uint64_t(nQuietFrames) : 1) {}

    // A message reached the synthesiser: whatever it does, it is heard out again.
    void Reset() { m_qwQuiet = 0; }
    // The synthesiser rendered nFrames stereo frames (interleaved) with voices sounding or not.
    void Watch(const float* pSamples, int nFrames, bool bVoicesSounding);
    bool IsSilent() const { return m_qwQuiet >= m_qwQuietFrames; }

private:
    const uint64_t m_qwQuietFrames;
    uint64_t m_qwQuiet = 0;  // frames since the last one heard
};
