#include "platform/silence_watch.h"

#include <cmath>

void CSilenceWatch::Watch(const float* pSamples, int nFrames, bool bVoicesSounding) {
    if (nFrames <= 0) return;
    if (bVoicesSounding) {
        m_qwQuiet = 0;
        return;
    }
    // The last frame with a sample that can be heard ends the count; the frames after it begin it.
    // A sample that is not a number counts as heard.
    int nLastHeard = -1;
    for (int i = 2 * nFrames - 1; i >= 0; --i) {
        if (!(std::fabs(pSamples[i]) < INAUDIBLE)) {
            nLastHeard = i / 2;
            break;
        }
    }
    if (nLastHeard >= 0)
        m_qwQuiet = uint64_t(nFrames - 1 - nLastHeard);
    else
        m_qwQuiet += uint64_t(nFrames);
}
