// ParseWaveImage on damaged "WAVE" resources: the image is an exact-size heap copy, bounded by its
// size as the resource road bounds it by SizeofResource. Whatever it hands back must lie inside the
// image, and a buffer made from it must take its samples without reading past them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "audio/wavelib.h"
#include "platform/audio_out.h"

namespace {

IDirectSound* SoundObject() {
    static IDirectSound* ds = [] {
        IDirectSound* p = nullptr;
        if (audio_out::Open()) DirectSoundCreate(nullptr, &p, nullptr);
        return p;
    }();
    return ds;
}

// Reads every byte of [p, p + n) so the sanitizer sees any that lie outside the image.
unsigned Touch(const uint8_t* p, size_t n) {
    unsigned sum = 0;
    for (size_t i = 0; i < n; ++i) sum += p[i];
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    std::unique_ptr<uint8_t[]> image(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(image.get(), data, size);
    volatile unsigned sink = 0;

    // Every combination of wanted outputs walks differently.
    for (int want = 0; want < 8; ++want) {
        LPWAVEFORMATEX fmt = nullptr;
        LPBYTE samples = nullptr;
        DWORD bytes = 0;
        int r = ParseWaveImage(image.get(), DWORD(size), (want & 1) ? &fmt : nullptr, (want & 2) ? &samples : nullptr,
                               (want & 4) ? &bytes : nullptr);
        if (r != 1) continue;
        if (fmt) sink = sink + Touch(reinterpret_cast<const uint8_t*>(fmt), sizeof(PCMWAVEFORMAT));
        if (samples && (want & 4)) sink = sink + Touch(samples, bytes);
    }

    // The full road from the parse to a filled buffer, as CreateWaveBuffer takes it.
    LPWAVEFORMATEX fmt = nullptr;
    LPBYTE samples = nullptr;
    DWORD bytes = 0;
    IDirectSound* ds = SoundObject();
    if (ds && ParseWaveImage(image.get(), DWORD(size), &fmt, &samples, &bytes) == 1) {
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof(DSBUFFERDESC);
        desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = fmt;
        IDirectSoundBuffer* b = nullptr;
        if (ds->CreateSoundBuffer(&desc, &b, nullptr) == DS_OK) {
            CopyToSoundBuffer(b, samples, bytes);
            b->Release();
        }
    }
    return 0;
}
