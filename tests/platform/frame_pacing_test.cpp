// Frame pacing on a clock and a display of the test's own: who paces, the beat of our clock, what
// happens to late frames, and the rhythm of the game's 50 ms tick on top of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/frame_pacing.h"

namespace {

using frame_pacing::NS_PER_SECOND;
using frame_pacing::Pacer;
using frame_pacing::Presentation;

const int64_t MS = 1000000;
const double PERIOD_MS = 1000.0 / 60;

// Time passes only when the test says so, or when the pacer sleeps.
class FakeClock : public frame_pacing::Clock {
public:
    int64_t NowNs() override {
        ++reads;
        return now;
    }
    void SleepUntilNs(int64_t deadlineNs) override {
        ++sleeps;
        if (deadlineNs > now) now = deadlineNs + oversleepNs;
    }
    int64_t now = 5 * NS_PER_SECOND;
    int64_t oversleepNs = 0;  // how late a sleep wakes
    int reads = 0;
    int sleeps = 0;
};

// A display whose presenting waits for its next vertical blank (refreshHz times a second), or not
// at all (0). One frame goes out per blank.
struct FakeDisplay {
    int refreshHz = 0;
    int64_t phaseNs = 0;
    int64_t lastBlank = -1;

    // Presents on `clock` and returns the moment the frame went out.
    int64_t Present(FakeClock& clock) {
        if (refreshHz > 0) {
            int64_t blank = ((clock.now - phaseNs) * refreshHz + NS_PER_SECOND - 1) / NS_PER_SECOND;
            blank = std::max(blank, lastBlank + 1);
            lastBlank = blank;
            clock.now = std::max(clock.now, phaseNs + blank * NS_PER_SECOND / refreshHz);
        }
        return clock.now;
    }
};

// Runs `frames` frames, each preceded by workNs(i) of the game's own work, and returns when each
// went out.
template <typename Work>
std::vector<int64_t> Play(Pacer& pacer, FakeClock& clock, FakeDisplay& display, int frames, Work workNs) {
    std::vector<int64_t> shown;
    for (int i = 0; i < frames; ++i) {
        clock.now += workNs(i);
        pacer.WaitForFrame();
        shown.push_back(display.Present(clock));
    }
    return shown;
}

struct IntervalStats {
    double meanMs = 0, sdMs = 0, minMs = 0, maxMs = 0;
};

IntervalStats Intervals(const std::vector<int64_t>& shown) {
    IntervalStats s;
    const size_t n = shown.size() - 1;
    s.minMs = 1e9;
    for (size_t i = 0; i < n; ++i) {
        const double ms = double(shown[i + 1] - shown[i]) / MS;
        s.meanMs += ms / n;
        s.minMs = std::min(s.minMs, ms);
        s.maxMs = std::max(s.maxMs, ms);
    }
    for (size_t i = 0; i < n; ++i) {
        const double d = double(shown[i + 1] - shown[i]) / MS - s.meanMs;
        s.sdMs += d * d / n;
    }
    s.sdMs = std::sqrt(s.sdMs);
    return s;
}

// A small fixed sequence of work times between 0 and 12 ms.
int64_t VaryingWork(int i) { return (int64_t(i) * 7919 % 12000) * 1000; }

TEST(FramePacingChoice, OnlyAPresentThatWaitsForASixtyHertzDisplayPacesAlone) {
    for (int hz : {59, 60, 61}) {
        EXPECT_TRUE(frame_pacing::RateFitsGame(hz)) << hz;
        EXPECT_TRUE(frame_pacing::DisplayPaces(Presentation{true, hz})) << hz;
        EXPECT_FALSE(frame_pacing::DisplayPaces(Presentation{false, hz})) << hz;
    }
    // Other rates, and a display that does not say its rate, are paced by our clock.
    for (int hz : {0, -60, 1, 30, 50, 58, 62, 75, 120, 144, 240}) {
        EXPECT_FALSE(frame_pacing::RateFitsGame(hz)) << hz;
        EXPECT_FALSE(frame_pacing::DisplayPaces(Presentation{true, hz})) << hz;
    }

    FakeClock clock;
    Pacer pacer(clock);
    EXPECT_TRUE(pacer.OwnClockPaces());  // before anything is known
    pacer.Start(Presentation{true, 60});
    EXPECT_FALSE(pacer.OwnClockPaces());
    pacer.Start(Presentation{true, 75});
    EXPECT_TRUE(pacer.OwnClockPaces());
}

TEST(FramePacingOwnClock, FramesGoOutOnAnExactBeatWithOneSleepEach) {
    FakeClock clock;
    Pacer pacer(clock);
    pacer.Start(Presentation{false, 60});
    const int frames = 10 * 60 * 60;  // ten minutes
    FakeDisplay display;
    const std::vector<int64_t> shown = Play(pacer, clock, display, frames, VaryingWork);

    // Frame k goes out exactly k/60 s after the first, however long the game worked on it: the
    // beat neither drifts nor adds up rounding.
    const int64_t first = shown[0];
    for (int k = 0; k < frames; ++k)
        ASSERT_EQ(shown[k], first + int64_t(k) * NS_PER_SECOND / 60) << "frame " << k;

    // It sleeps once a frame to its deadline instead of polling the clock.
    EXPECT_EQ(clock.sleeps, frames - 1);
    EXPECT_LE(clock.reads, frames);
}

TEST(FramePacingOwnClock, ASlightlyLateFrameKeepsTheBeatAndALaterOneStartsItAgainWithoutABurst) {
    FakeClock clock;
    Pacer pacer(clock);
    pacer.Start(Presentation{false, 0});
    FakeDisplay display;
    auto showAt = [&](int64_t arrival) {
        clock.now = arrival;
        pacer.WaitForFrame();
        return display.Present(clock);
    };
    const int64_t beat0 = showAt(clock.now);
    auto tick = [&](int k) { return beat0 + int64_t(k) * NS_PER_SECOND / 60; };

    // Frame 1 comes 0.8 ms after its tick: it goes out at once, and frame 2 is on the beat again.
    EXPECT_EQ(showAt(tick(1) + 800000), tick(1) + 800000);
    EXPECT_EQ(showAt(tick(1) + 900000), tick(2));

    // Frame 3 comes 5 ms late: it goes out at once and the beat starts again from it, rather than
    // show frame 4 a third of a period later to catch up.
    const int64_t late = showAt(tick(3) + 5 * MS);
    EXPECT_EQ(late, tick(3) + 5 * MS);
    EXPECT_EQ(showAt(late + MS), late + NS_PER_SECOND / 60);

    // After a quarter of a second's stall the next frame goes out at once, and the frames after it
    // follow a full period apart each: no run of frames to make up for the lost time.
    clock.now += 248 * MS;
    const std::vector<int64_t> after = Play(pacer, clock, display, 5, [](int) { return 2 * MS; });
    for (size_t i = 1; i < after.size(); ++i)
        EXPECT_NEAR(double(after[i] - after[i - 1]) / MS, PERIOD_MS, 1e-5) << i;

    // Start() begins a fresh beat: the next frame is not held back to the old one.
    clock.now += 3 * MS;
    pacer.Start(Presentation{false, 0});
    const int64_t before = clock.now;
    pacer.WaitForFrame();
    EXPECT_EQ(clock.now, before);
}

TEST(FramePacingDisplay, ASixtyHertzDisplayAlonePacesAndOurClockNeverSleeps) {
    for (int hz : {59, 60, 61}) {
        FakeClock clock;
        Pacer pacer(clock);
        pacer.Start(Presentation{true, hz});
        FakeDisplay display{hz, 3 * MS};
        const std::vector<int64_t> shown = Play(pacer, clock, display, 600, [](int i) { return (i % 5) * MS; });
        EXPECT_EQ(clock.sleeps, 0) << hz;
        // Every frame goes out on the display's next vertical blank, one blank after another.
        const IntervalStats s = Intervals(shown);
        EXPECT_NEAR(s.meanMs, 1000.0 / hz, 1e-3) << hz;
        EXPECT_NEAR(s.maxMs, 1000.0 / hz, 1e-3) << hz;
        EXPECT_NEAR(s.minMs, 1000.0 / hz, 1e-3) << hz;
    }
}

TEST(FramePacingDisplay, OnAnyOtherDisplayTheGameKeepsSixtyFramesASecond) {
    // Displays whose presenting waits for a faster vertical blank (as a compositor may, vsync or
    // not), and ones that do not wait at all.
    for (int hz : {75, 100, 120, 144, 165, 0}) {
        FakeClock clock;
        Pacer pacer(clock);
        pacer.Start(Presentation{hz != 0, hz});
        ASSERT_TRUE(pacer.OwnClockPaces());
        FakeDisplay display{hz, 2 * MS};
        const std::vector<int64_t> shown = Play(pacer, clock, display, 3600, [](int i) { return (i % 3) * MS / 2; });
        const IntervalStats s = Intervals(shown);
        EXPECT_NEAR(s.meanMs, PERIOD_MS, 0.01) << hz;
        // No frame waits for two vertical blanks in a row, and none goes out early.
        if (hz > 0) {
            EXPECT_LE(s.maxMs, PERIOD_MS + 1000.0 / hz + 1e-3) << hz;
            EXPECT_GE(s.minMs, PERIOD_MS - 1000.0 / hz - 1e-3) << hz;
        }
    }
}

// The game draws three frames on each WM_TIMER of its 50 ms timer, whose ticks are counted in whole
// milliseconds from the moment each one is taken (a late tick is not made up), and waits for the
// next tick by a wait in whole milliseconds that wakes a little late. Our clock has to give that
// rhythm 60 even frames a second.
TEST(FramePacingOwnClock, TheGamesTickInWholeMillisecondsStillGivesEvenFrames) {
    FakeClock clock;
    clock.oversleepNs = 60000;
    Pacer pacer(clock);
    pacer.Start(Presentation{false, 0});
    FakeDisplay display;
    auto nowMs = [&] { return clock.now / MS; };
    uint32_t noise = 12345;
    auto jitterNs = [&](int64_t lo, int64_t hi) {
        noise = noise * 1103515245u + 12345u;
        return lo + int64_t((noise >> 8) % uint32_t(hi - lo));
    };

    std::vector<int64_t> shown;
    int64_t due = nowMs() + 50;
    while (shown.size() < 60 * 120) {
        while (nowMs() < due) clock.now += (due - nowMs()) * MS + jitterNs(30000, 150000);
        due = nowMs() + 50;
        for (int f = 0; f < 3; ++f) {
            clock.now += jitterNs(100000, 600000);  // the game's frame and the conversion
            pacer.WaitForFrame();
            shown.push_back(display.Present(clock));
            clock.now += jitterNs(50000, 300000);  // handing the frame to the screen
        }
    }
    const IntervalStats s = Intervals(std::vector<int64_t>(shown.begin() + 60, shown.end()));
    EXPECT_NEAR(s.meanMs, PERIOD_MS, 0.003);
    EXPECT_LT(s.sdMs, 0.3);
    EXPECT_LT(s.maxMs, PERIOD_MS + 1.5);
}

}  // namespace
