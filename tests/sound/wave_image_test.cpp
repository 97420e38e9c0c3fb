// The wave loader's resource road: the walk over an in-memory RIFF 'WAVE' form, our two sounds, and
// damaged forms that must fail without reading outside the resource.
#include <gtest/gtest.h>

#include <memory>

#include "audio/wavelib.h"
#include "game/resource.h"
#include "platform/audio_out.h"
#include "platform/resources.h"
#include "tests/sound/sound_kit.h"

using namespace soundtest;

namespace {

struct Parsed {
    int result;
    long fmtAt;  // offset of the format in the image, -1 for none
    long dataAt;
    DWORD size;
};

// Parses an exact-size heap copy of the image, so a read past its end is caught by the sanitizers.
Parsed Parse(const Bytes& image, bool wantFmt = true, bool wantData = true, bool wantSize = true) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[image.size() ? image.size() : 1]);
    if (!image.empty()) std::memcpy(copy.get(), image.data(), image.size());
    LPWAVEFORMATEX fmt = reinterpret_cast<LPWAVEFORMATEX>(1);
    LPBYTE data = reinterpret_cast<LPBYTE>(1);
    DWORD size = 0xDEAD;
    int r = ParseWaveImage(copy.get(), DWORD(image.size()), wantFmt ? &fmt : nullptr, wantData ? &data : nullptr,
                           wantSize ? &size : nullptr);
    auto at = [&](const void* p) { return p ? long(static_cast<const uint8_t*>(p) - copy.get()) : -1L; };
    return Parsed{r, wantFmt ? at(fmt) : -2, wantData ? at(data) : -2, wantSize ? size : 0xFFFFFFFF};
}

const Bytes PCM8 = FmtBody(1, 1, 11025, 8);  // 16 bytes

const uint8_t* ResourceImage(int id, DWORD* size) {
    HRSRC info = FindResourceA(nullptr, MAKEINTRESOURCE(id), "WAVE");
    if (info == nullptr) return nullptr;
    *size = SizeofResource(nullptr, info);
    return static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, info)));
}

}  // namespace

TEST(WaveImage, OurTwoSoundsSitWhereTheirLayoutsSay) {
    struct Case {
        int id;
        long fmtAt, dataAt;
        DWORD size;
        WORD align, bits;
        DWORD rate;
    } cases[] = {
        {IDR_WAVE_HIT, 20, 56, 1388, 1, 8, 11025},
        {IDR_WAVE_EXPLOSION, 20, 58, 22052, 2, 16, 22050},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        DWORD imageSize = 0;
        const uint8_t* image = ResourceImage(c.id, &imageSize);
        ASSERT_NE(image, nullptr);
        LPWAVEFORMATEX fmt = nullptr;
        LPBYTE data = nullptr;
        DWORD size = 0;
        ASSERT_EQ(GetWaveData(MAKEINTRESOURCE(c.id), &fmt, &data, &size, WAVE_SOURCE_RESOURCE), 1);
        EXPECT_EQ(reinterpret_cast<const uint8_t*>(fmt) - image, c.fmtAt);
        EXPECT_EQ(data - image, c.dataAt);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(fmt->wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(fmt->nChannels, 1);
        EXPECT_EQ(fmt->nSamplesPerSec, c.rate);
        EXPECT_EQ(fmt->nBlockAlign, c.align);
        EXPECT_EQ(fmt->wBitsPerSample, c.bits);
    }

    // The hit's 16-byte "fmt " is read as a WAVEFORMATEX: its cbSize is "fa" of the "fact" after it.
    LPWAVEFORMATEX fmt = nullptr;
    ASSERT_EQ(GetWaveData(MAKEINTRESOURCE(IDR_WAVE_HIT), &fmt, nullptr, nullptr, WAVE_SOURCE_RESOURCE), 1);
    EXPECT_EQ(fmt->cbSize, 0x6166);
}

TEST(WaveImage, BuffersOfOurSoundsHoldExactlyTheirSamples) {
    ASSERT_TRUE(audio_out::Open());
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    for (int id : {IDR_WAVE_HIT, IDR_WAVE_EXPLOSION}) {
        SCOPED_TRACE(id);
        DWORD imageSize = 0;
        const uint8_t* image = ResourceImage(id, &imageSize);
        ASSERT_NE(image, nullptr);
        const DWORD dataAt = id == IDR_WAVE_HIT ? 56 : 58;
        const DWORD size = id == IDR_WAVE_HIT ? 1388 : 22052;
        IDirectSoundBuffer* b = CreateWaveBuffer(ds, MAKEINTRESOURCE(id), WAVE_SOURCE_RESOURCE);
        ASSERT_NE(b, nullptr);
        LPVOID p1 = nullptr, p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        EXPECT_NE(b->Lock(0, size + 1, &p1, &n1, &p2, &n2, 0), DS_OK);  // no more than its samples
        ASSERT_EQ(b->Lock(0, size, &p1, &n1, &p2, &n2, 0), DS_OK);
        ASSERT_EQ(n1, size);
        EXPECT_EQ(n2, 0u);
        EXPECT_EQ(std::memcmp(p1, image + dataAt, size), 0);
        b->Unlock(p1, n1, p2, n2);
        EXPECT_FALSE(IsPlaying(b));
        b->Release();
    }
    ds->Release();
}

TEST(WaveImage, WalkFindsFormatAndDataAsTheFormLaysThemOut) {
    const Bytes data5 = Ramp(5);
    struct Case {
        const char* what;
        Bytes image;
        Parsed want;
    } cases[] = {
        {"fmt then data", Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", Ramp(8))}), {1, 20, 44, 8}},
        {"data before fmt", Form("WAVE", {Chunk("data", Ramp(8)), Chunk("fmt ", PCM8)}), {1, 36, 20, 8}},
        // After a 5-byte body at k the next chunk starts at k + 6.
        {"odd chunk padded", Form("WAVE", {Chunk("junk", data5), Chunk("fmt ", PCM8), Chunk("data", Ramp(4))}),
         {1, 20 + 6 + 8, 20 + 6 + 24 + 8, 4}},
        {"odd data padded", Form("WAVE", {Chunk("data", data5), Chunk("fmt ", PCM8)}), {1, 34, 20, 5}},
        {"a 14-byte fmt will do", Form("WAVE", {Chunk("fmt ", Bytes(PCM8.begin(), PCM8.begin() + 14)),
                                                Chunk("data", Ramp(4)), Chunk("tail", Ramp(4))}),
         {1, 20, 42, 4}},
        {"a 12-byte first fmt fails though a good one follows",
         Form("WAVE", {Chunk("fmt ", Ramp(12)), Chunk("fmt ", PCM8), Chunk("data", Ramp(4))}), {0, -1, -1, 0}},
        {"no data", Form("WAVE", {Chunk("fmt ", PCM8), Chunk("fact", Ramp(4))}), {0, 20, -1, 0}},
        {"no fmt", Form("WAVE", {Chunk("data", Ramp(4))}), {0, -1, 20, 4}},
        {"not RIFF", [] { Bytes b = Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", Ramp(4))}); b[0] = 'X'; return b; }(),
         {0, -1, -1, 0}},
        {"not WAVE", Form("AVI ", {Chunk("fmt ", PCM8), Chunk("data", Ramp(4))}), {0, -1, -1, 0}},
        // An empty "data" before the format is replaced by a later one.
        {"empty data before fmt replaced",
         Form("WAVE", {Chunk("data", {}), Chunk("fmt ", PCM8), Chunk("data", Ramp(6))}), {1, 28, 52, 6}},
        // Met after the format, an empty "data" ends the walk with size 0.
        {"empty data after fmt", Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", {}), Chunk("data", Ramp(6))}),
         {1, 20, 44, 0}},
        // The walk stops once both are stored: what follows is never read.
        {"stops at both", Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", Ramp(4)), Chunk("bad!", {}, 0xFFFFFFF0)}),
         {1, 20, 44, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parsed got = Parse(c.image);
        EXPECT_EQ(got.result, c.want.result);
        EXPECT_EQ(got.fmtAt, c.want.fmtAt);
        EXPECT_EQ(got.dataAt, c.want.dataAt);
        EXPECT_EQ(got.size, c.want.size);
    }
}

TEST(WaveImage, OnlyTheWantedOutputsAreLookedFor) {
    Bytes form = Form("WAVE", {Chunk("data", Ramp(10)), Chunk("fmt ", Ramp(2)), Chunk("data", Ramp(4))});
    // Only the size: the first "data" chunk ends the walk, and the broken format after it is never met.
    Parsed sizeOnly = Parse(form, false, false, true);
    EXPECT_EQ(sizeOnly.result, 1);
    EXPECT_EQ(sizeOnly.size, 10u);

    Bytes fmtFirst = Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", Ramp(4))});
    Parsed fmtOnly = Parse(fmtFirst, true, false, false);
    EXPECT_EQ(fmtOnly.result, 1);
    EXPECT_EQ(fmtOnly.fmtAt, 20);

    Parsed dataOnly = Parse(fmtFirst, false, true, false);
    EXPECT_EQ(dataOnly.result, 1);
    EXPECT_EQ(dataOnly.dataAt, 44);

    // Nothing wanted: nothing is ever stored, so the walk runs out.
    EXPECT_EQ(Parse(fmtFirst, false, false, false).result, 0);
}

TEST(WaveImage, DamagedFormsFailInsideTheResource) {
    const Bytes good = Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", Ramp(8))});
    auto cut = [](const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + long(n)); };
    struct Case {
        const char* what;
        Bytes image;
    } cases[] = {
        {"empty", {}},
        {"under 12 bytes", cut(good, 11)},
        {"form header only, RIFF size too large", Form("WAVE", {}, 1000)},
        {"RIFF size beyond the resource, chunk header cut", cut(good, good.size() - 12 + 3)},
        {"data body past the end", cut(good, good.size() - 1)},
        {"data claims more than the resource", Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", Ramp(8), 9)})},
        {"fmt of 14 at the very end", Form("WAVE", {Chunk("data", Ramp(4)),
                                                    Chunk("fmt ", Bytes(PCM8.begin(), PCM8.begin() + 14))})},
        {"chunk size wraps the walk", Form("WAVE", {Chunk("junk", Ramp(4), 0xFFFFFFFF), Chunk("fmt ", PCM8),
                                                    Chunk("data", Ramp(8))})},
        {"chunk size lands back on itself in 32 bits",
         Form("WAVE", {Chunk("junk", Ramp(4), 0xFFFFFFF8), Chunk("fmt ", PCM8), Chunk("data", Ramp(8))})},
        {"fmt claims the whole address space", Form("WAVE", {Chunk("fmt ", PCM8, 0xFFFFFFFE)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parsed got = Parse(c.image);
        EXPECT_EQ(got.result, 0);
    }

    // A resource that says more in its RIFF size than it carries still parses what it does carry.
    Bytes shortRiff = Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", Ramp(8))}, 4000);
    EXPECT_EQ(Parse(shortRiff).result, 1);
}

TEST(WaveImage, CreateWaveBufferFailsToNullForBadRequests) {
    ASSERT_TRUE(audio_out::Open());
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_EQ(CreateWaveBuffer(nullptr, MAKEINTRESOURCE(IDR_WAVE_HIT), WAVE_SOURCE_RESOURCE), nullptr);
    EXPECT_EQ(CreateWaveBuffer(ds, MAKEINTRESOURCE(IDR_WAVE_HIT), 0), nullptr);
    EXPECT_EQ(CreateWaveBuffer(ds, MAKEINTRESOURCE(IDR_WAVE_HIT), 3), nullptr);
    EXPECT_EQ(CreateWaveBuffer(ds, MAKEINTRESOURCE(999), WAVE_SOURCE_RESOURCE), nullptr);
    EXPECT_EQ(CreateWaveBuffer(ds, "NOSUCHSOUND", WAVE_SOURCE_RESOURCE), nullptr);

    // Resources of our own: damaged, empty, unplayable and good, looked up by name and by id.
    static const Bytes damaged = [] {
        Bytes b = Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", Ramp(64))});
        b.resize(b.size() - 10);  // the data runs past the end of the resource
        return b;
    }();
    static const Bytes emptyData = Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", {}), Chunk("data", Ramp(8))});
    static const Bytes adpcm = Form("WAVE", {Chunk("fmt ", FmtBody(2, 1, 11025, 4, 2)), Chunk("data", Ramp(64))});
    static const Bytes good = Form("WAVE", {Chunk("fmt ", PCM8), Chunk("data", Ramp(64))});
    static const ResourceEntry table[] = {
        {"WAVE", "DAMAGED", damaged.data(), DWORD(damaged.size())},
        {"WAVE", "EMPTY", emptyData.data(), DWORD(emptyData.size())},
        {"WAVE", "ADPCM", adpcm.data(), DWORD(adpcm.size())},
        {"WAVE", MAKEINTRESOURCE(153), good.data(), DWORD(good.size())},
    };
    resources::SetTableForTesting(table, 4);
    EXPECT_EQ(CreateWaveBuffer(ds, "DAMAGED", WAVE_SOURCE_RESOURCE), nullptr);
    EXPECT_EQ(CreateWaveBuffer(ds, "EMPTY", WAVE_SOURCE_RESOURCE), nullptr);  // a 0-byte buffer is refused
    EXPECT_EQ(CreateWaveBuffer(ds, "ADPCM", WAVE_SOURCE_RESOURCE), nullptr);
    IDirectSoundBuffer* b = CreateWaveBuffer(ds, MAKEINTRESOURCE(153), WAVE_SOURCE_RESOURCE);
    resources::SetTableForTesting(nullptr, 0);
    ASSERT_NE(b, nullptr);
    b->Release();
    ds->Release();
}
