// The sequencer on the audio sample clock: events reach the synthesiser at the frame of their exact
// time, across tempo changes and buffers, without drift; odd events are skipped safely.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/midi_sequencer.h"
#include "platform/winmm_midi.h"
#include "tests/music/music_kit.h"

using namespace music_test;

namespace {

class Sequencer : public QueuedStreamTest {
protected:
    // The recorded events other than the releases a stop sends.
    std::vector<headless::MidiSynthEvent> Played() {
        std::vector<headless::MidiSynthEvent> out;
        for (const auto& e : headless::RecordedMidiEvents())
            if (e.nKind != headless::SYNTH_ALL_NOTES_OFF) out.push_back(e);
        return out;
    }
};

TEST_F(Sequencer, EventsArriveAtTheirFrameAcrossATempoChange) {
    // Times worked out by hand: 200,000 us per quarter to tick 1880, then 337,078; 480 ticks a quarter.
    auto frameAt = [](double tick) {
        double seconds = tick <= 1880 ? tick / 480 * 0.2 : 1880.0 / 480 * 0.2 + (tick - 1880) / 480 * 0.337078;
        return seconds * RATE;
    };
    std::vector<uint32_t> a, b;
    Tempo(a, 0, 200000);
    Short(a, 0, NoteOn(9, 36, 100));
    Short(a, 480, NoteOff(9, 36), 0xFFFFFFFFu);          // the stream id is ignored
    a.insert(a.end(), {0, 0, MEVT_F_LONG | 6, 0x7EF0, 0xF77E});  // system exclusive: skipped
    a.insert(a.end(), {0, 0, 0x3F000000u});                // unknown type: skipped
    Short(a, 1400, 0xB0 | (7 << 8) | (100 << 16));          // tick 1880
    Tempo(a, 0, 337078);
    Short(a, 0, NoteOn(0, 72, 90));                        // tick 1880
    Short(a, 7, 0xE0 | (0x10 << 8) | (0x50 << 16));        // tick 1887
    Short(b, 229616, NoteOff(0, 72));                       // tick 231503: delta times chain across buffers
    Short(b, 1, 0xC5 | (33 << 8));                          // tick 231504
    Nop(b, 95);                                             // tick 231599
    Start(480, {a, b});

    RenderFrames(uint64_t(frameAt(231599)) + 1000);
    auto played = Played();
    struct Want {
        headless::MidiSynthKind kind;
        int ch, d1, d2;
        double tick;
    } want[] = {
        {headless::SYNTH_NOTE_ON, 9, 36, 100, 0},       {headless::SYNTH_NOTE_OFF, 9, 36, 0, 480},
        {headless::SYNTH_CONTROL, 0, 7, 100, 1880},     {headless::SYNTH_NOTE_ON, 0, 72, 90, 1880},
        {headless::SYNTH_PITCH_BEND, 0, 0x10 | (0x50 << 7), 0, 1887}, {headless::SYNTH_NOTE_OFF, 0, 72, 0, 231503},
        {headless::SYNTH_PROGRAM, 5, 33, 0, 231504},
    };
    ASSERT_EQ(played.size(), std::size(want));
    for (size_t i = 0; i < played.size(); ++i) {
        EXPECT_EQ(played[i].nKind, want[i].kind) << i;
        EXPECT_EQ(played[i].nChannel, want[i].ch) << i;
        EXPECT_EQ(played[i].nData1, want[i].d1) << i;
        EXPECT_EQ(played[i].nData2, want[i].d2) << i;
        EXPECT_LE(std::fabs(double(played[i].qwFrame) - frameAt(want[i].tick)), 1.0) << i;
    }
    // Both buffers are done once the closing NOP has played, and not before.
    EXPECT_EQ(headless::MidiBuffersQueued(), 0u);
    EXPECT_EQ(headless::MidiTempo(), 337078u);
}

TEST_F(Sequencer, TheTempoNeverDrifts) {
    // 20,000 one-tick steps at 337,078 us per quarter: every step lands within half a frame of its
    // exact time, through four buffers.
    std::vector<std::vector<uint32_t>> buffers(4);
    Tempo(buffers[0], 0, 337078);
    for (int i = 1; i <= 20000; ++i) Short(buffers[(i - 1) / 5000], 1, NoteOn(0, i % 128, 1));
    Start(480, buffers);
    RenderFrames(674156 + 100);
    auto played = Played();
    ASSERT_EQ(played.size(), 20000u);
    for (int i = 1; i <= 20000; ++i) {
        double exact = double(i) * 337078.0 * RATE / 480e6;
        ASSERT_LE(std::fabs(double(played[i - 1].qwFrame) - exact), 0.5) << i;
    }
    EXPECT_EQ(played.back().qwFrame, 674156u);
}

TEST_F(Sequencer, DefaultTempoUntilTheFirstTempoEventAndZeroTempoPlaysAtOnce) {
    std::vector<uint32_t> ev;
    Short(ev, 192, NoteOn(0, 60, 1));  // two quarters at 500,000 us each: one second
    Tempo(ev, 0, 0);
    Short(ev, 100000, NoteOn(0, 61, 1));  // no time at tempo 0
    Short(ev, 5, NoteOn(0, 62, 1));
    Start(96, {ev});
    RenderFrames(RATE + 10);
    auto played = Played();
    ASSERT_EQ(played.size(), 3u);
    EXPECT_EQ(played[0].qwFrame, uint64_t(RATE));
    EXPECT_EQ(played[1].qwFrame, uint64_t(RATE));
    EXPECT_EQ(played[2].qwFrame, uint64_t(RATE));
}

TEST_F(Sequencer, ALongEventThatDoesNotFitEndsItsBuffer) {
    std::vector<uint32_t> bad, next;
    Short(bad, 0, NoteOn(0, 60, 1));
    bad.insert(bad.end(), {0, 0, MEVT_F_LONG | 9, 1, 2});  // 9 bytes need 12; only 8 are left
    Short(bad, 0, NoteOn(0, 61, 1));                       // never read
    Short(next, 10, NoteOn(0, 62, 1));
    Start(480, {bad, next});
    RenderFrames(RATE);
    auto played = Played();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0].nData1, 60);
    EXPECT_EQ(played[1].nData1, 62);
    EXPECT_EQ(headless::MidiBuffersQueued(), 0u);
}

TEST_F(Sequencer, PauseHoldsTheClockAndRestartGoesOn) {
    std::vector<uint32_t> ev;
    Short(ev, 480, NoteOn(0, 60, 1));  // half a second
    Start(480, {ev});
    RenderFrames(RATE / 4);
    ASSERT_EQ(midiStreamPause(m_h), MMSYSERR_NOERROR);
    RenderFrames(RATE);
    EXPECT_EQ(headless::MidiStreamPosition(), uint64_t(RATE / 4));
    EXPECT_TRUE(Played().empty());
    ASSERT_EQ(midiStreamRestart(m_h), MMSYSERR_NOERROR);
    RenderFrames(RATE / 2);
    auto played = Played();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].qwFrame, uint64_t(RATE / 4 + RATE + RATE / 4));
}

TEST(SequencerParse, RecordsMustFitWhatIsLeft) {
    uint32_t words[] = {1, 2, MEVT_F_LONG | 3, 0xAABBCC, 5, 6, 7};
    MIDISTREAMEVENT ev;
    const BYTE* p = reinterpret_cast<const BYTE*>(words);
    ASSERT_TRUE(CMidiSequencer::ParseEvent(p, 16, 0, &ev));
    EXPECT_EQ(ev.cbRecord, 16u);
    EXPECT_EQ(ev.cbParms, 3u);
    EXPECT_FALSE(CMidiSequencer::ParseEvent(p, 15, 0, &ev));
    EXPECT_TRUE(CMidiSequencer::ParseEvent(p, 28, 16, &ev));
    EXPECT_FALSE(CMidiSequencer::ParseEvent(p, 28, 20, &ev));
    EXPECT_FALSE(CMidiSequencer::ParseEvent(p, 28, 0xFFFFFFF0u, &ev));
    EXPECT_FALSE(CMidiSequencer::ParseEvent(nullptr, 28, 0, &ev));
    words[2] = MEVT_F_LONG | 0xFFFFFF;
    EXPECT_FALSE(CMidiSequencer::ParseEvent(p, 28, 0, &ev));
}

}  // namespace
