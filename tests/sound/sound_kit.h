// What the sound tests share: RIFF forms built byte by byte, the mix as heard, and
// sounds decoded and resampled the way the mixer should play them.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/audio_out.h"
#include "platform/dsound.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace soundtest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

inline void PutId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

// A chunk: id, size (the body's, unless told otherwise), body, pad byte after an odd body.
inline Bytes Chunk(const char* id, const Bytes& body, int64_t claimedSize = -1, bool pad = true) {
    Bytes b;
    PutId(b, id);
    Put32(b, claimedSize >= 0 ? uint32_t(claimedSize) : uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && (body.size() & 1)) b.push_back(0);
    return b;
}

// A RIFF form of the given type around the chunks; the RIFF size is right unless told otherwise.
inline Bytes Form(const char* type, const std::vector<Bytes>& chunks, int64_t claimedSize = -1) {
    Bytes body;
    PutId(body, type);
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return Chunk("RIFF", body, claimedSize, false);
}

// A "fmt " body: the 16 PCMWAVEFORMAT bytes, then (when extra >= 0) cbSize and that many bytes.
inline Bytes FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, int extra = -1) {
    Bytes b;
    uint16_t align = uint16_t(channels * bits / 8);
    Put16(b, tag);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, rate * align);
    Put16(b, align);
    Put16(b, bits);
    if (extra >= 0) {
        Put16(b, uint32_t(extra));
        for (int i = 0; i < extra; ++i) b.push_back(uint8_t(0xA0 + i));
    }
    return b;
}

inline Bytes Ramp(size_t n, uint8_t first = 0) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(first + i);
    return b;
}

inline bool HaveSox() { return std::system("sox --version >/dev/null 2>&1") == 0; }

// The stream as the device would hear it: `frames` stereo frames (L, R interleaved).
inline std::vector<float> Hear(int frames) {
    std::vector<float> out(size_t(frames) * 2);
    audio_out::Render(out.data(), frames);
    return out;
}

// PCM bytes as floats in [-1, 1), one per sample (8-bit unsigned, 16-bit signed little-endian).
inline std::vector<float> Decode(const uint8_t* p, size_t bytes, int bits) {
    std::vector<float> s;
    if (bits == 8) {
        for (size_t i = 0; i < bytes; ++i) s.push_back((int(p[i]) - 128) / 128.0f);
    } else {
        for (size_t i = 0; i + 1 < bytes; i += 2) s.push_back(int16_t(p[i] | (p[i + 1] << 8)) / 32768.0f);
    }
    return s;
}

// A mono sound at `rate` as heard at `deviceRate`: linear interpolation, the last sample leading to silence.
inline std::vector<float> Resample(const std::vector<float>& s, int rate, int deviceRate, int frames) {
    std::vector<float> out(size_t(frames), 0.0f);
    for (int i = 0; i < frames; ++i) {
        double x = double(i) * rate / deviceRate;
        size_t k = size_t(x);
        if (k >= s.size()) break;
        double t = x - double(k);
        double next = k + 1 < s.size() ? s[k + 1] : 0.0;
        out[size_t(i)] = float(s[k] + (next - s[k]) * t);
    }
    return out;
}

// One channel of a heard stream.
inline std::vector<float> Channel(const std::vector<float>& stereo, int ch) {
    std::vector<float> c;
    for (size_t i = size_t(ch); i < stereo.size(); i += 2) c.push_back(stereo[i]);
    return c;
}

// How well `heard` is `expected` scaled by one gain: the gain, and the largest leftover after scaling.
struct Fit {
    double gain;
    double maxError;
};

inline Fit FitGain(const std::vector<float>& heard, const std::vector<float>& expected) {
    double num = 0, den = 0;
    size_t n = std::min(heard.size(), expected.size());
    for (size_t i = 0; i < n; ++i) {
        num += double(heard[i]) * expected[i];
        den += double(expected[i]) * expected[i];
    }
    Fit f{den > 0 ? num / den : 0.0, 0.0};
    for (size_t i = 0; i < std::max(heard.size(), expected.size()); ++i) {
        double h = i < heard.size() ? heard[i] : 0.0;
        double e = i < expected.size() ? expected[i] : 0.0;
        f.maxError = std::max(f.maxError, std::fabs(h - f.gain * e));
    }
    return f;
}

inline double Peak(const std::vector<float>& v) {
    double p = 0;
    for (float x : v) p = std::max(p, double(std::fabs(x)));
    return p;
}

// A sound buffer made through the DirectSound object and filled with `data`.
inline IDirectSoundBuffer* MakeBuffer(IDirectSound* ds, uint16_t channels, uint32_t rate, uint16_t bits,
                                      const Bytes& data) {
    Bytes fmt = FmtBody(1, channels, rate, bits, 0);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = DSBCAPS_STATIC;
    desc.dwBufferBytes = DWORD(data.size());
    desc.lpwfxFormat = reinterpret_cast<LPWAVEFORMATEX>(fmt.data());
    IDirectSoundBuffer* b = nullptr;
    if (ds->CreateSoundBuffer(&desc, &b, nullptr) != DS_OK) return nullptr;
    LPVOID p1 = nullptr, p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    if (b->Lock(0, DWORD(data.size()), &p1, &n1, &p2, &n2, 0) != DS_OK) {
        b->Release();
        return nullptr;
    }
    std::memcpy(p1, data.data(), n1);
    b->Unlock(p1, n1, p2, n2);
    return b;
}

inline bool IsPlaying(IDirectSoundBuffer* b) {
    DWORD status = 0;
    return b->GetStatus(&status) == DS_OK && (status & DSBSTATUS_PLAYING) != 0;
}

}  // namespace soundtest
