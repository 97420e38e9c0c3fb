// The memory of a full stage, in a process of its own (`make bench` runs each benchmark binary
// apart), so that nothing another benchmark loaded counts: the sound font loaded as the program loads
// it, the whole stage played with the song and the sounds mixed, then the peak of the process's
// resident memory; and the growth over 100 Escape/Space games of 500 frames after it.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <fstream>
#include <string>

#include "bench/bench_summary.h"
#include "bench/stage_play.h"
#include "game/MainFrm.h"

namespace {

using stage_play::CStagePlay;

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), 0 when missing.
long StatusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
    }
    return 0;
}

long g_nPeakKiB = 0;
long g_nGrowthKiB = 0;

void BM_MemoryOfFullStage(benchmark::State& state) {
    stage_play::LoadSoundFont();
    for (auto _ : state) {
        CStagePlay play;
        if (!play.Ok()) {
            state.SkipWithError("no window");
            return;
        }
        for (int n = 1; n <= stage_play::STAGE_FRAMES; ++n) {
            play.Frame(n);
            play.PullAudio();
        }
        g_nPeakKiB = StatusKiB("VmHWM:");
        malloc_trim(0);
        const long nBefore = StatusKiB("VmRSS:");
        for (int game = 0; game < 100; ++game) {
            stage_play::PressKey(VK_ESCAPE);
            stage_play::PressKey(VK_SPACE);
            for (int n = 1; n <= 500; ++n) {
                play.Frame(n);
                play.PullAudio();
            }
        }
        malloc_trim(0);
        g_nGrowthKiB = StatusKiB("VmRSS:") - nBefore;
        state.counters["peak_KiB"] = double(g_nPeakKiB);
        state.counters["growth_KiB"] = double(g_nGrowthKiB);
    }
}
BENCHMARK(BM_MemoryOfFullStage)->Unit(benchmark::kMillisecond)->Iterations(1);

void Summarise() {
    if (g_nPeakKiB > 0) {
        bench_summary::Add("memory of a full stage, headless: %.1f MiB peak, with the sound font %s",
                           g_nPeakKiB / 1024.0, stage_play::SoundFontFile().c_str());
        bench_summary::Add("memory growth over 100 games: %ld KiB", g_nGrowthKiB);
    }
}

}  // namespace

int main(int argc, char** argv) { return bench_summary::Main(argc, argv, &Summarise); }
