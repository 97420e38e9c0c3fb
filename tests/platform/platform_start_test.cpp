// Start-up and shut-down of the platform under the class library: what AfxWinInit and AfxWinTerm rest on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/audio_out.h"
#include "platform/headless.h"
#include "platform/platform_start.h"
#include "platform/winmm_midi.h"
#include "platform/winmm_midi_testing.h"

namespace {

// The back end's start and stop calls, in order, each marked where a MIDI stream was still open.
std::string CallsSeen() {
    std::string seen;
    for (const headless::BackEndCall& call : headless::BackEndCalls()) {
        if (!seen.empty()) seen += ", ";
        switch (call.nKind) {
            case headless::CALL_INIT: seen += "init"; break;
            case headless::CALL_OPEN_AUDIO: seen += "open audio"; break;
            case headless::CALL_CLOSE_AUDIO: seen += "close audio"; break;
            case headless::CALL_SHUTDOWN: seen += "shut down"; break;
        }
        if (call.bMidiStreamOpen) seen += " (stream open)";
    }
    return seen;
}

// The back end comes up before the sound font's load is asked for, which goes on in the background.
// (The recording synthesiser stands in for FluidSynth, so no font is really loaded here.)
TEST(PlatformStartTest, StartBringsUpTheBackEndBeforeAskingForTheSoundFont) {
    ASSERT_TRUE(headless::UseRecordingMidiSynth(true));
    const uint64_t qwAskedBefore = midi_testing::SynthLoadsAsked();

    ASSERT_TRUE(platform::Start());
    EXPECT_EQ(CallsSeen(), "init");
    const std::vector<headless::BackEndCall> calls = headless::BackEndCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].qwSynthLoadsAsked, qwAskedBefore) << "the sound font was asked for before the back end";
    EXPECT_EQ(midi_testing::SynthLoadsAsked(), qwAskedBefore + 1) << "Start asks for the sound font once";

    platform::Stop();
    EXPECT_TRUE(headless::UseRecordingMidiSynth(false));
}

// At program end the song's stream is closed, then the output device, then the back end, so no audio
// thread and no stream outlives what it runs on. The stream's owner is not called any more; its handle
// is refused from then on.
TEST(PlatformStartTest, StopClosesTheOpenStreamThenTheAudioOutputThenTheBackEnd) {
    ASSERT_TRUE(headless::UseRecordingMidiSynth(true));
    ASSERT_TRUE(platform::Start());
    HMIDISTRM h = nullptr;
    UINT uDevice = MIDI_MAPPER;
    ASSERT_EQ(midiStreamOpen(&h, &uDevice, 1, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_TRUE(audio_out::IsOpen());
    ASSERT_EQ(CallsSeen(), "init, open audio");

    platform::Stop();
    EXPECT_EQ(CallsSeen(), "init, open audio, close audio, shut down");
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_FALSE(audio_out::IsOpen());
    EXPECT_EQ(midiStreamClose(h), MMSYSERR_INVALHANDLE);
    EXPECT_TRUE(headless::UseRecordingMidiSynth(false));
}

}  // namespace
