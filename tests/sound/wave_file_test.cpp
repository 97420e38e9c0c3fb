// The wave loader's file road: real files written by sox, and hand-made ones that are damaged or odd.
#include <gtest/gtest.h>

#include "audio/wavelib.h"
#include "platform/kernel.h"
#include "tests/sound/sound_kit.h"

using namespace soundtest;

namespace {

// The body of the first chunk `id` of a RIFF form held whole in memory (for cross-checks).
Bytes BodyOf(const Bytes& form, const char* id) {
    for (size_t at = 12; at + 8 <= form.size();) {
        uint32_t size = form[at + 4] | (form[at + 5] << 8) | (form[at + 6] << 16) | (uint32_t(form[at + 7]) << 24);
        if (std::memcmp(&form[at], id, 4) == 0)
            return Bytes(form.begin() + long(at + 8), form.begin() + long(std::min<size_t>(at + 8 + size, form.size())));
        at += 8 + size + (size & 1);
    }
    return {};
}

struct Loaded {
    MMRESULT result;
    DWORD size;
    LPWAVEFORMATEX fmt;
    LPBYTE data;
    ~Loaded() {
        if (fmt) GlobalFree(fmt);
        if (data) GlobalFree(data);
    }
};

void Load(const std::string& path, Loaded* out) {
    out->size = 0xDEAD;
    out->fmt = reinterpret_cast<LPWAVEFORMATEX>(1);
    out->data = reinterpret_cast<LPBYTE>(1);
    out->result = LoadWaveFile(path.c_str(), &out->size, &out->fmt, &out->data);
}

// A DirectSound object that records the format it is handed and can be told to fail.
class CRecordingSound : public IDirectSound {
public:
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, IDirectSoundBuffer** out, IUnknown* outer) override {
        m_pFormat = desc->lpwfxFormat;
        m_bFormatLiveDuringCall = GlobalHandle(desc->lpwfxFormat) != nullptr;
        if (m_bFail) {
            *out = nullptr;
            return DSERR_BADFORMAT;
        }
        return m_real->CreateSoundBuffer(desc, out, outer);
    }
    HRESULT SetCooperativeLevel(HWND, DWORD) override { return DS_OK; }

    IDirectSound* m_real = nullptr;
    bool m_bFail = false;
    LPCVOID m_pFormat = nullptr;
    bool m_bFormatLiveDuringCall = false;
};

}  // namespace

TEST(WaveFile, SoxFilesLoadThroughTheFileRoad) {
    if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
    CTempDir dir;
    ASSERT_TRUE(dir.Ok());
    struct Case {
        const char* name;
        const char* soxArgs;
        WORD channels, bits, align;
        DWORD rate, frames;
    } cases[] = {
        {"u8.wav", "-r 11025 -b 8 -e unsigned-integer -c 1", 1, 8, 1, 11025, 1103},
        {"s16.wav", "-r 22050 -b 16 -e signed-integer -c 1", 1, 16, 2, 22050, 2205},
        {"s16st.wav", "-r 44100 -b 16 -e signed-integer -c 2", 2, 16, 4, 44100, 4410},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        std::string cmd = std::string("sox -n ") + c.soxArgs + " " + path + " synth 0.1 sine 440 vol 0.5 2>/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        Bytes file = ReadBytes(path);
        Bytes samples = BodyOf(file, "data");

        Loaded w;
        Load(path, &w);
        ASSERT_EQ(w.result, 0u);
        ASSERT_NE(w.fmt, nullptr);
        ASSERT_NE(w.data, nullptr);
        EXPECT_EQ(w.fmt->wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(w.fmt->nChannels, c.channels);
        EXPECT_EQ(w.fmt->nSamplesPerSec, c.rate);
        EXPECT_EQ(w.fmt->wBitsPerSample, c.bits);
        EXPECT_EQ(w.fmt->nBlockAlign, c.align);
        EXPECT_EQ(w.fmt->cbSize, 0);
        EXPECT_EQ(GlobalSize(w.fmt), sizeof(WAVEFORMATEX));
        EXPECT_EQ(w.size, c.frames * c.align);
        ASSERT_EQ(samples.size(), w.size);
        EXPECT_EQ(std::memcmp(w.data, samples.data(), w.size), 0);

        // The same form read whole into memory gives the same samples on the resource road's walk.
        LPWAVEFORMATEX fmt = nullptr;
        LPBYTE data = nullptr;
        DWORD size = 0;
        ASSERT_EQ(ParseWaveImage(file.data(), DWORD(file.size()), &fmt, &data, &size), 1);
        EXPECT_EQ(size, w.size);
        EXPECT_EQ(std::memcmp(data, w.data, size), 0);
    }

    // The same samples with odd-sized chunks of other kinds before and after the format.
    {
        Bytes src = ReadBytes(dir.File("s16.wav"));
        Bytes samples = BodyOf(src, "data");
        const std::string path = dir.File("spliced.wav");
        WriteBytes(path, Form("WAVE", {Chunk("LIST", Ramp(5)), Chunk("fmt ", BodyOf(src, "fmt ")),
                                      Chunk("fact", Ramp(3)), Chunk("data", samples), Chunk("id3 ", Ramp(9))}));
        Loaded w;
        Load(path, &w);
        ASSERT_EQ(w.result, 0u);
        ASSERT_EQ(w.size, samples.size());
        EXPECT_EQ(std::memcmp(w.data, samples.data(), w.size), 0);
    }

    // u-law is not PCM: sox gives it an 18-byte "fmt " (extra count 0) and a "fact" chunk.
    const std::string pathUlaw = dir.File("ulaw.wav");
    ASSERT_EQ(std::system(("sox -n -r 8000 -e u-law -c 1 " + pathUlaw + " synth 0.05 sine 440 2>/dev/null").c_str()), 0);
    {
        Loaded w;
        Load(pathUlaw, &w);
        ASSERT_EQ(w.result, 0u);
        EXPECT_EQ(w.fmt->wFormatTag, 7);
        EXPECT_EQ(w.fmt->cbSize, 0);
        EXPECT_EQ(w.size, 400u);
    }

    // sox writes 24-bit sound as WAVE_FORMAT_EXTENSIBLE: a non-PCM tag whose 22 extra bytes come along.
    const std::string path24 = dir.File("s24.wav");
    ASSERT_EQ(std::system(("sox -n -r 48000 -b 24 -c 1 " + path24 + " synth 0.05 sine 440 2>/dev/null").c_str()), 0);
    Loaded w;
    Load(path24, &w);
    ASSERT_EQ(w.result, 0u);
    EXPECT_EQ(w.fmt->wFormatTag, 0xFFFE);
    EXPECT_EQ(w.fmt->cbSize, 22);
    EXPECT_EQ(GlobalSize(w.fmt), sizeof(WAVEFORMATEX) + 22);
}

TEST(WaveFile, SoxFilesBecomeSoundBuffersAndTheLoaderKeepsNothing) {
    if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
    CTempDir dir;
    const std::string path = dir.File("hit.wav");
    ASSERT_EQ(std::system(("sox -n -r 11025 -b 8 -e unsigned-integer -c 1 " + path +
                           " synth 0.05 square 880 vol 0.3 2>/dev/null").c_str()), 0);
    ASSERT_TRUE(audio_out::Open());
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    CRecordingSound rec;
    rec.m_real = ds;

    // Filled: the buffer holds the file's samples, and the format block is gone once it is made.
    IDirectSoundBuffer* b = CreateWaveBuffer(&rec, path.c_str(), WAVE_SOURCE_FILE);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(rec.m_bFormatLiveDuringCall);
    EXPECT_EQ(GlobalHandle(rec.m_pFormat), nullptr);
    Bytes samples = BodyOf(ReadBytes(path), "data");
    LPVOID p1 = nullptr, p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(0, DWORD(samples.size()), &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(std::memcmp(p1, samples.data(), samples.size()), 0);
    b->Unlock(p1, n1, p2, n2);
    b->Release();

    // The sound layer refuses: null, and the blocks are freed all the same.
    rec.m_bFail = true;
    EXPECT_EQ(CreateWaveBuffer(&rec, path.c_str(), WAVE_SOURCE_FILE), nullptr);
    EXPECT_TRUE(rec.m_bFormatLiveDuringCall);
    EXPECT_EQ(GlobalHandle(rec.m_pFormat), nullptr);

    EXPECT_EQ(CreateWaveBuffer(ds, dir.File("missing.wav").c_str(), WAVE_SOURCE_FILE), nullptr);
    ds->Release();
}

TEST(WaveFile, DamagedAndOddFilesFailCleanly) {
    CTempDir dir;
    const Bytes pcm16 = FmtBody(1, 1, 22050, 16);
    struct Case {
        const char* what;
        Bytes file;
    } cases[] = {
        {"data claims more than the file holds", Form("WAVE", {Chunk("fmt ", pcm16), Chunk("data", Ramp(100), 200)})},
        {"data claims 4 GB", Form("WAVE", {Chunk("fmt ", pcm16), Chunk("data", Ramp(100), 0xFFFFFFF0)})},
        {"a 14-byte fmt is too short for a file", Form("WAVE", {Chunk("fmt ", Bytes(pcm16.begin(), pcm16.begin() + 14)),
                                                               Chunk("data", Ramp(8))})},
        {"no data", Form("WAVE", {Chunk("fmt ", pcm16)})},
        {"no fmt", Form("WAVE", {Chunk("data", Ramp(8))})},
        // The file road searches for "data" after the format.
        {"data before fmt", Form("WAVE", {Chunk("data", Ramp(8)), Chunk("fmt ", pcm16)})},
        {"not WAVE", Form("AVI ", {Chunk("fmt ", pcm16), Chunk("data", Ramp(8))})},
        {"not RIFF", Chunk("LIST", Ramp(40))},
        {"cut in the header", Bytes{'R', 'I', 'F', 'F', 1, 0}},
        {"empty", {}},
        {"extra count runs past the file", Form("WAVE", {Chunk("fmt ", FmtBody(2, 1, 8000, 4, 0), 18)}) },
        {"fmt size runs past the file", Form("WAVE", {Chunk("fmt ", pcm16, 4000)})},
    };
    // Make the "extra count" case claim 300 extra bytes that are not there.
    cases[10].file[12 + 8 + 16] = 0x2C;
    cases[10].file[12 + 8 + 17] = 0x01;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.File("bad.wav");
        WriteBytes(path, c.file);
        Loaded w;
        Load(path, &w);
        EXPECT_NE(w.result, 0u);
        EXPECT_EQ(w.size, 0u);
        EXPECT_EQ(w.fmt, nullptr);
        EXPECT_EQ(w.data, nullptr);
    }
    Loaded missing;
    Load(dir.File("nothing-here.wav"), &missing);
    EXPECT_NE(missing.result, 0u);
    EXPECT_EQ(missing.fmt, nullptr);
}

TEST(WaveFile, NonPcmFormatCarriesItsExtraBytes) {
    CTempDir dir;
    const std::string path = dir.File("adpcm.wav");
    // Tag 2 with an extra count of 2: the format block is 18 + 2 bytes and keeps the extra bytes.
    WriteBytes(path, Form("WAVE", {Chunk("fmt ", FmtBody(2, 1, 11025, 4, 2)), Chunk("fact", Ramp(4)),
                                  Chunk("data", Ramp(32))}));
    Loaded w;
    Load(path, &w);
    ASSERT_EQ(w.result, 0u);
    EXPECT_EQ(GlobalSize(w.fmt), 20u);
    EXPECT_EQ(w.fmt->wFormatTag, 2);
    EXPECT_EQ(w.fmt->cbSize, 2);
    const uint8_t* extra = reinterpret_cast<const uint8_t*>(w.fmt) + sizeof(WAVEFORMATEX);
    EXPECT_EQ(extra[0], 0xA0);
    EXPECT_EQ(extra[1], 0xA1);
    EXPECT_EQ(w.size, 32u);
    EXPECT_EQ(w.data[31], 31);

    // A PCM "fmt " of 18 bytes or more: only its 16 bytes are read, cbSize is 0, and odd chunks are padded.
    const std::string path2 = dir.File("pcm.wav");
    WriteBytes(path2, Form("WAVE", {Chunk("fmt ", FmtBody(1, 1, 8000, 8, 3)), Chunk("odd!", Ramp(3)),
                                   Chunk("data", Ramp(9))}));
    Loaded p;
    Load(path2, &p);
    ASSERT_EQ(p.result, 0u);
    EXPECT_EQ(p.fmt->cbSize, 0);
    EXPECT_EQ(GlobalSize(p.fmt), sizeof(WAVEFORMATEX));
    EXPECT_EQ(p.size, 9u);
}

TEST(WaveFile, StepsWorkOnTheirOwn) {
    CTempDir dir;
    const std::string path = dir.File("steps.wav");
    WriteBytes(path, Form("WAVE", {Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Ramp(20000))}));

    HMMIO h = reinterpret_cast<HMMIO>(1);
    LPWAVEFORMATEX fmt = nullptr;
    MMCKINFO riff{}, data{};
    ASSERT_EQ(OpenWaveFile(path.c_str(), &h, &fmt, &riff), 0u);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(riff.ckid, FOURCC_RIFF);
    EXPECT_EQ(riff.dwDataOffset, 8u);
    ASSERT_EQ(FindWaveData(&h, &data, &riff), 0u);
    EXPECT_EQ(data.cksize, 20000u);
    EXPECT_EQ(data.dwDataOffset, 44u);

    // In two parts, across the I/O buffer's refills; the chunk records what is left of it.
    Bytes got(20000);
    UINT n = 0;
    ASSERT_EQ(ReadWaveData(h, 12345, got.data(), &data, &n), 0u);
    EXPECT_EQ(n, 12345u);
    EXPECT_EQ(data.cksize, 20000u - 12345u);
    ASSERT_EQ(ReadWaveData(h, 99999, got.data() + 12345, &data, &n), 0u);
    EXPECT_EQ(n, 20000u - 12345u);
    EXPECT_EQ(data.cksize, 0u);
    EXPECT_EQ(got, Ramp(20000));
    ASSERT_EQ(ReadWaveData(h, 10, got.data(), &data, &n), 0u);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(mmioClose(h, 0), 0u);
    GlobalFree(fmt);

    // A file that ends before its chunk does: the read fails with a count of 0.
    WriteBytes(path, Form("WAVE", {Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Ramp(100), 150)}));
    ASSERT_EQ(OpenWaveFile(path.c_str(), &h, &fmt, &riff), 0u);
    ASSERT_EQ(FindWaveData(&h, &data, &riff), 0u);
    n = 77;
    EXPECT_NE(ReadWaveData(h, 150, got.data(), &data, &n), 0u);
    EXPECT_EQ(n, 0u);
    mmioClose(h, 0);
    GlobalFree(fmt);

    // A failed open leaves nothing behind.
    h = reinterpret_cast<HMMIO>(1);
    fmt = reinterpret_cast<LPWAVEFORMATEX>(1);
    EXPECT_NE(OpenWaveFile(dir.File("none.wav").c_str(), &h, &fmt, &riff), 0u);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(fmt, nullptr);
    EXPECT_EQ(ReadWaveData(nullptr, 10, got.data(), &data, &n), 1u);
    EXPECT_EQ(FindWaveData(&h, &data, &riff), MMSYSERR_INVALHANDLE);
}
