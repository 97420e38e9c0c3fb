#include "platform/audio_out.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/backend.h"

namespace audio_out {
namespace {

std::mutex g_openMutex;
bool g_open = false;
bool g_tried = false;
bool g_exitHookSet = false;
int g_rate = 48000;

// The lists below are never destroyed: the device's thread and the music's threads may still reach
// them while the program ends through exit() and the static objects go.
struct Mix {
    // Held while the mix runs, so RemoveSource can promise that a removed source is no longer mixed.
    std::mutex mutex;
    std::vector<Source*> sources;
};
Mix& TheMix() {
    static Mix* pMix = new Mix;
    return *pMix;
}

std::vector<void (*)()>& Hooks() {
    static auto* pHooks = new std::vector<void (*)()>;
    return *pHooks;
}

// Sources sum into this much headroom before the limiter.
constexpr float kMasterGain = 0.7f;

float Limit(float x) {
    // Transparent below 0.8, soft above, never beyond 1.
    float a = std::fabs(x);
    if (a <= 0.8f) return x;
    float over = (a - 0.8f) / 0.2f;
    float y = 0.8f + 0.2f * (over / (1.0f + over));
    return x < 0 ? -y : y;
}

// On the way out through exit() the device stops first, so that its thread is not still running
// through the device's libraries while they are torn down. It is not opened again after that.
void CloseAtExit() {
    std::lock_guard<std::mutex> lock(g_openMutex);
    if (g_open) backend::CloseAudio();
    g_open = false;
    g_tried = true;
}

}  // namespace

bool Open() {
    std::lock_guard<std::mutex> lock(g_openMutex);
    if (!g_tried) {
        g_tried = true;
        int rate = 0;
        g_open = backend::OpenAudio(&rate);
        if (g_open && rate > 0) g_rate = rate;
        if (g_open && !g_exitHookSet) g_exitHookSet = std::atexit(&CloseAtExit) == 0;
    }
    return g_open;
}

bool IsOpen() {
    std::lock_guard<std::mutex> lock(g_openMutex);
    return g_open;
}

int SampleRate() { return g_rate; }

void AddSource(Source* source) {
    Mix& mix = TheMix();
    std::lock_guard<std::mutex> lock(mix.mutex);
    if (std::find(mix.sources.begin(), mix.sources.end(), source) == mix.sources.end())
        mix.sources.push_back(source);
}

void RemoveSource(Source* source) {
    Mix& mix = TheMix();
    std::lock_guard<std::mutex> lock(mix.mutex);
    mix.sources.erase(std::remove(mix.sources.begin(), mix.sources.end(), source), mix.sources.end());
}

void Render(float* out, int frames) {
    if (frames <= 0) return;
    std::memset(out, 0, sizeof(float) * 2 * static_cast<size_t>(frames));
    Mix& mix = TheMix();
    std::lock_guard<std::mutex> lock(mix.mutex);
    bool bAdded = false;
    for (Source* s : mix.sources) bAdded |= s->Mix(out, frames);
    if (!bAdded) return;  // silence stays silence through the gain and the limiter
    for (int i = 0; i < frames * 2; ++i) out[i] = Limit(out[i] * kMasterGain);
}

void AddShutdownHook(void (*hook)()) {
    std::lock_guard<std::mutex> lock(g_openMutex);
    Hooks().push_back(hook);
}

void Shutdown() {
    std::vector<void (*)()> hooks;
    {
        std::lock_guard<std::mutex> lock(g_openMutex);
        hooks.swap(Hooks());
    }
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) (*it)();
    std::lock_guard<std::mutex> lock(g_openMutex);
    if (g_open) backend::CloseAudio();
    g_open = false;
    g_tried = false;
}

}  // namespace audio_out
