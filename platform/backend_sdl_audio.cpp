// The SDL2 back end's sound: one output device that pulls the program's mix.
//
// Float stereo at 48 kHz (or whatever rate the device insists on; the mix follows it), 512 frames a
// callback, so a sound starts within about 11 ms of its Play.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>

#include "platform/audio_out.h"
#include "platform/backend.h"

namespace {
SDL_AudioDeviceID g_device = 0;
bool g_subsystem = false;

constexpr int DEVICE_RATE = 48000;
constexpr int DEVICE_FRAMES = 512;

void Callback(void*, Uint8* stream, int len) {
    audio_out::Render(reinterpret_cast<float*>(stream), len / static_cast<int>(sizeof(float) * 2));
}

// Without a sound card the ALSA library reports every step of its failed search on stderr before SDL
// gives up; our one line says all of it. Its error handler is turned off while SDL looks for a device.
typedef void (*AlsaErrorHandler)(const char* file, int line, const char* function, int err, const char* fmt, ...);
typedef int (*AlsaSetErrorHandler)(AlsaErrorHandler handler);

void AlsaQuiet(const char*, int, const char*, int, const char*, ...) {}

void SetAlsaQuiet(bool quiet) {
    // The library SDL itself loads; left open so the setting holds.
    static void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (alsa == nullptr) return;
    auto set = reinterpret_cast<AlsaSetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (set != nullptr) set(quiet ? &AlsaQuiet : nullptr);
}

bool NoSound() {
    std::fprintf(stderr, "tesselor: no sound: %s\n", SDL_GetError());
    if (g_subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_subsystem = false;
    SetAlsaQuiet(false);
    return false;
}
}  // namespace

namespace backend {

bool OpenAudio(int* rate) {
    if (g_device != 0) return true;
    SetAlsaQuiet(true);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return NoSound();
    g_subsystem = true;
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = DEVICE_RATE;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = DEVICE_FRAMES;
    want.callback = &Callback;
    g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (g_device == 0) return NoSound();
    SetAlsaQuiet(false);
    *rate = have.freq;
    SDL_PauseAudioDevice(g_device, 0);
    return true;
}

void CloseAudio() {
    if (g_device != 0) {
        SDL_CloseAudioDevice(g_device);
        g_device = 0;
    }
    if (g_subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_subsystem = false;
}

}  // namespace backend
