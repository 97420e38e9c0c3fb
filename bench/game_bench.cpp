// The whole game on the headless back end: a full stage, the costliest frame, start-up and memory.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <fstream>
#include <string>

#include "game/Background.h"
#include "game/GameWorld.h"
#include "game/MainFrm.h"
#include "platform/crt_rand.h"
#include "platform/headless.h"
#include "platform/winmm_midi.h"

namespace {

// The scripted player: weaves left and right, fires every 8 frames.
void ScriptedInput(CMainFrame* frame, int n) {
    bool left = (n / 90) % 2 == 0;
    frame->m_bKeyLeft = left;
    frame->m_bKeyRight = !left;
    if (n % 8 == 0) frame->m_bFire = 1;
}

CMainFrame* NewFrame() {
    headless::Reset();
    auto* frame = new CMainFrame;
    if (!frame->CreateGameWindow()) return nullptr;
    return frame;
}

void StartPlay(CMainFrame*) {
    headless::KeyDown(VK_SPACE);
    headless::PumpMessages();
    headless::KeyUp(VK_SPACE);
    headless::PumpMessages();
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

long PeakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

// The program loads its sound font in the background from start-up on; so does the benchmark, and
// it waits for the load to finish before it measures (one short game does that).
void WarmUp() {
    MidiStartSynthLoad();
    CMainFrame* frame = NewFrame();
    StartPlay(frame);
    frame->RenderFrame();
    frame->DestroyWindow();
}

// Frames 1 to 10,200 of one game, as a multiple of real time at 60 frames a second.
void BM_WholeStage(benchmark::State& state) {
    const int kFrames = 10200;
    WarmUp();
    for (auto _ : state) {
        state.PauseTiming();
        CMainFrame* frame = NewFrame();
        StartPlay(frame);
        state.ResumeTiming();
        for (int n = 1; n <= kFrames; ++n) {
            ScriptedInput(frame, n);
            frame->RenderFrame();
        }
        state.PauseTiming();
        frame->DestroyWindow();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(kFrames) / 60.0 * state.iterations(),
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WholeStage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The busiest frame: 20 enemies, 100 bullets, every explosion, both items, both background stages.
void BM_WorstFrame(benchmark::State& state) {
    CMainFrame* frame = NewFrame();
    StartPlay(frame);
    frame->RenderFrame();
    CGameWorld* g = frame->m_pGame;
    for (int i = 0; i < MAX_ENEMIES; ++i) {
        if (i % 2) {
            g->SpawnG(30 * i);
        } else {
            g->SpawnI(30 * i);
        }
    }
    for (int i = 0; i < MAX_ENEMIES; ++i) {
        if (g->m_pEnemies[i]) g->m_pEnemies[i]->SetY(60 + 15 * i);
    }
    const RECT bullet{202, 376, 209, 383};
    for (int i = 0; i < MAX_BULLETS; ++i) {
        if (g->m_pBullets[i] == nullptr) {
            g->m_pBullets[i] = new CSprite(frame->m_pddsBack, frame->m_pddsSprites, bullet, (i * 37) % 630, 20 + (i * 53) % 300);
        }
    }
    // Both background stages on screen: the passage of stage 4.
    frame->m_nFrameCount = 2700;
    frame->m_nStage = 4;
    for (int i = 0; i < 140; ++i) frame->m_pBackground->Update(4);
    for (auto _ : state) {
        for (int i = 0; i < MAX_SMALL_EXPLOSIONS; ++i) {
            g->CreateSmallExplosion(i);
            if (g->m_pSmallExplosions[i]) g->m_pSmallExplosions[i]->SetY(200);
        }
        for (int i = 0; i < MAX_BIG_EXPLOSIONS; ++i) {
            g->CreateBigExplosion(i);
            if (g->m_pBigExplosions[i]) g->m_pBigExplosions[i]->SetY(150);
        }
        g->CreateItem(ITEM_POWER);
        g->CreateItem(ITEM_SHIELD);
        if (g->m_pPowerItem) g->m_pPowerItem->SetY(100);
        if (g->m_pShieldItem) g->m_pShieldItem->SetY(100);
        for (int i = 0; i < MAX_ENEMIES; ++i) {
            if (g->m_pEnemies[i]) g->m_pEnemies[i]->SetY(60 + 15 * i);
        }
        for (int i = 0; i < MAX_BULLETS; ++i) {
            if (g->m_pBullets[i]) g->m_pBullets[i]->SetY(20 + (i * 53) % 300);
        }
        frame->m_nFrameCount = 2700;  // no timeline entry, stage 4
        frame->RenderFrame();
    }
    frame->DestroyWindow();
}
BENCHMARK(BM_WorstFrame)->Unit(benchmark::kMicrosecond);

// From nothing to the first TITLE frame presented (headless): window, display, sound, pictures, first game.
void BM_StartUpToFirstTitleFrame(benchmark::State& state) {
    for (auto _ : state) {
        CMainFrame* frame = NewFrame();
        frame->RenderFrame();
        state.PauseTiming();
        frame->DestroyWindow();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstTitleFrame)->Unit(benchmark::kMillisecond);

// Memory: the peak of a full stage, and growth over 100 Escape/Space cycles of 500 frames.
void BM_MemoryOverGames(benchmark::State& state) {
    for (auto _ : state) {
        CMainFrame* frame = NewFrame();
        StartPlay(frame);
        for (int n = 1; n <= 10200; ++n) {
            ScriptedInput(frame, n);
            frame->RenderFrame();
        }
        long peak = PeakKiB();
        malloc_trim(0);
        long before = ResidentKiB();
        for (int cycle = 0; cycle < 100; ++cycle) {
            headless::KeyDown(VK_ESCAPE);
            headless::PumpMessages();
            StartPlay(frame);
            for (int n = 1; n <= 500; ++n) {
                ScriptedInput(frame, n);
                frame->RenderFrame();
            }
        }
        malloc_trim(0);
        long after = ResidentKiB();
        state.counters["peak_KiB"] = static_cast<double>(peak);
        state.counters["growth_KiB"] = static_cast<double>(after - before);
        frame->DestroyWindow();
    }
}
BENCHMARK(BM_MemoryOverGames)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
