// A long headless run with random input and frequent new games: nothing may grow.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>

#include "game/MainFrm.h"
#include "platform/headless.h"

namespace {

size_t HeapInUse() {
    struct mallinfo2 mi = mallinfo2();
    return mi.uordblks;
}

// `make soak` sets TESSELOR_SOAK_FRAMES to a million; CI runs the default.
int SoakFrames() {
    const char* s = std::getenv("TESSELOR_SOAK_FRAMES");
    return s ? std::atoi(s) : 50000;
}

TEST(SoakTest, RandomPlayWithEscapeAndSpaceKeepsMemoryFlat) {
    headless::Reset();
    auto* frame = new CMainFrame;
    ASSERT_TRUE(frame->CreateGameWindow());
    HWND hwnd = frame->GetSafeHwnd();
    const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SPACE};
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    const int frames = SoakFrames();
    size_t heapAtFirstRestart = 0;
    int restarts = 0;
    for (int n = 0; n < frames; ++n) {
        if (n % 3000 == 0) {
            if (n > 0) {
                headless::KeyDown(VK_ESCAPE);  // back to the title
                headless::PumpMessages();
            }
            headless::KeyDown(VK_SPACE);
            headless::KeyUp(VK_SPACE);
            headless::PumpMessages();
            ++restarts;
            if (restarts == 3) heapAtFirstRestart = HeapInUse();
        }
        if (next() % 4 == 0) {
            UINT vk = keys[next() % 5];
            if (next() % 2) {
                headless::KeyDown(vk, next() % 3 == 0);
            } else {
                headless::KeyUp(vk);
            }
            headless::PumpMessages();
        }
        frame->RenderFrame();
    }
    ASSERT_TRUE(IsWindow(hwnd)) << "Escape is only ever pressed during play";
    size_t heapAtEnd = HeapInUse();
    if (heapAtFirstRestart != 0) {
        EXPECT_LT(heapAtEnd, heapAtFirstRestart + 512 * 1024) << "heap grew over " << restarts << " games";
    }
    DestroyWindow(hwnd);
    headless::Reset();
}

}  // namespace
