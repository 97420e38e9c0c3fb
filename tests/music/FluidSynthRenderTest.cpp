// The real synthesiser: our song through FluidSynth and the installed General MIDI sound font.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/Midistrm.h"
#include "game/resource.h"
#include "platform/afx_app.h"
#include "platform/synth.h"
#include "tests/music/MusicTestKit.h"

using namespace music_test;

namespace {

TEST(FluidSynthSong, TwoSecondsAfterPlayTheMixIsNotSilent) {
    if (FindSoundFont(SoundFontDirs()).empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    headless::SetAudioAvailable(true);
    ASSERT_TRUE(audio_out::Open());
    ASSERT_TRUE(headless::UseRecordingMidiSynth(false));

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

TEST(FluidSynthSong, SoundFontSearchFollowsTheOrderOfPreference) {
    EXPECT_EQ(FindSoundFont({"/nonexistent-dir"}), "");
    EXPECT_EQ(FindSoundFont({}), "");
    EXPECT_EQ(CreateFluidSynth("/nonexistent-dir/x.sf2", RATE), nullptr);
    EXPECT_EQ(SoundFontNames().front(), "default-GM.sf2");
    EXPECT_EQ(SoundFontNames().back(), "TimGM6mb.sf2");
}

}  // namespace
