// Start-up on the real (SDL2) back end with SDL's dummy video driver: from nothing to the first
// TITLE frame presented. The sound font's loading in the background is not counted.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "game/MainFrm.h"
#include "platform/backend.h"
#include "platform/resources.h"

namespace {

void BM_StartUpSdlDummy(benchmark::State& state) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (auto _ : state) {
        if (!backend::Init()) {
            state.SkipWithError("SDL does not start");
            break;
        }
        auto* frame = new CMainFrame;
        if (!frame->CreateGameWindow()) {
            state.SkipWithError("no window");
            backend::Shutdown();
            break;
        }
        frame->RenderFrame();
        state.PauseTiming();
        frame->DestroyWindow();
        backend::Shutdown();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpSdlDummy)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
