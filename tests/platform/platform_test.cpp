// The platform stand-in: messages and timers, global memory, resources, files and the random sequence.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/afx_app.h"
#include "platform/crt_rand.h"
#include "platform/headless.h"
#include "platform/kernel.h"
#include "platform/resources.h"
#include "platform/user.h"

namespace {

TEST(RandTest, SequenceStartsAtStateOneAndIsShared) {
    crt::rand_reset_for_testing();
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
    EXPECT_EQ(crt::rand(), 6334);
    uint32_t state = crt::rand_state();
    EXPECT_EQ(state, ((1u * 214013u + 2531011u) * 214013u + 2531011u) * 214013u + 2531011u);
    for (int i = 0; i < 100000; ++i) {
        int r = crt::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
    crt::rand_reset_for_testing();
}

// A window that records the messages it is sent.
std::vector<MSG> g_log;
LRESULT CALLBACK_Record(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    g_log.push_back(MSG{hwnd, msg, w, l, 0});
    if (msg == WM_CLOSE) return DefWindowProcA(hwnd, msg, w, l);
    return 0;
}

class MessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        g_log.clear();
        RegisterClassA("Recorder", &CALLBACK_Record, 0, nullptr, nullptr, nullptr);
        m_hWnd = CreateWindowExA(0, "Recorder", "rec", WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_hWnd, nullptr);
        g_log.clear();
    }
    void TearDown() override {
        if (IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
        headless::Reset();
    }
    std::vector<UINT> Messages() {
        std::vector<UINT> out;
        for (auto& m : g_log) out.push_back(m.message);
        return out;
    }
    HWND m_hWnd = nullptr;
};

TEST_F(MessageTest, TimerTicksComeAfterPostedMessagesAndAreNeverStacked) {
    SetTimer(m_hWnd, 0, 50, nullptr);
    headless::AdvanceClock(49);
    EXPECT_EQ(headless::PumpMessages(), 0);
    headless::AdvanceClock(1);
    PostMessageA(m_hWnd, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageA(m_hWnd, WM_KEYUP, VK_SPACE, 1);
    EXPECT_EQ(headless::PumpMessages(), 3);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP, WM_TIMER}));
    EXPECT_EQ(g_log.back().wParam, 0u) << "timer id 0 arrives as wParam 0";
    g_log.clear();
    headless::AdvanceClock(10 * 50);
    EXPECT_EQ(headless::PumpMessages(), 1) << "ten late periods make one tick";
    headless::AdvanceClock(49);
    EXPECT_EQ(headless::PumpMessages(), 0) << "the next tick counts from the late one";
    headless::AdvanceClock(1);
    EXPECT_EQ(headless::PumpMessages(), 1);
    EXPECT_TRUE(KillTimer(m_hWnd, 0));
    headless::AdvanceClock(500);
    EXPECT_EQ(headless::PumpMessages(), 1 - 1);
}

TEST_F(MessageTest, CloseDestroysTheWindowAndDropsItsMessagesAndTimers) {
    SetTimer(m_hWnd, 7, 50, nullptr);
    PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    PostMessageA(m_hWnd, WM_KEYDOWN, 'X', 1);
    headless::AdvanceClock(100);
    headless::PumpMessages();
    EXPECT_FALSE(IsWindow(m_hWnd));
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(PostMessageA(m_hWnd, WM_KEYDOWN, 'X', 1)) << "no posting to a window that is gone";
    EXPECT_EQ(SendMessageA(m_hWnd, WM_KEYDOWN, 'X', 1), 0);
}

TEST_F(MessageTest, QuitEndsTheLoopOnlyOnceThePostedMessagesAreDone) {
    PostMessageA(m_hWnd, WM_KEYDOWN, 'A', 1);
    PostQuitMessage(3);
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MessageTest, MissingDisplayRefusesTheWindow) {
    DestroyWindow(m_hWnd);
    headless::SetDisplayAvailable(false);
    EXPECT_EQ(CreateWindowExA(0, "Recorder", "x", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    headless::SetDisplayAvailable(true);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "x", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST(GlobalMemoryTest, BlocksAreKnownByHandleAndUnknownOnesAreRefused) {
    // Fixed blocks: the handle is the pointer.
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 18);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(GlobalLock(fixed), fixed);
    EXPECT_EQ(GlobalHandle(fixed), fixed);
    EXPECT_EQ(GlobalFree(fixed), nullptr);

    // Moveable blocks: lock gives the pointer, GlobalHandle gives the handle back.
    HGLOBAL moveable = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, 4096);
    ASSERT_NE(moveable, nullptr);
    void* p = GlobalLock(moveable);
    ASSERT_NE(p, nullptr);
    EXPECT_NE(p, moveable);
    std::memset(p, 0xAB, 4096);
    EXPECT_EQ(GlobalHandle(p), moveable);
    EXPECT_EQ(GlobalSize(moveable), 4096u);
    GlobalUnlock(moveable);
    EXPECT_EQ(GlobalFree(moveable), nullptr);

    // A moveable block of zero bytes exists but cannot be locked.
    HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(GlobalLock(empty), nullptr);
    EXPECT_EQ(GlobalFree(empty), nullptr);

    // Pointers and handles this layer never gave out.
    int local = 0;
    EXPECT_EQ(GlobalHandle(&local), nullptr);
    EXPECT_EQ(GlobalLock(&local), nullptr);
    EXPECT_EQ(GlobalFree(&local), static_cast<HGLOBAL>(&local));
    EXPECT_FALSE(FreeResource(GlobalHandle(&local)));
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, size_t(1) << 40), nullptr) << "absurd sizes fail cleanly";
}

TEST(FileTest, ShortReadsWriteOnlyTheBytesRead) {
    std::string path = testing::TempDir() + "tesselor_lread.bin";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite("0123456789", 1, 10, f);
        std::fclose(f);
    }
    HFILE h = _lopen(path.c_str(), OF_READ);
    ASSERT_NE(h, HFILE_ERROR);
    char buf[16];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(_lread(h, buf, 4), 4u);
    EXPECT_EQ(_lread(h, buf + 4, 12), 6u);
    EXPECT_EQ(std::string(buf, 16), "0123456789######");
    EXPECT_EQ(_lread(h, buf, 4), 0u);
    EXPECT_EQ(_lclose(h), 0);
    EXPECT_EQ(_lopen((path + ".missing").c_str(), OF_READ), HFILE_ERROR);

    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    EXPECT_EQ(file.GetLength(), 10u);
    EXPECT_EQ(file.Read(buf, 16), 10u);
    CFile missing;
    EXPECT_FALSE(missing.Open((path + ".missing").c_str(), CFile::modeRead));
    EXPECT_THROW(missing.Read(buf, 1), CFileException);
    std::remove(path.c_str());
}

TEST(ResourceTest, LookUpByIdOrNameAndType) {
    static const BYTE kWave[] = {1, 2, 3, 4};
    static const BYTE kBitmap[] = {5, 6};
    static const ResourceEntry kTable[] = {
        {"WAVE", MAKEINTRESOURCE(153), kWave, sizeof kWave},
        {RT_BITMAP, "BG00", kBitmap, sizeof kBitmap},
    };
    resources::SetTableForTesting(kTable, 2);
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC wave = FindResourceA(nullptr, MAKEINTRESOURCE(153), "wave");
    ASSERT_NE(wave, nullptr) << "type names compare without case";
    EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCE(153), "WAVE"), wave);
    EXPECT_EQ(SizeofResource(nullptr, wave), 4u);
    EXPECT_EQ(LockResource(LoadResource(nullptr, wave)), static_cast<const void*>(kWave));
    EXPECT_NE(FindResourceA(nullptr, "bg00", RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "BG00", "WAVE"), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCE(154), "WAVE"), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "153", "WAVE"), nullptr) << "an id is not its text";
    int other;
    EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(&other), MAKEINTRESOURCE(153), "WAVE"), nullptr);
    EXPECT_EQ(LockResource(nullptr), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, reinterpret_cast<HRSRC>(&other)), 0u);
    EXPECT_EQ(GlobalHandle(kWave), nullptr) << "a resource is no global block";
    resources::SetTableForTesting(nullptr, 0);
}

TEST(ResourceTest, TheProgramCarriesItsSongAndSounds) {
    for (int id : {153, 154}) {
        HRSRC r = FindResourceA(nullptr, MAKEINTRESOURCE(id), "WAVE");
        ASSERT_NE(r, nullptr) << id;
        const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, r)));
        EXPECT_EQ(std::memcmp(p, "RIFF", 4), 0);
    }
    HRSRC song = FindResourceA(nullptr, MAKEINTRESOURCE(156), "MIDS");
    ASSERT_NE(song, nullptr);
    EXPECT_GT(SizeofResource(nullptr, song), 44u);
}

}  // namespace
