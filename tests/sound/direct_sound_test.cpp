// The DirectSound stand-in: what CreateSoundBuffer accepts, Lock and Unlock, and what the headless
// mix hears when buffers play.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "platform/audio_out.h"
#include "platform/dsound.h"
#include "platform/headless.h"
#include "tests/sound/sound_kit.h"

using namespace soundtest;

namespace {

class DirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(audio_out::Open());
        ASSERT_EQ(DirectSoundCreate(nullptr, &m_ds, nullptr), DS_OK);
        ASSERT_NE(m_ds, nullptr);
        m_rate = audio_out::SampleRate();
    }
    void TearDown() override {
        if (m_ds) m_ds->Release();
    }

    HRESULT Create(const Bytes& fmt, DWORD bytes, IDirectSoundBuffer** out, DWORD dwSize = sizeof(DSBUFFERDESC)) {
        DSBUFFERDESC desc{};
        desc.dwSize = dwSize;
        desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = fmt.empty() ? nullptr : reinterpret_cast<LPWAVEFORMATEX>(const_cast<uint8_t*>(fmt.data()));
        return m_ds->CreateSoundBuffer(&desc, out, nullptr);
    }

    IDirectSound* m_ds = nullptr;
    int m_rate = 0;
};

// Quiet 8-bit mono samples whose values step by a known amount, so every heard value can be checked.
Bytes QuietRamp(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(128 + int(i % 21) - 10);
    return b;
}

}  // namespace

TEST_F(DirectSoundTest, CreateSoundBufferChecksTheFormatAndSize) {
    struct Case {
        const char* what;
        Bytes fmt;
        DWORD bytes;
        HRESULT want;
    } cases[] = {
        {"8-bit mono", FmtBody(1, 1, 11025, 8), 1388, DS_OK},
        {"16-bit stereo", FmtBody(1, 2, 44100, 16), 4000, DS_OK},
        {"smallest", FmtBody(1, 1, 8000, 8), 4, DS_OK},
        {"not PCM", FmtBody(2, 1, 11025, 4), 100, DSERR_BADFORMAT},
        {"extensible", FmtBody(0xFFFE, 1, 11025, 16, 22), 100, DSERR_BADFORMAT},
        {"no channels", FmtBody(1, 0, 11025, 8), 100, DSERR_BADFORMAT},
        {"three channels", FmtBody(1, 3, 11025, 8), 102, DSERR_BADFORMAT},
        {"24 bits", FmtBody(1, 1, 11025, 24), 102, DSERR_BADFORMAT},
        {"rate 0", FmtBody(1, 1, 0, 8), 100, DSERR_BADFORMAT},
        {"rate absurd", FmtBody(1, 1, 5000000, 8), 100, DSERR_BADFORMAT},
        {"block align wrong", [] { Bytes f = FmtBody(1, 1, 11025, 16); f[12] = 1; return f; }(), 100, DSERR_BADFORMAT},
        {"0 bytes", FmtBody(1, 1, 11025, 8), 0, DSERR_INVALIDPARAM},
        {"3 bytes", FmtBody(1, 1, 11025, 8), 3, DSERR_INVALIDPARAM},
        {"4 GB", FmtBody(1, 1, 11025, 8), 0xFFFFFFFF, DSERR_INVALIDPARAM},
        {"no format", {}, 100, DSERR_INVALIDPARAM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IDirectSoundBuffer* b = reinterpret_cast<IDirectSoundBuffer*>(1);
        EXPECT_EQ(Create(c.fmt, c.bytes, &b), c.want);
        if (c.want == DS_OK) {
            ASSERT_NE(b, nullptr);
            b->Release();
        } else {
            EXPECT_EQ(b, nullptr);
        }
    }
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(Create(FmtBody(1, 1, 11025, 8), 100, &b, 20 + 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(m_ds->CreateSoundBuffer(nullptr, &b, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(m_ds->SetCooperativeLevel(reinterpret_cast<HWND>(1), DSSCL_NORMAL), DS_OK);
    EXPECT_NE(m_ds->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DS_OK);
}

TEST_F(DirectSoundTest, FormatIsReadOnlyAndOnlyItsSixteenPcmBytesAreRead) {
    // The 16 bytes end a read-only page and the page after it is not mapped: reading cbSize or
    // writing anything would fault.
    const long page = sysconf(_SC_PAGESIZE);
    char* base = static_cast<char*>(mmap(nullptr, size_t(page) * 2, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(base, MAP_FAILED);
    ASSERT_EQ(mprotect(base + page, size_t(page), PROT_NONE), 0);
    Bytes fmt = FmtBody(1, 1, 11025, 8);
    char* at = base + page - 16;
    std::memcpy(at, fmt.data(), 16);
    ASSERT_EQ(mprotect(base, size_t(page), PROT_READ), 0);

    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwBufferBytes = 64;
    desc.lpwfxFormat = reinterpret_cast<LPWAVEFORMATEX>(at);
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(m_ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    ASSERT_NE(b, nullptr);
    b->Release();
    munmap(base, size_t(page) * 2);
}

TEST_F(DirectSoundTest, LockHandsOutTheBufferInAtMostTwoSpans) {
    IDirectSoundBuffer* b = nullptr;
    ASSERT_EQ(Create(FmtBody(1, 1, 8000, 8), 100, &b), DS_OK);
    LPVOID p1 = nullptr, p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    EXPECT_EQ(b->Lock(0, 101, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(100, 1, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 10, nullptr, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);

    // From 90, 20 bytes: 10 at the end, 10 from the start.
    ASSERT_EQ(b->Lock(90, 20, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 10u);
    EXPECT_EQ(n2, 10u);
    EXPECT_EQ(static_cast<char*>(p1) - static_cast<char*>(p2), 90);
    EXPECT_EQ(static_cast<uint8_t*>(p1)[0], 0x80);  // a new 8-bit buffer holds silence
    LPVOID q1 = nullptr;
    DWORD m1 = 0;
    EXPECT_EQ(b->Lock(0, 10, &q1, &m1, nullptr, nullptr, 0), DSERR_INVALIDCALL);  // already locked
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DSERR_INVALIDCALL);

    ASSERT_EQ(b->Lock(0, 100, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(n2, 0u);
    EXPECT_EQ(b->Unlock(p1, 200, nullptr, 0), DSERR_INVALIDPARAM);  // more than was handed out
    EXPECT_EQ(b->Unlock(p1, n1, nullptr, 0), DS_OK);
    b->Release();
}

TEST_F(DirectSoundTest, PlayGivesTheSoundsSamplesAtTheDeviceRate) {
    ASSERT_EQ(m_rate % 4, 0);
    // 8-bit mono at a quarter of the device rate: sample k is heard at frame 4k, halfway values between.
    const Bytes data = QuietRamp(400);
    IDirectSoundBuffer* b = MakeBuffer(m_ds, 1, DWORD(m_rate / 4), 8, data);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(Peak(Hear(256)) == 0.0);  // nothing plays before Play
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    EXPECT_TRUE(IsPlaying(b));
    const int frames = 400 * 4 + 512;
    std::vector<float> heard = Hear(frames);
    std::vector<float> expected = Resample(Decode(data.data(), data.size(), 8), m_rate / 4, m_rate, frames);
    Fit left = FitGain(Channel(heard, 0), expected);
    Fit right = FitGain(Channel(heard, 1), expected);
    EXPECT_GT(left.gain, 0.3);
    EXPECT_LT(left.maxError, 1e-4);
    EXPECT_NEAR(right.gain, left.gain, 1e-6);
    EXPECT_LT(right.maxError, 1e-4);
    EXPECT_NEAR(heard[2 * 4 * 7], left.gain * (int(data[7]) - 128) / 128.0, 1e-5);  // frame 28 = sample 7
    EXPECT_FALSE(IsPlaying(b));  // played through once, then stopped

    // 16-bit stereo at 22050 Hz: left and right stay apart, and the length follows the rate.
    Bytes st;
    for (int i = 0; i < 2205; ++i) {
        Put16(st, uint16_t(int16_t(3000)));
        Put16(st, uint16_t(int16_t(-1500)));
    }
    IDirectSoundBuffer* s = MakeBuffer(m_ds, 2, 22050, 16, st);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->Play(0, 0, 0), DS_OK);
    std::vector<float> h = Hear(m_rate / 5);
    const int expectFrames = int(int64_t(2205) * m_rate / 22050);  // 0.1 s
    const double g = left.gain;
    EXPECT_NEAR(h[2 * 100], g * 3000 / 32768.0, 1e-5);
    EXPECT_NEAR(h[2 * 100 + 1], -g * 1500 / 32768.0, 1e-5);
    EXPECT_NEAR(h[2 * (expectFrames - 10)], g * 3000 / 32768.0, 1e-5);
    EXPECT_EQ(h[2 * (expectFrames + 2)], 0.0f);
    b->Release();
    s->Release();
}

TEST_F(DirectSoundTest, PlayOnAPlayingBufferGoesOnAndAFinishedOnePlaysAgain) {
    const Bytes data = QuietRamp(2000);
    const int frames = int(int64_t(2000) * m_rate / 8000) + 256;
    IDirectSoundBuffer* b = MakeBuffer(m_ds, 1, 8000, 8, data);
    ASSERT_NE(b, nullptr);

    // The sound heard once, without interruption.
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    std::vector<float> once = Hear(frames);
    ASSERT_FALSE(IsPlaying(b));
    ASSERT_GT(Peak(once), 0.0);

    // Played again halfway through: it goes on where it was, the same sound results.
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    std::vector<float> first = Hear(frames / 2);
    EXPECT_TRUE(IsPlaying(b));
    for (int i = 0; i < 5; ++i) ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    std::vector<float> second = Hear(frames - frames / 2);
    first.insert(first.end(), second.begin(), second.end());
    EXPECT_EQ(first, once);

    // Stop keeps the position, SetCurrentPosition moves it, and Play goes on from there.
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    std::vector<float> head = Hear(1000);
    ASSERT_EQ(b->Stop(), DS_OK);
    EXPECT_FALSE(IsPlaying(b));
    EXPECT_EQ(Peak(Hear(500)), 0.0);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    std::vector<float> tail = Hear(frames - 1000);
    head.insert(head.end(), tail.begin(), tail.end());
    EXPECT_EQ(head, once);
    ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
    EXPECT_EQ(b->SetCurrentPosition(2000), DSERR_INVALIDPARAM);

    // Looping goes round until stopped.
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Hear(frames * 3);
    EXPECT_TRUE(IsPlaying(b));
    b->Stop();
    b->Release();
}

TEST_F(DirectSoundTest, BuffersMixAndAReleasedOneFallsSilent) {
    const Bytes a = QuietRamp(1000);
    Bytes c(1500);
    for (size_t i = 0; i < c.size(); ++i) c[i] = uint8_t(128 + ((i / 7) % 2 ? 12 : -12));
    IDirectSoundBuffer* ba = MakeBuffer(m_ds, 1, 11025, 8, a);
    IDirectSoundBuffer* bc = MakeBuffer(m_ds, 1, 16000, 8, c);
    ASSERT_NE(ba, nullptr);
    ASSERT_NE(bc, nullptr);
    const int frames = m_rate / 8;

    ba->Play(0, 0, 0);
    std::vector<float> onlyA = Hear(frames);
    bc->Play(0, 0, 0);
    std::vector<float> onlyC = Hear(frames);
    ba->Play(0, 0, 0);
    bc->Play(0, 0, 0);
    std::vector<float> both = Hear(frames);
    ASSERT_GT(Peak(onlyA), 0.0);
    ASSERT_GT(Peak(onlyC), 0.0);
    for (size_t i = 0; i < both.size(); ++i) ASSERT_NEAR(both[i], onlyA[i] + onlyC[i], 1e-6) << i;

    // Released while playing: out of the mix at once.
    ba->Play(0, 0, 0);
    Hear(64);
    ba->Release();
    EXPECT_EQ(Peak(Hear(frames)), 0.0);
    bc->Release();
}

TEST(DirectSoundCreate, NoAudioDeviceMeansNoDirectSound) {
    audio_out::Shutdown();
    headless::SetAudioAvailable(false);
    IDirectSound* ds = reinterpret_cast<IDirectSound*>(1);
    EXPECT_NE(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_EQ(ds, nullptr);
    headless::SetAudioAvailable(true);
    audio_out::Shutdown();

    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    ASSERT_NE(ds, nullptr);
    EXPECT_EQ(DirectSoundCreate(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
    ds->Release();
}

TEST_F(DirectSoundTest, WindowThreadPlaysWhileTheAudioThreadMixes) {
    // Play, Stop and Release on this thread against Render on another, as the game and the device do.
    // One buffer at a time plays a quiet ramp, so all the device may hear is that ramp, the same on
    // both sides and never louder than the ramp's loudest sample, or silence.
    const Bytes data = QuietRamp(300);
    ASSERT_EQ(Peak(Hear(256)), 0.0) << "nothing else plays";
    IDirectSoundBuffer* probe = MakeBuffer(m_ds, 1, uint32_t(m_rate), 8, data);
    ASSERT_NE(probe, nullptr);
    probe->Play(0, 0, DSBPLAY_LOOPING);
    const double loudest = Peak(Hear(int(data.size())));  // at the device's rate every sample is heard as it is
    probe->Release();
    ASSERT_GT(loudest, 0.0);

    struct Heard {
        long frames = 0;
        long soundFrames = 0;
        long lopsidedFrames = 0;  // left and right differ
        double peak = 0;
        bool finite = true;
    } heard;
    std::atomic<int> renders{0};
    std::atomic<bool> done{false};
    std::thread device([&] {
        std::vector<float> out(2 * 64);
        while (!done) {
            audio_out::Render(out.data(), 64);
            for (size_t i = 0; i < out.size(); i += 2) {
                ++heard.frames;
                heard.soundFrames += out[i] != 0.0f || out[i + 1] != 0.0f;
                heard.lopsidedFrames += out[i] != out[i + 1];
                heard.peak = std::max({heard.peak, double(std::fabs(out[i])), double(std::fabs(out[i + 1]))});
                heard.finite = heard.finite && std::isfinite(out[i]) && std::isfinite(out[i + 1]);
            }
            ++renders;
        }
    });
    for (int round = 0; round < 200; ++round) {
        IDirectSoundBuffer* b = MakeBuffer(m_ds, 1, 8000 + round * 100, 8, data);
        ASSERT_NE(b, nullptr);
        for (int i = 0; i < 20; ++i) {
            b->Play(0, 0, (i % 5 == 0) ? DSBPLAY_LOOPING : 0);
            IsPlaying(b);
            if (i == 0) {
                // Two whole mixes while it loops, so that every round is heard.
                const int n = renders;
                while (renders < n + 2) std::this_thread::yield();
            }
            if (i % 7 == 0) b->Stop();
            if (i % 3 == 0) b->SetCurrentPosition(DWORD(i * 10));
        }
        b->Release();
    }
    done = true;
    device.join();

    EXPECT_GT(heard.soundFrames, 0) << "of " << heard.frames << " frames heard";
    EXPECT_EQ(heard.lopsidedFrames, 0) << "a mono sound is heard the same on both sides";
    EXPECT_TRUE(heard.finite);
    EXPECT_LE(heard.peak, loudest * (1 + 1e-6)) << "louder than the one sound playing";
    EXPECT_EQ(Peak(Hear(256)), 0.0) << "every released buffer has left the mix";
}
