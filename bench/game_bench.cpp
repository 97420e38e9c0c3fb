// The whole game on the headless back end: the full stage as a multiple of real time (the game alone,
// and the game with the song synthesised), the stage's dearest frame, and start-up in process.
// The memory of a full stage is measured by memory_bench, in a process of its own.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/bench_summary.h"
#include "bench/stage_play.h"
#include "game/MainFrm.h"
#include "tests/support/headless_frame.h"

namespace {

using stage_play::CStagePlay;
using stage_play::FRAMES_PER_SECOND;
using stage_play::STAGE_FRAMES;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Multiples of real time, kept for the summary (0: not measured).
double g_dGameRealTime = 0;
double g_dProgramRealTime = 0;

// Plays the stage, each iteration a new game; the set-up is not timed. With bAudio, every frame also
// pulls its share of the audio stream. Returns the stage's played seconds per second of work.
double PlayStages(benchmark::State& state, bool bAudio) {
    stage_play::LoadSoundFont();
    Clock::duration worked{};
    double dAudioSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CStagePlay play;
        if (!play.Ok()) {
            state.SkipWithError("no window");
            return 0;
        }
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        for (int n = 1; n <= STAGE_FRAMES; ++n) {
            play.Frame(n);
            if (bAudio) play.PullAudio();
        }
        worked += Clock::now() - start;
        state.PauseTiming();
        if (!play.CraftAlive()) {
            state.SkipWithError("the craft was lost");
            return 0;
        }
        dAudioSeconds = play.AudioSeconds();
        state.ResumeTiming();
    }
    const double dRealTime = STAGE_FRAMES / FRAMES_PER_SECOND * double(state.iterations()) / Seconds(worked);
    state.counters["x_realtime"] = dRealTime;
    state.counters["frame_us"] = Seconds(worked) * 1e6 / (double(state.iterations()) * STAGE_FRAMES);
    if (bAudio) state.counters["audio_s"] = dAudioSeconds;
    return dRealTime;
}

// Frames 1 to 10,200 of one game with the conversion of every presented frame: logic, 8-bit drawing
// and the 8 to 32-bit conversion, as a multiple of real time at 60 frames a second.
void BM_WholeStage(benchmark::State& state) { g_dGameRealTime = PlayStages(state, false); }
BENCHMARK(BM_WholeStage)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The same, with the song and the sounds mixed through FluidSynth for the same span (170 s of audio,
// pulled on this thread, where the program's audio device pulls it on a thread of its own).
void BM_WholeProgram(benchmark::State& state) { g_dProgramRealTime = PlayStages(state, true); }
BENCHMARK(BM_WholeProgram)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The dearest frame of the stage: each frame timed on its own over several plays of the stage, its
// cost the least of those plays (what is left when nothing else got in the way), and the figure the
// greatest such cost over the stage.
const int DEAREST_FRAME_PLAYS = 5;
double g_dDearestUs = 0;
int g_nDearestFrame = 0;
// The same over frames 2 on: frame 1 also opens the song.
double g_dDearestLaterUs = 0;
int g_nDearestLaterFrame = 0;

void BM_DearestFrame(benchmark::State& state) {
    std::vector<double> least(STAGE_FRAMES + 1, 1e30);
    for (auto _ : state) {
        for (int play = 0; play < DEAREST_FRAME_PLAYS; ++play) {
            CStagePlay stage;
            if (!stage.Ok()) {
                state.SkipWithError("no window");
                return;
            }
            for (int n = 1; n <= STAGE_FRAMES; ++n) {
                const Clock::time_point start = Clock::now();
                stage.Frame(n);
                least[n] = std::min(least[n], Seconds(Clock::now() - start) * 1e6);
            }
        }
    }
    auto dearest = std::max_element(least.begin() + 1, least.end());
    auto dearestLater = std::max_element(least.begin() + 2, least.end());
    g_dDearestLaterUs = *dearestLater;
    g_nDearestLaterFrame = int(dearestLater - least.begin());
    std::vector<double> sorted(least.begin() + 1, least.end());
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    g_dDearestUs = *dearest;
    g_nDearestFrame = int(dearest - least.begin());
    state.counters["dearest_us"] = g_dDearestUs;
    state.counters["at_frame"] = g_nDearestFrame;
    state.counters["median_us"] = sorted[sorted.size() / 2];
}
BENCHMARK(BM_DearestFrame)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// From nothing to the first TITLE frame presented, in process and headless: window, display, sound,
// pictures, first game. Process start, the X connection and the renderer are not in it; bench/xvfb.sh
// measures the real program from exec to its first frame on the screen.
void BM_StartUpToFirstTitleFrame(benchmark::State& state) {
    for (auto _ : state) {
        CMainFrame* pFrame = OpenHeadlessFrame();
        if (pFrame == nullptr) {
            state.SkipWithError("no window");
            return;
        }
        pFrame->RenderFrame();
        state.PauseTiming();
        CloseHeadlessFrame(pFrame->GetSafeHwnd());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstTitleFrame)->Unit(benchmark::kMillisecond);

void Summarise() {
    if (g_dGameRealTime > 0) bench_summary::Add("game: %.0fx real time", g_dGameRealTime);
    if (g_dProgramRealTime > 0)
        bench_summary::Add("whole program: %.1fx real time, with the sound font %s", g_dProgramRealTime,
                           stage_play::SoundFontFile().c_str());
    if (g_nDearestFrame > 0)
        bench_summary::Add("dearest frame: %.3f ms at frame %d", g_dDearestUs / 1000, g_nDearestFrame);
    if (g_nDearestLaterFrame > 0)
        bench_summary::Add("dearest frame after the first: %.3f ms at frame %d", g_dDearestLaterUs / 1000,
                           g_nDearestLaterFrame);
    if (const bench_summary::SRun* run = bench_summary::Find("BM_StartUpToFirstTitleFrame"))
        bench_summary::Add("start-up in process, headless: %.1f ms", run->dRealTime);
}

}  // namespace

int main(int argc, char** argv) { return bench_summary::Main(argc, argv, &Summarise); }
