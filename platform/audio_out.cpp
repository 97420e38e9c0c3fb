#include "platform/audio_out.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/backend.h"

namespace audio_out {
namespace {

std::mutex g_openMutex;
bool g_open = false;
bool g_tried = false;
int g_rate = 48000;

// Held while the mix runs, so RemoveSource can promise that a removed source is no longer mixed.
std::mutex g_mixMutex;
std::vector<Source*> g_sources;

std::vector<void (*)()> g_hooks;

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

}  // namespace

bool Open() {
    std::lock_guard<std::mutex> lock(g_openMutex);
    if (!g_tried) {
        g_tried = true;
        int rate = 0;
        g_open = backend::OpenAudio(&rate);
        if (g_open && rate > 0) g_rate = rate;
    }
    return g_open;
}

bool IsOpen() {
    std::lock_guard<std::mutex> lock(g_openMutex);
    return g_open;
}

int SampleRate() { return g_rate; }

void AddSource(Source* source) {
    std::lock_guard<std::mutex> lock(g_mixMutex);
    if (std::find(g_sources.begin(), g_sources.end(), source) == g_sources.end()) g_sources.push_back(source);
}

void RemoveSource(Source* source) {
    std::lock_guard<std::mutex> lock(g_mixMutex);
    g_sources.erase(std::remove(g_sources.begin(), g_sources.end(), source), g_sources.end());
}

void Render(float* out, int frames) {
    if (frames <= 0) return;
    std::memset(out, 0, sizeof(float) * 2 * static_cast<size_t>(frames));
    std::lock_guard<std::mutex> lock(g_mixMutex);
    bool bAdded = false;
    for (Source* s : g_sources) bAdded |= s->Mix(out, frames);
    if (!bAdded) return;  // silence stays silence through the gain and the limiter
    for (int i = 0; i < frames * 2; ++i) out[i] = Limit(out[i] * kMasterGain);
}

void AddShutdownHook(void (*hook)()) {
    std::lock_guard<std::mutex> lock(g_openMutex);
    g_hooks.push_back(hook);
}

void Shutdown() {
    std::vector<void (*)()> hooks;
    {
        std::lock_guard<std::mutex> lock(g_openMutex);
        hooks.swap(g_hooks);
    }
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) (*it)();
    std::lock_guard<std::mutex> lock(g_openMutex);
    if (g_open) backend::CloseAudio();
    g_open = false;
    g_tried = false;
}

}  // namespace audio_out
