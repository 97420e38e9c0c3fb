// DirectSound on the program's one audio stream.
//
// Each sound buffer keeps the bytes the caller writes through Lock (8-bit unsigned or 16-bit signed
// PCM, mono or stereo, at its own rate) and, from Unlock on, the same samples as floats. A playing
// buffer is a source of the audio stream: the audio thread reads it at the device rate, stepping
// through the samples with linear interpolation. Play, Stop and the rest run on the window thread;
// both sides meet only under the buffer's own mutex.
#include "platform/dsound.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/audio_out.h"

namespace {

// Lock flags.
constexpr DWORD LOCK_FROM_WRITE_CURSOR = 0x00000001;
constexpr DWORD LOCK_ENTIRE_BUFFER = 0x00000002;
// GetStatus: playing in a loop.
constexpr DWORD STATUS_LOOPING = 0x00000004;
// A primary buffer (the device itself) is not offered.
constexpr DWORD CAPS_PRIMARY_BUFFER = 0x00000001;

// Sizes and rates a sound buffer accepts.
constexpr DWORD MIN_BUFFER_BYTES = 4;
constexpr DWORD MAX_BUFFER_BYTES = 32u << 20;
constexpr DWORD MIN_RATE = 100;
constexpr DWORD MAX_RATE = 200000;

// Positions in source frames, 32.32 fixed point.
constexpr int FRAC_BITS = 32;

// The checked copy of a buffer's format.
struct PcmFormat {
    int channels;
    int bits;
    DWORD rate;
    int blockAlign;
};

HRESULT CheckFormat(const WAVEFORMATEX* pwfx, PcmFormat* out) {
    // Only the 16 bytes every PCM format has are read; cbSize means nothing for PCM.
    PCMWAVEFORMAT pcm;
    std::memcpy(&pcm, pwfx, sizeof(pcm));
    if (pcm.wf.wFormatTag != WAVE_FORMAT_PCM) return DSERR_BADFORMAT;
    if (pcm.wf.nChannels != 1 && pcm.wf.nChannels != 2) return DSERR_BADFORMAT;
    if (pcm.wBitsPerSample != 8 && pcm.wBitsPerSample != 16) return DSERR_BADFORMAT;
    if (pcm.wf.nBlockAlign != pcm.wf.nChannels * pcm.wBitsPerSample / 8) return DSERR_BADFORMAT;
    if (pcm.wf.nSamplesPerSec < MIN_RATE || pcm.wf.nSamplesPerSec > MAX_RATE) return DSERR_BADFORMAT;
    out->channels = pcm.wf.nChannels;
    out->bits = pcm.wBitsPerSample;
    out->rate = pcm.wf.nSamplesPerSec;
    out->blockAlign = pcm.wf.nBlockAlign;
    return DS_OK;
}

class CSoundBuffer : public IDirectSoundBuffer, public audio_out::Source {
public:
    CSoundBuffer(const PcmFormat& format, DWORD cbBytes)
        : m_format(format),
          m_bytes(cbBytes, format.bits == 8 ? 0x80 : 0x00),
          m_nFrames(cbBytes / format.blockAlign),
          m_samples(static_cast<size_t>(m_nFrames) * format.channels, 0.0f) {
        audio_out::AddSource(this);
    }

    ULONG AddRef() override { return ++m_nRefs; }

    ULONG Release() override {
        ULONG n = --m_nRefs;
        if (n == 0) {
            // Out of the mix first: once RemoveSource returns, the audio thread is done with us.
            audio_out::RemoveSource(this);
            delete this;
        }
        return n;
    }

    HRESULT GetStatus(LPDWORD lpdwStatus) override {
        if (lpdwStatus == nullptr) return DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> lock(m_mutex);
        *lpdwStatus = m_bPlaying ? DSBSTATUS_PLAYING : 0;
        if (m_bPlaying && m_bLooping) *lpdwStatus |= STATUS_LOOPING;
        return DS_OK;
    }

    HRESULT Lock(DWORD dwWriteCursor, DWORD dwWriteBytes, LPVOID* lplpvAudioPtr1, LPDWORD lpdwAudioBytes1,
                 LPVOID* lplpvAudioPtr2, LPDWORD lpdwAudioBytes2, DWORD dwFlags) override {
        if (lplpvAudioPtr1 == nullptr || lpdwAudioBytes1 == nullptr) return DSERR_INVALIDPARAM;
        *lplpvAudioPtr1 = nullptr;
        *lpdwAudioBytes1 = 0;
        if (lplpvAudioPtr2) *lplpvAudioPtr2 = nullptr;
        if (lpdwAudioBytes2) *lpdwAudioBytes2 = 0;
        const DWORD size = static_cast<DWORD>(m_bytes.size());
        if (dwFlags & ~(LOCK_FROM_WRITE_CURSOR | LOCK_ENTIRE_BUFFER)) return DSERR_INVALIDPARAM;
        if (dwFlags & LOCK_FROM_WRITE_CURSOR) dwWriteCursor = 0;  // a static buffer writes anywhere
        if (dwFlags & LOCK_ENTIRE_BUFFER) dwWriteBytes = size;
        if (dwWriteCursor >= size || dwWriteBytes == 0 || dwWriteBytes > size) return DSERR_INVALIDPARAM;

        // The region may run over the end and go on at the start of the buffer.
        DWORD first = std::min(dwWriteBytes, size - dwWriteCursor);
        DWORD second = dwWriteBytes - first;
        if (second != 0 && (lplpvAudioPtr2 == nullptr || lpdwAudioBytes2 == nullptr)) return DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bLocked) return DSERR_INVALIDCALL;
        m_bLocked = true;
        *lplpvAudioPtr1 = m_bytes.data() + dwWriteCursor;
        *lpdwAudioBytes1 = first;
        if (second != 0) {
            *lplpvAudioPtr2 = m_bytes.data();
            *lpdwAudioBytes2 = second;
        }
        return DS_OK;
    }

    HRESULT Unlock(LPVOID lpvAudioPtr1, DWORD dwAudioBytes1, LPVOID lpvAudioPtr2, DWORD dwAudioBytes2) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_bLocked) return DSERR_INVALIDCALL;
        BYTE* begin = m_bytes.data();
        BYTE* end = begin + m_bytes.size();
        auto inside = [&](LPVOID p, DWORD n) {
            BYTE* b = static_cast<BYTE*>(p);
            return n == 0 || (b >= begin && b <= end && n <= static_cast<size_t>(end - b));
        };
        if (!inside(lpvAudioPtr1, dwAudioBytes1) || !inside(lpvAudioPtr2, dwAudioBytes2)) return DSERR_INVALIDPARAM;
        m_bLocked = false;
        // The written bytes become the samples the mix reads.
        if (dwAudioBytes1) Convert(static_cast<BYTE*>(lpvAudioPtr1) - begin, dwAudioBytes1);
        if (dwAudioBytes2) Convert(static_cast<BYTE*>(lpvAudioPtr2) - begin, dwAudioBytes2);
        return DS_OK;
    }

    HRESULT Play(DWORD, DWORD, DWORD dwFlags) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A buffer already playing goes on where it is; otherwise it starts at its current position,
        // which is its start once a play has run to the end.
        m_bLooping = (dwFlags & DSBPLAY_LOOPING) != 0;
        m_bPlaying = m_nFrames > 0;
        return DS_OK;
    }

    HRESULT SetCurrentPosition(DWORD dwNewPosition) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (dwNewPosition >= m_bytes.size()) return DSERR_INVALIDPARAM;
        m_nPosition = static_cast<uint64_t>(dwNewPosition / m_format.blockAlign) << FRAC_BITS;
        return DS_OK;
    }

    HRESULT Stop() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bPlaying = false;
        return DS_OK;
    }

    // The audio thread: adds this buffer's sound into the stream while it plays.
    bool Mix(float* out, int frames) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_bPlaying) return false;
        const uint64_t end = static_cast<uint64_t>(m_nFrames) << FRAC_BITS;
        const uint64_t step = (static_cast<uint64_t>(m_format.rate) << FRAC_BITS) / audio_out::SampleRate();
        const float* s = m_samples.data();
        const bool stereo = m_format.channels == 2;
        for (int i = 0; i < frames; ++i) {
            if (m_nPosition >= end) {
                if (!m_bLooping) {
                    // Played through: stopped, and back at the start for the next Play.
                    m_bPlaying = false;
                    m_nPosition = 0;
                    return true;
                }
                m_nPosition %= end;
            }
            const uint32_t k = static_cast<uint32_t>(m_nPosition >> FRAC_BITS);
            const float t = static_cast<float>(m_nPosition & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
            // The last frame leads into silence, or round to the first one when looping.
            const uint32_t next = k + 1 < m_nFrames ? k + 1 : (m_bLooping ? 0 : m_nFrames);
            if (stereo) {
                float l0 = s[2 * k], r0 = s[2 * k + 1];
                float l1 = next < m_nFrames ? s[2 * next] : 0.0f;
                float r1 = next < m_nFrames ? s[2 * next + 1] : 0.0f;
                out[2 * i] += l0 + (l1 - l0) * t;
                out[2 * i + 1] += r0 + (r1 - r0) * t;
            } else {
                float v0 = s[k];
                float v1 = next < m_nFrames ? s[next] : 0.0f;
                float v = v0 + (v1 - v0) * t;
                out[2 * i] += v;
                out[2 * i + 1] += v;
            }
            m_nPosition += step;
        }
        if (m_nPosition >= end && !m_bLooping) {
            m_bPlaying = false;
            m_nPosition = 0;
        }
        return true;
    }

private:
    ~CSoundBuffer() override = default;

    // Turns bytes [offset, offset + n) into float samples (whole samples only).
    void Convert(size_t offset, size_t n) {
        const size_t bytesPerSample = static_cast<size_t>(m_format.bits / 8);
        size_t first = offset / bytesPerSample;
        size_t last = std::min((offset + n + bytesPerSample - 1) / bytesPerSample, m_samples.size());
        for (size_t i = first; i < last; ++i) {
            if (m_format.bits == 8) {
                m_samples[i] = (static_cast<int>(m_bytes[i]) - 128) * (1.0f / 128.0f);
            } else {
                int16_t v;
                std::memcpy(&v, &m_bytes[2 * i], 2);
                m_samples[i] = v * (1.0f / 32768.0f);
            }
        }
    }

    const PcmFormat m_format;
    std::vector<BYTE> m_bytes;  // what Lock hands out
    const uint32_t m_nFrames;
    std::vector<float> m_samples;  // m_nFrames × channels, what Mix reads
    std::atomic<ULONG> m_nRefs{1};

    std::mutex m_mutex;  // guards everything below, and m_samples against Unlock
    bool m_bLocked = false;
    bool m_bPlaying = false;
    bool m_bLooping = false;
    uint64_t m_nPosition = 0;
};

class CDirectSound : public IDirectSound {
public:
    ULONG AddRef() override { return ++m_nRefs; }

    ULONG Release() override {
        ULONG n = --m_nRefs;
        if (n == 0) delete this;  // buffers already made live on by their own counts
        return n;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC lpcDSBufferDesc, IDirectSoundBuffer** lplpDirectSoundBuffer,
                              IUnknown* pUnkOuter) override {
        if (lplpDirectSoundBuffer == nullptr) return DSERR_INVALIDPARAM;
        *lplpDirectSoundBuffer = nullptr;
        if (lpcDSBufferDesc == nullptr || pUnkOuter != nullptr) return DSERR_INVALIDPARAM;
        const DSBUFFERDESC& desc = *lpcDSBufferDesc;
        if (desc.dwSize != sizeof(DSBUFFERDESC) || desc.lpwfxFormat == nullptr) return DSERR_INVALIDPARAM;
        if (desc.dwFlags & CAPS_PRIMARY_BUFFER) return DSERR_INVALIDCALL;
        if (desc.dwBufferBytes < MIN_BUFFER_BYTES || desc.dwBufferBytes > MAX_BUFFER_BYTES) return DSERR_INVALIDPARAM;
        PcmFormat format;
        HRESULT hr = CheckFormat(desc.lpwfxFormat, &format);
        if (hr != DS_OK) return hr;
        *lplpDirectSoundBuffer = new CSoundBuffer(format, desc.dwBufferBytes);
        return DS_OK;
    }

    HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwLevel) override {
        // Normal, priority, exclusive and write-primary are all the same to a shared stream.
        if (hwnd == nullptr || dwLevel < DSSCL_NORMAL || dwLevel > 4) return DSERR_INVALIDPARAM;
        return DS_OK;
    }

private:
    ~CDirectSound() override = default;
    std::atomic<ULONG> m_nRefs{1};
};

}  // namespace

HRESULT DirectSoundCreate(GUID* lpGuid, IDirectSound** ppDS, IUnknown* pUnkOuter) {
    if (ppDS == nullptr) return DSERR_INVALIDPARAM;
    *ppDS = nullptr;
    if (pUnkOuter != nullptr) return DSERR_INVALIDPARAM;
    if (lpGuid != nullptr) return DSERR_NODRIVER;  // only the default device
    // No output device: the caller runs silent (the back end has said why).
    if (!audio_out::Open()) return DSERR_NODRIVER;
    *ppDS = new CDirectSound;
    return DS_OK;
}
