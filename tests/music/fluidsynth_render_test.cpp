// The real synthesiser: our song through FluidSynth, once for each General MIDI sound font we know
// that is installed, and once for the machine's default (tests/music/sound_fonts.h).
#include <gtest/gtest.h>

#include <fluidsynth.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <thread>

#include "audio/Midistrm.h"
#include "game/resource.h"
#include "platform/afx_app.h"
#include "platform/silence_watch.h"
#include "platform/synth.h"
#include "tests/music/music_kit.h"
#include "tests/music/sound_fonts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/fnv1a.h"
#include "tests/support/temp_dir.h"

using namespace music_test;

namespace {

class FluidSynthSong : public FontTest {};
INSTANTIATE_FOR_EVERY_FONT(FluidSynthSong);

TEST_P(FluidSynthSong, TwoSecondsAfterPlayTheMixIsNotSilent) {
    ASSERT_NO_FATAL_FAILURE(PlayNextStreamThroughTheFont());

    {
        CMidiStream player(IDR_MIDS_MUSIC, AfxGetInstanceHandle());
        ASSERT_TRUE(player.Play(TRUE));
        std::vector<float> mix;
        RenderFrames(2 * RATE, &mix);
        ASSERT_EQ(mix.size(), size_t(4 * RATE));
        double sumSquares = 0, peak = 0;
        for (size_t i = size_t(3 * RATE); i < mix.size(); ++i) {  // the second second
            ASSERT_TRUE(std::isfinite(mix[i]));
            sumSquares += double(mix[i]) * mix[i];
            peak = std::max(peak, double(std::fabs(mix[i])));
        }
        double rms = std::sqrt(sumSquares / double(RATE));
        EXPECT_GT(rms, 0.01) << "peak " << peak;
        EXPECT_LE(peak, 1.0);
        EXPECT_TRUE(player.Stop());
    }
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    // After Stop the notes die away.
    std::vector<float> tail;
    RenderFrames(3 * RATE, &tail);
    double last = 0;
    for (size_t i = tail.size() - 2 * RATE; i < tail.size(); ++i) last = std::max(last, double(std::fabs(tail[i])));
    EXPECT_LT(last, 0.01);
}

// A sample as any output reproduces it: below the least step of a 24-bit output, silence.
float Heard(float x) { return std::fabs(x) < CSilenceWatch::INAUDIBLE ? 0.0f : x; }

// Root mean square of samples [nFrom, nTo).
double Rms(const std::vector<float>& samples, size_t nFrom, size_t nTo) {
    double sumSquares = 0;
    for (size_t i = nFrom; i < nTo; ++i) sumSquares += double(samples[i]) * samples[i];
    return std::sqrt(sumSquares / double(nTo - nFrom));
}

// Digest of the raw sample bits, or of what any output can reproduce (samples below the least
// step of a 24-bit output as silence).
uint64_t DigestOf(const std::vector<float>& samples, size_t nFrom, size_t nTo, bool bAudibleOnly) {
    Fnv1a h;
    for (size_t i = nFrom; i < nTo; ++i) {
        const float x = bAudibleOnly ? Heard(samples[i]) : samples[i];
        uint32_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        h.Add(bits);
    }
    return h.Value();
}

// Our song, 4 seconds of play, then Stop and its whole tail: the mix and the frames FluidSynth
// rendered for it.
void PlayAndStop(double dTailSeconds, std::vector<float>* pMix, uint64_t* pqwRendered) {
    const uint64_t qwBefore = FluidSynthFramesRendered();
    {
        CMidiStream player(IDR_MIDS_MUSIC, AfxGetInstanceHandle());
        ASSERT_TRUE(player.Play(TRUE));
        RenderFrames(4 * RATE, pMix);
        EXPECT_TRUE(player.Stop());
    }
    RenderFrames(uint64_t(dTailSeconds * RATE), pMix);
    *pqwRendered = FluidSynthFramesRendered() - qwBefore;
}

// Our song through a fresh synthesiser with TimGM6mb, loaded by its own name: 4 seconds of play,
// then 8 seconds after Stop (the last sample that can be heard comes 4.45 seconds after it). The
// digests were recorded with FluidSynth 2.3.1 before the synthesiser could rest: what plays is the
// same to the bit, and the tail is all there.
TEST(FluidSynthSongRecorded, TimGM6mbPlaysAndDiesAwayExactlyAsRecorded) {
    const std::string strFont = InstalledFont("TimGM6mb.sf2");
    struct stat st{};
    if (strFont.empty() || ::stat(strFont.c_str(), &st) != 0 || st.st_size != 5969788)
        GTEST_SKIP() << "recorded with TimGM6mb.sf2 of 5969788 bytes; here: '" << strFont << "' of " << st.st_size
                     << " bytes";
    if (std::strcmp(fluid_version_str(), "2.3.1") != 0)
        GTEST_SKIP() << "recorded with FluidSynth 2.3.1; here: " << fluid_version_str();
    headless::SetAudioAvailable(true);
    ASSERT_TRUE(audio_out::Open());
    ASSERT_TRUE(PlayNextStreamThrough(FontCase{"TimGM6mb.sf2"}, strFont));

    std::vector<float> mix;
    uint64_t qwRendered = 0;
    ASSERT_NO_FATAL_FAILURE(PlayAndStop(8.0, &mix, &qwRendered));
    const size_t nPlayed = size_t(2 * 4 * RATE);
    EXPECT_EQ(DigestOf(mix, 0, nPlayed, false), 0xc3bf31badf913c92ull);
    EXPECT_EQ(DigestOf(mix, 0, mix.size(), true), 0x9bb4dd57f065af29ull);
    EXPECT_TRUE(headless::UseRecordingMidiSynth(true));
}

// Forwards everything to a synthesiser but never says it is quiet: the mix renders it always, as
// it did before a quiet synthesiser could be left out.
class CNeverResting : public CSynth {
public:
    explicit CNeverResting(std::unique_ptr<CSynth> pSynth) : m_pSynth(std::move(pSynth)) {}
    void NoteOn(int ch, int key, int vel) override { m_pSynth->NoteOn(ch, key, vel); }
    void NoteOff(int ch, int key) override { m_pSynth->NoteOff(ch, key); }
    void KeyPressure(int ch, int key, int v) override { m_pSynth->KeyPressure(ch, key, v); }
    void ControlChange(int ch, int cc, int v) override { m_pSynth->ControlChange(ch, cc, v); }
    void ProgramChange(int ch, int p) override { m_pSynth->ProgramChange(ch, p); }
    void ChannelPressure(int ch, int v) override { m_pSynth->ChannelPressure(ch, v); }
    void PitchBend(int ch, int v) override { m_pSynth->PitchBend(ch, v); }
    void AllNotesOff(int ch) override { m_pSynth->AllNotesOff(ch); }
    void Render(float* pOut, int nFrames) override { m_pSynth->Render(pOut, nFrames); }

private:
    std::unique_ptr<CSynth> m_pSynth;
};
CSynth* MakeNeverRestingSynth(int nRate) {
    std::unique_ptr<CSynth> pSynth = CreateFluidSynth(StreamFontPath(), nRate);
    return pSynth ? new CNeverResting(std::move(pSynth)) : nullptr;
}

// Leaving the quiet synthesiser out of the mix changes nothing that can be heard, whatever the
// font: the song as it plays is the same to the bit, and its tail is all there.
TEST_P(FluidSynthSong, RestingLeavesOutNothingThatCanBeHeard) {
    const double dTail = RestSecondsOf(m_strFont) + 1.0;
    std::vector<float> always, resting;
    uint64_t qwAlways = 0, qwResting = 0;
    StreamFontPath() = m_strFont;
    ASSERT_TRUE(midi_testing::SetSynthFactory(&MakeNeverRestingSynth));
    ASSERT_NO_FATAL_FAILURE(PlayAndStop(dTail, &always, &qwAlways));
    ASSERT_NO_FATAL_FAILURE(PlayNextStreamThroughTheFont());
    ASSERT_NO_FATAL_FAILURE(PlayAndStop(dTail, &resting, &qwResting));

    ASSERT_EQ(always.size(), resting.size());
    EXPECT_EQ(qwAlways, always.size() / 2);
    EXPECT_LT(qwResting, qwAlways) << "the synthesiser never rested";
    const size_t nPlayed = size_t(2 * 4 * RATE);
    EXPECT_EQ(DigestOf(resting, 0, nPlayed, false), DigestOf(always, 0, nPlayed, false));
    for (size_t i = 0; i < always.size(); ++i)
        ASSERT_EQ(Heard(resting[i]), Heard(always[i])) << "frame " << i / 2 << " (" << double(i / 2) / RATE << " s)";
}

// Once the song has stopped and its tail has died away, FluidSynth is not rendered at all; the
// next Play has it rendered again from its first block, and the song starts whole.
TEST_P(FluidSynthSong, RestsOnceTheTailHasDiedAwayAndWakesForTheNextPlay) {
    ASSERT_NO_FATAL_FAILURE(PlayNextStreamThroughTheFont());
    CMidiStream player(IDR_MIDS_MUSIC, AfxGetInstanceHandle());
    ASSERT_TRUE(player.Play(TRUE));
    std::vector<float> first;
    RenderFrames(2 * RATE, &first);
    ASSERT_TRUE(player.Stop());

    // Block by block until a block leaves FluidSynth out: no later than this font's longest tail
    // allows.
    const double dRest = RestSecondsOf(m_strFont);
    const int nMostBlocks = int(dRest * RATE / 512) + 1;
    int nBlocks = 0;
    for (uint64_t qwBefore = ~0ull; qwBefore != FluidSynthFramesRendered() && nBlocks <= nMostBlocks; ++nBlocks) {
        qwBefore = FluidSynthFramesRendered();
        RenderFrames(512);
    }
    ASSERT_LE(nBlocks, nMostBlocks) << "still rendered " << dRest << " seconds after Stop with " << m_strFont;
    const uint64_t qwResting = FluidSynthFramesRendered();
    std::vector<float> quiet;
    RenderFrames(2 * RATE, &quiet);
    EXPECT_EQ(FluidSynthFramesRendered(), qwResting);
    for (float x : quiet) ASSERT_EQ(x, 0.0f);

    ASSERT_TRUE(player.Play(TRUE));
    std::vector<float> again;
    RenderFrames(512, &again);
    EXPECT_EQ(FluidSynthFramesRendered(), qwResting + 512);
    RenderFrames(2 * RATE - 512, &again);
    EXPECT_TRUE(player.Stop());
    // The song starts whole: as loud as the first time, every twentieth of a second of it (the
    // samples themselves differ: the chorus and the synthesiser's channels are where the first play
    // left them).
    const size_t nWindow = 2 * RATE / 20;
    for (size_t w = 0; w + nWindow <= first.size(); w += nWindow) {
        const double ratio = Rms(again, w, w + nWindow) / Rms(first, w, w + nWindow);
        EXPECT_GT(ratio, 0.67) << "at " << double(w / 2) / RATE << " s of the second play";
        EXPECT_LT(ratio, 1.5) << "at " << double(w / 2) / RATE << " s of the second play";
    }
}

// Renders blocks of 512 frames until the synthesiser says it is quiet; the frames it took.
uint64_t RenderUntilQuiet(CSynth& synth, uint64_t qwLimit) {
    std::vector<float> block(2 * 512);
    uint64_t qwFrames = 0;
    while (!synth.IsQuiet() && qwFrames < qwLimit) {
        synth.Render(block.data(), 512);
        qwFrames += 512;
    }
    return qwFrames;
}

// Quiet means that nothing it would render until its next message can be heard.
TEST_P(FluidSynthSong, QuietOnlyOnceItsSoundHasDiedAway) {
    std::unique_ptr<CSynth> pSynth = CreateFluidSynth(m_strFont, RATE);
    ASSERT_NE(pSynth, nullptr);
    EXPECT_FALSE(pSynth->IsQuiet());  // nothing heard out yet
    EXPECT_EQ(RenderUntilQuiet(*pSynth, 10 * RATE), uint64_t(RATE / 2 + 512 - RATE / 2 % 512));

    // A chord with the reverb and chorus full: not quiet from the note-on, nor while it is held.
    for (int key = 48; key < 60; ++key) pSynth->NoteOn(0, key, 127);
    EXPECT_FALSE(pSynth->IsQuiet());
    pSynth->ControlChange(0, 91, 127);
    pSynth->ControlChange(0, 93, 127);
    std::vector<float> held(2 * size_t(RATE));
    pSynth->Render(held.data(), RATE);
    EXPECT_FALSE(pSynth->IsQuiet());
    for (int key = 48; key < 60; ++key) pSynth->NoteOff(0, key);
    const uint64_t qwTail = RenderUntilQuiet(*pSynth, uint64_t(UNKNOWN_FONT_REST_SECONDS * RATE));
    EXPECT_GT(qwTail, uint64_t(RATE / 2));
    EXPECT_LT(qwTail, uint64_t(UNKNOWN_FONT_REST_SECONDS * RATE));

    // And from then on it renders nothing that can be heard.
    std::vector<float> after(2 * size_t(4 * RATE));
    pSynth->Render(after.data(), 4 * RATE);
    for (float x : after) ASSERT_LT(std::fabs(x), CSilenceWatch::INAUDIBLE);
    EXPECT_TRUE(pSynth->IsQuiet());
}

// FluidSynth reads the font's samples in an OpenMP parallel region: with a team for every core the
// workers spin through the load and stay with the thread that loaded it until that thread ends.
// The load runs on the calling thread alone (here a new one, which no earlier test has used).
TEST_P(FluidSynthSong, LoadingTheFontStartsNoThreads) {
    int nBefore = 0, nAfter = 0;
    std::unique_ptr<CSynth> pSynth;
    std::thread loader([&] {
        nBefore = ThreadsOfThisProcess();
        pSynth = CreateFluidSynth(m_strFont, RATE);
        nAfter = ThreadsOfThisProcess();
    });
    loader.join();
    ASSERT_NE(pSynth, nullptr);
    EXPECT_EQ(nAfter, nBefore);
}

// The game's own choice: the machine's default General MIDI font first, then FluidR3_GM, then
// TimGM6mb; every directory for one name before the next name. Only the names are looked at here.
TEST(FluidSynthSoundFont, SoundFontSearchFollowsTheOrderOfPreference) {
    EXPECT_EQ(FindSoundFont({"/nonexistent-dir"}), "");
    EXPECT_EQ(FindSoundFont({}), "");
    EXPECT_EQ(CreateFluidSynth("/nonexistent-dir/x.sf2", RATE), nullptr);

    CTempDir sf2, soundfonts;
    ASSERT_TRUE(sf2.Ok() && soundfonts.Ok());
    const std::vector<std::string> dirs{sf2.Path(), soundfonts.Path()};
    EXPECT_EQ(FindSoundFont(dirs), "");
    WriteBytes(soundfonts.File("TimGM6mb.sf2"), {0});
    EXPECT_EQ(FindSoundFont(dirs), soundfonts.File("TimGM6mb.sf2"));
    WriteBytes(sf2.File("TimGM6mb.sf2"), {0});
    EXPECT_EQ(FindSoundFont(dirs), sf2.File("TimGM6mb.sf2"));
    WriteBytes(soundfonts.File("FluidR3_GM.sf2"), {0});
    EXPECT_EQ(FindSoundFont(dirs), soundfonts.File("FluidR3_GM.sf2"));
    // The alternatives link, wherever it points; passed over while it points nowhere.
    std::filesystem::create_symlink(sf2.File("gone.sf2"), soundfonts.File("default-GM.sf2"));
    EXPECT_EQ(FindSoundFont(dirs), soundfonts.File("FluidR3_GM.sf2"));
    std::filesystem::create_symlink(sf2.File("TimGM6mb.sf2"), sf2.File("default-GM.sf2"));
    EXPECT_EQ(FindSoundFont(dirs), sf2.File("default-GM.sf2"));
}

}  // namespace
