// The SDL2 back end's sound: one output device that pulls the program's mix.
#include <SDL.h>

#include <cstdio>

#include "platform/audio_out.h"
#include "platform/backend.h"

namespace {
SDL_AudioDeviceID g_device = 0;

void Callback(void*, Uint8* stream, int len) {
    audio_out::Render(reinterpret_cast<float*>(stream), len / static_cast<int>(sizeof(float) * 2));
}
}  // namespace

namespace backend {

bool OpenAudio(int* rate) {
    if (g_device != 0) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "tesselor: no sound: %s\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = 48000;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 512;
    want.callback = &Callback;
    g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (g_device == 0) {
        std::fprintf(stderr, "tesselor: no sound: %s\n", SDL_GetError());
        return false;
    }
    *rate = have.freq;
    SDL_PauseAudioDevice(g_device, 0);
    return true;
}

void CloseAudio() {
    if (g_device != 0) {
        SDL_CloseAudioDevice(g_device);
        g_device = 0;
    }
}

}  // namespace backend
