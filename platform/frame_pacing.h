// Who paces the frames, and when the next one may be shown. One clock at a time: where presenting
// waits for a display that refreshes 60 times a second, its vertical blank alone paces the game;
// everywhere else (other rates, no vertical blank to wait for, a virtual screen, a rate nobody
// knows) a 60 Hz clock of our own does, so that the game runs at the same speed on every monitor.
// Nothing here knows SDL: the clock is handed in, and a test hands in one of its own.
#pragma once

#include <cstdint>

namespace frame_pacing {

// The game shows this many frames a second.
constexpr int FRAMES_PER_SECOND = 60;
constexpr int64_t NS_PER_SECOND = 1000000000;

// A frame up to this late is shown at once and the clock keeps its beat. The game's own tick is
// counted in whole milliseconds, so the frame after a tick comes up to about a millisecond late
// now and then; anything later is a stall, after which the beat starts again from that frame.
constexpr int64_t LATE_TOLERANCE_NS = 1000000;

// How frames reach the screen.
struct Presentation {
    bool waitsForVblank = false;  // presenting blocks until the display's vertical blank
    int refreshHz = 0;            // the display's refresh rate; 0 when unknown
};

// Whether a display that refreshes refreshHz times a second (0: unknown) can pace the game by its
// vertical blank: 60 Hz, give or take one.
bool RateFitsGame(int refreshHz);

// Whether the display's vertical blank alone paces the frames.
bool DisplayPaces(const Presentation& presentation);

// A monotonic clock in nanoseconds that can sleep until a moment on it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t NowNs() = 0;
    virtual void SleepUntilNs(int64_t deadlineNs) = 0;
};

// The machine's monotonic clock; it sleeps to absolute deadlines, so a late wake-up never shifts
// the ones after it.
Clock& MonotonicClock();

// Paces the frames: call WaitForFrame just before each one is presented.
class Pacer {
public:
    explicit Pacer(Clock& clock) : m_clock(clock) {}

    // Starts anew for this way of presenting (the next frame is shown at once).
    void Start(const Presentation& presentation);
    // Returns at once where the display paces; elsewhere sleeps until the next tick of our clock,
    // whose ticks lie exactly 1/60 s apart from a fixed origin, so no error adds up.
    void WaitForFrame();
    bool OwnClockPaces() const { return !m_displayPaces; }

private:
    int64_t NextTickNs() const;
    void Advance();
    void BeatFrom(int64_t nowNs);

    Clock& m_clock;
    bool m_displayPaces = false;
    bool m_beating = false;
    int64_t m_originNs = 0;  // the moment of tick 0
    int m_tick = 0;          // the tick the next frame waits for; below FRAMES_PER_SECOND
};

}  // namespace frame_pacing
