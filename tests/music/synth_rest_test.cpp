// The synthesiser rests while the music is stopped and its sound has died away: it is not rendered
// then, and it is rendered again, with no sample lost, as soon as the stream has an event to play.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/silence_watch.h"
#include "platform/synth.h"
#include "platform/winmm_midi_testing.h"
#include "tests/music/music_kit.h"

using namespace music_test;

namespace {

// ---- When a synthesiser has fallen silent ----

constexpr int QUIET = 1000;

std::vector<float> Block(int nFrames, float value) { return std::vector<float>(2 * size_t(nFrames), value); }

TEST(SilenceWatch, SilentOnlyAfterTheWholeStretchWithNoVoiceAndNothingToHear) {
    CSilenceWatch watch(QUIET);
    EXPECT_FALSE(watch.IsSilent());
    // FluidSynth's reverb settles a little above 1e-8: that is silence.
    std::vector<float> floor = Block(600, 1.05e-8f);
    watch.Watch(floor.data(), 600, false);
    EXPECT_FALSE(watch.IsSilent());
    watch.Watch(floor.data(), 399, false);
    EXPECT_FALSE(watch.IsSilent());
    watch.Watch(floor.data(), 1, false);
    EXPECT_TRUE(watch.IsSilent());

    // A sounding voice, even a silent one (a note in its attack), starts the stretch again.
    watch.Watch(floor.data(), 600, true);
    EXPECT_FALSE(watch.IsSilent());
    watch.Watch(floor.data(), 600, false);
    watch.Watch(floor.data(), 399, false);
    EXPECT_FALSE(watch.IsSilent());
    watch.Watch(floor.data(), 1, false);
    EXPECT_TRUE(watch.IsSilent());

    // So does a message.
    watch.Reset();
    EXPECT_FALSE(watch.IsSilent());
}

TEST(SilenceWatch, TheStretchStartsAfterTheLastSampleThatCanBeHeard) {
    for (float heard : {CSilenceWatch::INAUDIBLE, -CSilenceWatch::INAUDIBLE, 0.5f,
                        std::numeric_limits<float>::quiet_NaN()}) {
        CSilenceWatch watch(QUIET);
        std::vector<float> block = Block(QUIET + 10, 0.0f);
        block[2 * 9 + 1] = heard;  // the right channel of frame 9
        watch.Watch(block.data(), QUIET + 10, false);
        EXPECT_TRUE(watch.IsSilent()) << heard;  // frames 10 .. QUIET + 9 were silent
        block[2 * 10] = heard;
        watch.Watch(block.data(), QUIET + 10, false);
        EXPECT_FALSE(watch.IsSilent()) << heard;
        watch.Watch(block.data(), 1, false);
        EXPECT_TRUE(watch.IsSilent()) << heard;
    }
    CSilenceWatch watch(QUIET);
    std::vector<float> justBelow = Block(QUIET, std::nextafter(CSilenceWatch::INAUDIBLE, 0.0f));
    watch.Watch(justBelow.data(), QUIET, false);
    EXPECT_TRUE(watch.IsSilent());
}

// ---- The stream layer leaves a quiet synthesiser out ----

// Sounds a ramp from a note-on until RELEASE frames after the note is let go: frame k of the note is
// (k + 1) / 65536, exact in a float, so a frame lost or repeated at a switch shows in the mix.
class CRampSynth : public CSynth {
public:
    static constexpr uint64_t RELEASE = 1000;

    void NoteOn(int, int, int) override {
        m_bHeld = true;
        m_qwFrame = 0;
        m_qwRelease = RELEASE;
    }
    void NoteOff(int, int) override { m_bHeld = false; }
    void KeyPressure(int, int, int) override {}
    void ControlChange(int, int, int) override {}
    void ProgramChange(int, int) override {}
    void ChannelPressure(int, int) override {}
    void PitchBend(int, int) override {}
    void AllNotesOff(int) override { m_bHeld = false; }

    void Render(float* pOut, int nFrames) override {
        s_qwRendered += uint64_t(nFrames);
        for (int i = 0; i < nFrames; ++i) {
            if (IsQuiet()) return;
            const float value = float(m_qwFrame + 1) / 65536.0f;
            pOut[2 * i] += value;
            pOut[2 * i + 1] += value;
            ++m_qwFrame;
            if (!m_bHeld) --m_qwRelease;
        }
    }
    bool IsQuiet() const override { return !m_bHeld && m_qwRelease == 0; }

    static uint64_t s_qwRendered;  // frames rendered by every ramp synthesiser

private:
    bool m_bHeld = false;
    uint64_t m_qwFrame = 0;
    uint64_t m_qwRelease = 0;
};
uint64_t CRampSynth::s_qwRendered = 0;

CSynth* MakeRampSynth(int) { return new CRampSynth; }

// The default tempo and 480 ticks a quarter: a tick is 50 frames.
constexpr uint32_t FRAMES_PER_TICK = RATE / 960;

class SynthRest : public QueuedStreamTest {
protected:
    void SetUp() override {
        QueuedStreamTest::SetUp();
        ASSERT_TRUE(midi_testing::SetSynthFactory(&MakeRampSynth));
        CRampSynth::s_qwRendered = 0;
    }
    void TearDown() override {
        QueuedStreamTest::TearDown();
        EXPECT_TRUE(headless::UseRecordingMidiSynth(true));
    }

    // Checks the mix from output frame qwFrom on: the ramp of a note of qwFrames frames (its release
    // included) starting at frame qwOnset, silence elsewhere.
    static void ExpectRamp(const std::vector<float>& mix, uint64_t qwFrom, uint64_t qwOnset, uint64_t qwFrames) {
        for (uint64_t f = qwFrom; f < qwFrom + mix.size() / 2; ++f) {
            float want = 0.0f;
            if (f >= qwOnset && f < qwOnset + qwFrames) want = float(f - qwOnset + 1) / 65536.0f * 0.7f;
            const float* p = &mix[2 * (f - qwFrom)];
            ASSERT_EQ(p[0], want) << "frame " << f;
            ASSERT_EQ(p[1], want) << "frame " << f;
        }
    }
};

TEST_F(SynthRest, NotRenderedWithNothingToPlayAndNothingToHearWhileTheClockRunsOn) {
    std::vector<uint32_t> note;
    Short(note, 0, NoteOn(0, 60, 100));
    Short(note, 96, NoteOff(0, 60));  // 4,800 frames, then 1,000 of release
    Start(480, {note});
    std::vector<float> mix;
    RenderFrames(RATE, &mix);
    ExpectRamp(mix, 0, 0, 96 * FRAMES_PER_TICK + CRampSynth::RELEASE);
    // Rendered up to the end of the block in which the release ended (5,800 is in 5,632 .. 6,143).
    EXPECT_EQ(CRampSynth::s_qwRendered, 6144u);
    EXPECT_EQ(headless::MidiStreamPosition(), uint64_t(RATE));
    EXPECT_TRUE(headless::MidiStreamIsRunning());

    // The next note, queued on the running stream: rendered again from the next block, and the note
    // starts at its own frame with every frame of it there.
    std::vector<uint32_t> next;
    Short(next, 1440 - 96, NoteOn(0, 62, 100));  // tick 1,440: frame 72,000
    Short(next, 48, NoteOff(0, 62));
    Queue(next);
    std::vector<float> more;
    RenderFrames(RATE, &more);
    ExpectRamp(more, RATE, 72000, 48 * FRAMES_PER_TICK + CRampSynth::RELEASE);
    // From frame 48,000 to the end of the block in which the release ended (75,400 is in
    // 75,136 .. 75,647), and no further.
    EXPECT_EQ(CRampSynth::s_qwRendered, 6144u + 27648u);
}

TEST_F(SynthRest, RenderedThroughASilenceInTheMiddleOfTheMusic) {
    // Quiet from frame 5,800 to 48,000, but the stream has the next note to play: what plays is
    // rendered exactly as it always was.
    std::vector<uint32_t> notes;
    Short(notes, 0, NoteOn(0, 60, 100));
    Short(notes, 96, NoteOff(0, 60));
    Short(notes, 960 - 96, NoteOn(0, 62, 100));  // frame 48,000
    Short(notes, 48, NoteOff(0, 62));
    Start(480, {notes});
    RenderFrames(RATE);
    EXPECT_EQ(CRampSynth::s_qwRendered, uint64_t(RATE));
    std::vector<float> mix;
    RenderFrames(RATE / 2, &mix);
    ExpectRamp(mix, RATE, RATE, 48 * FRAMES_PER_TICK + CRampSynth::RELEASE);
}

TEST_F(SynthRest, RestsWhilePausedAndWakesOnRestart) {
    std::vector<uint32_t> notes;
    Short(notes, 0, NoteOn(0, 60, 100));
    Short(notes, 480, NoteOn(0, 62, 100));  // frame 24,000 of the stream
    Short(notes, 48, NoteOff(0, 62));
    Start(480, {notes});
    RenderFrames(12000);
    ASSERT_EQ(midiStreamPause(m_h), MMSYSERR_NOERROR);  // lets the first note go
    RenderFrames(RATE);
    // The release ended at frame 13,000, in the block 12,512 .. 13,023.
    EXPECT_EQ(CRampSynth::s_qwRendered, 13024u);
    EXPECT_EQ(headless::MidiStreamPosition(), 12000u);

    ASSERT_EQ(midiStreamRestart(m_h), MMSYSERR_NOERROR);
    std::vector<float> mix;
    RenderFrames(RATE, &mix);
    ExpectRamp(mix, 12000 + RATE, 12000 + RATE + 12000, 48 * FRAMES_PER_TICK + CRampSynth::RELEASE);
    EXPECT_EQ(headless::MidiStreamPosition(), 12000u + RATE);
}

}  // namespace
