// Play, Stop and the loop restart racing each other, with the audio rendered on a thread of its own
// as a device would: Stop always wins, and nothing is left open. Built to run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <random>

#include "audio/Midistrm.h"
#include "tests/music/music_kit.h"

using namespace music_test;

namespace {

TEST(MusicStress, AThousandPlayStopAndRestartCycles) {
    headless::SetAudioAvailable(true);
    ASSERT_TRUE(audio_out::Open());
    ASSERT_TRUE(headless::UseRecordingMidiSynth(true));

    // A song of two buffers, 40 ticks in all at the default tempo: it loops every 2,000 frames.
    CMidiStream player;
    std::vector<uint8_t> form = BuildForm(ShortSong(2, 10));
    ASSERT_TRUE(player.ReadFormat(form.data(), DWORD(form.size())));
    ASSERT_TRUE(player.ReadBuffers(form.data(), DWORD(form.size())));

    std::atomic<bool> bRun{true};
    std::thread device([&] {
        float block[2 * 256];
        while (bRun) {
            audio_out::Render(block, 256);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });

    std::mt19937 rng(12345);
    const uint64_t nOpenedBefore = headless::MidiStreamsOpened();
    int nStops = 0;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(player.Play(TRUE)) << i;
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 3000));
        if (player.Stop()) ++nStops;
        ASSERT_FALSE(player.m_bPlaying) << i;
        ASSERT_EQ(player.m_hStream, nullptr) << i;
        ASSERT_FALSE(headless::MidiStreamIsOpen()) << "a restart ran after Stop, cycle " << i;
        if (i % 50 == 0) headless::ClearRecordedMidiEvents();
    }
    // Stop wins over every restart: playing across restarts means each Stop found it playing.
    EXPECT_EQ(nStops, 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_GT(headless::MidiStreamsOpened() - nOpenedBefore, 1000u) << "some passes looped";
    bRun = false;
    device.join();
}

}  // namespace
