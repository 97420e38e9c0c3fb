#include "platform/frame_pacing.h"

#include <cerrno>
#include <ctime>

namespace frame_pacing {

namespace {

const int64_t PERIOD_NS = NS_PER_SECOND / FRAMES_PER_SECOND;  // rounded down; ticks use the exact value

class Monotonic final : public Clock {
public:
    int64_t NowNs() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return int64_t(ts.tv_sec) * NS_PER_SECOND + ts.tv_nsec;
    }

    void SleepUntilNs(int64_t deadlineNs) override {
        if (deadlineNs <= 0) return;
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(deadlineNs / NS_PER_SECOND);
        ts.tv_nsec = static_cast<long>(deadlineNs % NS_PER_SECOND);
        // A signal cuts the sleep short; the deadline stays where it was.
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
        }
    }
};

}  // namespace

bool RateFitsGame(int refreshHz) { return refreshHz >= FRAMES_PER_SECOND - 1 && refreshHz <= FRAMES_PER_SECOND + 1; }

bool DisplayPaces(const Presentation& presentation) {
    return presentation.waitsForVblank && RateFitsGame(presentation.refreshHz);
}

Clock& MonotonicClock() {
    static Monotonic clock;
    return clock;
}

void Pacer::Start(const Presentation& presentation) {
    m_displayPaces = DisplayPaces(presentation);
    m_beating = false;
}

void Pacer::WaitForFrame() {
    if (m_displayPaces) return;
    const int64_t now = m_clock.NowNs();
    if (!m_beating) {
        BeatFrom(now);
        return;
    }
    const int64_t tick = NextTickNs();
    if (now <= tick) {
        // More than a period ahead cannot happen on a monotonic clock; start again rather than
        // sleep long if it ever does.
        if (tick - now > PERIOD_NS + 1) {
            BeatFrom(now);
            return;
        }
        m_clock.SleepUntilNs(tick);
        Advance();
    } else if (now - tick <= LATE_TOLERANCE_NS) {
        Advance();
    } else {
        // After a stall the frames do not hurry to catch up: the beat starts again here.
        BeatFrom(now);
    }
}

int64_t Pacer::NextTickNs() const { return m_originNs + int64_t(m_tick) * NS_PER_SECOND / FRAMES_PER_SECOND; }

// Sixty ticks make exactly one second, so the origin moves on by whole seconds and the tick count
// stays small.
void Pacer::Advance() {
    if (++m_tick == FRAMES_PER_SECOND) {
        m_tick = 0;
        m_originNs += NS_PER_SECOND;
    }
}

void Pacer::BeatFrom(int64_t nowNs) {
    m_beating = true;
    m_originNs = nowNs;
    m_tick = 1;
}

}  // namespace frame_pacing
