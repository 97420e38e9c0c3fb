// Start-up and shut-down of the platform under the class library: what AfxWinInit and AfxWinTerm rest on.
#include <gtest/gtest.h>

#include "platform/audio_out.h"
#include "platform/headless.h"
#include "platform/platform_start.h"
#include "platform/winmm_midi.h"

namespace {

// At program end the song's stream is closed and the output device goes, so no audio thread outlives
// the back end. The stream's owner is not called any more; its handle is refused from then on.
TEST(PlatformStartTest, StopClosesTheOpenStreamAndTheAudioOutput) {
    ASSERT_TRUE(headless::UseRecordingMidiSynth(true));
    ASSERT_TRUE(platform::Start());
    HMIDISTRM h = nullptr;
    UINT uDevice = MIDI_MAPPER;
    ASSERT_EQ(midiStreamOpen(&h, &uDevice, 1, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_TRUE(audio_out::IsOpen());

    platform::Stop();
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_FALSE(audio_out::IsOpen());
    EXPECT_EQ(midiStreamClose(h), MMSYSERR_INVALHANDLE);
    EXPECT_TRUE(headless::UseRecordingMidiSynth(false));
}

}  // namespace
