// The real synthesiser: our song through FluidSynth and the installed General MIDI sound font.
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
#include "tests/support/fnv1a.h"

using namespace music_test;

namespace {

// The mix open, and the next stream played by a fresh FluidSynth synthesiser.
void OpenMixOnFreshFluidSynth() {
    headless::SetAudioAvailable(true);
    ASSERT_TRUE(audio_out::Open());
    ASSERT_TRUE(headless::UseRecordingMidiSynth(false));
}

TEST(FluidSynthSong, TwoSecondsAfterPlayTheMixIsNotSilent) {
    if (FindSoundFont(SoundFontDirs()).empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    ASSERT_NO_FATAL_FAILURE(OpenMixOnFreshFluidSynth());

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
    ASSERT_TRUE(headless::UseRecordingMidiSynth(true));
}

// Digest of the raw sample bits, or of what any output can reproduce (samples below the least
// step of a 24-bit output as silence).
uint64_t DigestOf(const std::vector<float>& samples, size_t nFrom, size_t nTo, bool bAudibleOnly) {
    Fnv1a h;
    for (size_t i = nFrom; i < nTo; ++i) {
        float x = samples[i];
        if (bAudibleOnly && std::fabs(x) < CSilenceWatch::INAUDIBLE) x = 0.0f;
        uint32_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        h.Add(bits);
    }
    return h.Value();
}

// The digests below were recorded with this FluidSynth and this sound font.
bool RecordedWithThisSynth(std::string* pWhy) {
    struct stat st{};
    const std::string strFont = FindSoundFont(SoundFontDirs());
    const bool bSame = std::strcmp(fluid_version_str(), "2.3.1") == 0 && !strFont.empty() &&
                       ::stat(strFont.c_str(), &st) == 0 && st.st_size == 5969788;
    *pWhy = std::string("FluidSynth ") + fluid_version_str() + ", sound font '" + strFont + "' of " +
            std::to_string(st.st_size) + " bytes";
    return bSame;
}

// Our song through a fresh synthesiser: 4 seconds of play, then 8 seconds after Stop (the last
// sample that can be heard comes 4.45 seconds after it). The digests were recorded before the
// synthesiser could rest: what plays is the same to the bit, and the tail is all there.
TEST(FluidSynthSong, PlaysAndDiesAwayExactlyAsRecorded) {
    std::string strWhy;
    if (!RecordedWithThisSynth(&strWhy)) GTEST_SKIP() << "digests recorded elsewhere; here: " << strWhy;
    ASSERT_NO_FATAL_FAILURE(OpenMixOnFreshFluidSynth());

    std::vector<float> mix;
    {
        CMidiStream player(IDR_MIDS_MUSIC, AfxGetInstanceHandle());
        ASSERT_TRUE(player.Play(TRUE));
        RenderFrames(4 * RATE, &mix);
        EXPECT_TRUE(player.Stop());
    }
    const size_t nPlayed = mix.size();
    RenderFrames(8 * RATE, &mix);
    EXPECT_EQ(DigestOf(mix, 0, nPlayed, false), 0xc3bf31badf913c92ull);
    EXPECT_EQ(DigestOf(mix, 0, mix.size(), true), 0x9bb4dd57f065af29ull);
    ASSERT_TRUE(headless::UseRecordingMidiSynth(true));
}

// Once the song has stopped and its tail has died away, FluidSynth is not rendered at all; the
// next Play has it rendered again from its first block.
TEST(FluidSynthSong, RestsOnceTheTailHasDiedAwayAndWakesForTheNextPlay) {
    if (FindSoundFont(SoundFontDirs()).empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    ASSERT_NO_FATAL_FAILURE(OpenMixOnFreshFluidSynth());
    CMidiStream player(IDR_MIDS_MUSIC, AfxGetInstanceHandle());
    ASSERT_TRUE(player.Play(TRUE));
    RenderFrames(2 * RATE);
    ASSERT_TRUE(player.Stop());

    // Block by block until a block leaves FluidSynth out.
    int nBlocks = 0;
    for (uint64_t qwBefore = ~0ull; qwBefore != FluidSynthFramesRendered() && nBlocks < 8 * RATE / 512; ++nBlocks) {
        qwBefore = FluidSynthFramesRendered();
        RenderFrames(512);
    }
    EXPECT_LT(nBlocks, 8 * RATE / 512) << "still rendered 8 seconds after Stop";
    const uint64_t qwResting = FluidSynthFramesRendered();
    std::vector<float> quiet;
    RenderFrames(2 * RATE, &quiet);
    EXPECT_EQ(FluidSynthFramesRendered(), qwResting);
    for (float x : quiet) ASSERT_EQ(x, 0.0f);

    ASSERT_TRUE(player.Play(TRUE));
    RenderFrames(512);
    EXPECT_EQ(FluidSynthFramesRendered(), qwResting + 512);
    std::vector<float> again;
    RenderFrames(2 * RATE, &again);
    double sumSquares = 0;
    for (size_t i = again.size() / 2; i < again.size(); ++i) sumSquares += double(again[i]) * again[i];
    EXPECT_GT(std::sqrt(sumSquares / double(RATE)), 0.01);
    EXPECT_TRUE(player.Stop());
    ASSERT_TRUE(headless::UseRecordingMidiSynth(true));
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
TEST(FluidSynthSong, QuietOnlyOnceItsSoundHasDiedAway) {
    const std::string strFont = FindSoundFont(SoundFontDirs());
    if (strFont.empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    std::unique_ptr<CSynth> pSynth = CreateFluidSynth(strFont, RATE);
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
    const uint64_t qwTail = RenderUntilQuiet(*pSynth, 20 * RATE);
    EXPECT_GT(qwTail, uint64_t(RATE));
    EXPECT_LT(qwTail, uint64_t(20 * RATE));

    // And from then on it renders nothing that can be heard.
    std::vector<float> after(2 * size_t(4 * RATE));
    pSynth->Render(after.data(), 4 * RATE);
    for (float x : after) ASSERT_LT(std::fabs(x), CSilenceWatch::INAUDIBLE);
    EXPECT_TRUE(pSynth->IsQuiet());
}

// FluidSynth reads the font's samples in an OpenMP parallel region: with a team for every core the
// workers spin through the load and stay with the thread that loaded it until that thread ends.
// The load runs on the calling thread alone (here a new one, which no earlier test has used).
TEST(FluidSynthSong, LoadingTheFontStartsNoThreads) {
    const std::string strFont = FindSoundFont(SoundFontDirs());
    if (strFont.empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    int nBefore = 0, nAfter = 0;
    std::unique_ptr<CSynth> pSynth;
    std::thread loader([&] {
        nBefore = ThreadsOfThisProcess();
        pSynth = CreateFluidSynth(strFont, RATE);
        nAfter = ThreadsOfThisProcess();
    });
    loader.join();
    ASSERT_NE(pSynth, nullptr);
    EXPECT_EQ(nAfter, nBefore);
}

TEST(FluidSynthSong, SoundFontSearchFollowsTheOrderOfPreference) {
    EXPECT_EQ(FindSoundFont({"/nonexistent-dir"}), "");
    EXPECT_EQ(FindSoundFont({}), "");
    EXPECT_EQ(CreateFluidSynth("/nonexistent-dir/x.sf2", RATE), nullptr);
    EXPECT_EQ(SoundFontNames().front(), "default-GM.sf2");
    EXPECT_EQ(SoundFontNames().back(), "TimGM6mb.sf2");
}

}  // namespace
