// Faults the game rides out: no audio device (a silent game), no synthesiser for the music (a game
// without music), a damaged or missing picture (the game runs without what it would have drawn), and
// no display at all for the real program (one clear message, a non-zero exit, no crash).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "audio/Midistrm.h"
#include "game/BitmapSurface.h"
#include "game/GameWorld.h"
#include "game/MainFrm.h"
#include "game/Tesselor.h"
#include "platform/audio_out.h"
#include "platform/crt_rand.h"
#include "platform/ddraw_testing.h"
#include "platform/gdi.h"
#include "platform/headless.h"
#include "platform/resources.h"
#include "platform/winmm_midi_testing.h"

#include "tests/support/file_bytes.h"
#include "tests/support/headless_frame.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

// ---- A game in the frame window on the headless back end ----

CMainFrame* OpenFrame() {
    crt::rand_reset_for_testing();
    return OpenHeadlessFrame();
}

void CloseFrame(CMainFrame* pFrame) {
    CloseHeadlessFrame(pFrame != nullptr ? pFrame->GetSafeHwnd() : nullptr);
}

void Tap(UINT vk) {
    headless::KeyDown(vk);
    headless::PumpMessages();
    headless::KeyUp(vk);
    headless::PumpMessages();
}

// The craft weaves left and right and fires every second tick; one tick is four frames.
void PlayTick(int t) {
    const int sway = (t / 20) % 4;
    const bool left = sway == 0 || sway == 3;
    headless::KeyDown(left ? VK_LEFT : VK_RIGHT);
    headless::KeyUp(left ? VK_RIGHT : VK_LEFT);
    if (t % 2 == 0) headless::KeyDown(VK_SPACE);
    headless::PumpMessages();
    headless::RunTicks(1);
    if (t % 2 == 0) headless::KeyUp(VK_SPACE);
    headless::PumpMessages();
}

uint64_t PresentedDigest() {
    uint64_t h = 1469598103934665603ull;
    for (BYTE b : headless::PresentedPixels()) {
        h ^= b;
        h *= 1099511628211ull;
    }
    for (const PALETTEENTRY& e : headless::PresentedPalette()) {
        for (BYTE b : {e.peRed, e.peGreen, e.peBlue}) {
            h ^= b;
            h *= 1099511628211ull;
        }
    }
    return h;
}

// ---- Test resources ----

// The embedded table without one bitmap (and, if given, with another data block in its place).
class CResourceSwap {
public:
    CResourceSwap(LPCSTR szName, const std::vector<BYTE>* pReplacement) {
        size_t n = 0;
        const ResourceEntry* pTable = resources::EmbeddedTable(&n);
        for (size_t i = 0; i < n; ++i) {
            const ResourceEntry& e = pTable[i];
            const bool bThis = e.type == RT_BITMAP && !IS_INTRESOURCE(e.name) && std::strcmp(e.name, szName) == 0;
            if (!bThis) {
                m_entries.push_back(e);
            } else if (pReplacement != nullptr) {
                m_entries.push_back({e.type, e.name, pReplacement->data(), static_cast<DWORD>(pReplacement->size())});
            }
        }
        resources::SetTableForTesting(m_entries.data(), m_entries.size());
    }
    ~CResourceSwap() { resources::SetTableForTesting(nullptr, 0); }

private:
    std::vector<ResourceEntry> m_entries;
};

std::vector<BYTE> EmbeddedBitmap(LPCSTR szName) {
    HRSRC h = FindResourceA(nullptr, szName, RT_BITMAP);
    const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, h)));
    return p != nullptr ? std::vector<BYTE>(p, p + SizeofResource(nullptr, h)) : std::vector<BYTE>();
}

// ---- No audio device ----

TEST(FaultTest, NoAudioDeviceRunsASilentGameWithShotsAndHits) {
    audio_out::Shutdown();
    headless::SetAudioAvailable(false);
    CMainFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_EQ(pFrame->m_pDS, nullptr);
    EXPECT_EQ(pFrame->m_pdsbHit, nullptr);
    EXPECT_EQ(pFrame->m_pdsbExplosion, nullptr);

    Tap(VK_SPACE);
    const int nPresentsBefore = headless::PresentCount();
    int nShots = 0, nHits = 0;
    for (int t = 0; t < 75; ++t) {
        PlayTick(t);
        ASSERT_NE(pFrame->m_pGame, nullptr);
        for (const CSprite* p : pFrame->m_pGame->m_pShots) nShots += p != nullptr;
        for (const CSprite* p : pFrame->m_pGame->m_pSmallExplosions) nHits += p != nullptr;
    }
    EXPECT_EQ(pFrame->m_nFrameCount, 300);
    EXPECT_EQ(headless::PresentCount() - nPresentsBefore, 300);
    EXPECT_GT(nShots, 0) << "the craft fired";
    EXPECT_GT(nHits, 0) << "shots hit enemies, with no sound to play";
    EXPECT_NE(pFrame->m_pGame->m_pPlayer, nullptr);
    ASSERT_NE(pFrame->m_pMusic, nullptr);
    EXPECT_FALSE(pFrame->m_pMusic->m_bPlaying) << "no device, no music";
    EXPECT_FALSE(headless::MidiStreamIsOpen());

    Tap(VK_ESCAPE);
    EXPECT_EQ(pFrame->m_nGameState, GAME_STATE_TITLE);
    CloseFrame(pFrame);
    headless::SetAudioAvailable(true);
    audio_out::Shutdown();
}

// ---- No synthesiser: the stream cannot be opened ----

TEST(FaultTest, NoSynthesiserRunsTheGameWithoutMusic) {
    ASSERT_TRUE(midi_testing::SetSynthFactory([](int) -> CSynth* { return nullptr; }));
    CMainFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_NE(pFrame->m_pDS, nullptr) << "the sound effects have their device";

    Tap(VK_SPACE);
    headless::RunTicks(1);
    ASSERT_EQ(pFrame->m_nGameState, GAME_STATE_PLAYING);
    ASSERT_NE(pFrame->m_pMusic, nullptr);
    EXPECT_TRUE(pFrame->m_pMusic->IsLoaded()) << "the song itself is fine";
    EXPECT_FALSE(pFrame->m_pMusic->m_bPlaying);
    EXPECT_EQ(pFrame->m_pMusic->m_hStream, nullptr);
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_FALSE(pFrame->m_pMusic->Play(TRUE)) << "no stream opens";

    for (int t = 0; t < 50; ++t) PlayTick(t);
    EXPECT_EQ(pFrame->m_nFrameCount, 204);

    // Escape stops music that never started; the next game tries again and plays on without it.
    Tap(VK_ESCAPE);
    EXPECT_EQ(pFrame->m_nGameState, GAME_STATE_TITLE);
    EXPECT_FALSE(pFrame->m_pMusic->m_bPlaying);
    Tap(VK_SPACE);
    headless::RunTicks(1);
    ASSERT_EQ(pFrame->m_nGameState, GAME_STATE_PLAYING);
    ASSERT_NE(pFrame->m_pMusic, nullptr);
    EXPECT_FALSE(pFrame->m_pMusic->m_bPlaying);

    // Game over: the END picture goes up and every frame's Stop finds nothing to stop.
    pFrame->m_pGame->DestroyPlayer();
    headless::RunTicks(55);
    EXPECT_GT(pFrame->m_nGameOverCount, 200);
    EXPECT_TRUE(PresentedEquals(pFrame->m_pddsEnd));
    pFrame->m_pMusic->Stop();
    EXPECT_FALSE(pFrame->m_pMusic->m_bPlaying);
    EXPECT_FALSE(headless::MidiStreamIsOpen());

    Tap(VK_ESCAPE);
    CloseFrame(pFrame);
    EXPECT_TRUE(midi_testing::SetSynthFactory(nullptr));
}

// ---- Damaged or missing pictures ----

// The input of the picture tests: the weave, to frame `nFrames`, a digest of the presented frame every
// 100 frames.
std::vector<uint64_t> PlayAndDigest(CMainFrame* pFrame, int nFrames) {
    std::vector<uint64_t> digests;
    Tap(VK_SPACE);
    for (int t = 0; t * 4 < nFrames; ++t) {
        PlayTick(t);
        if (pFrame->m_nFrameCount % 100 == 0) digests.push_back(PresentedDigest());
    }
    return digests;
}

// BG00 with every pixel in the colour key: its layers are drawn and show nothing, which is what the
// game must show when it has no BG00 at all.
std::vector<BYTE> TransparentBG00() {
    std::vector<BYTE> dib = EmbeddedBitmap("BG00");
    BITMAPINFOHEADER bi;
    if (dib.size() < sizeof(bi)) return {};
    std::memcpy(&bi, dib.data(), sizeof(bi));
    const size_t table = bi.biSize + 256 * sizeof(RGBQUAD);
    if (bi.biBitCount != 8 || dib.size() < table) return {};
    RGBQUAD key = {GetBValue(SPRITE_COLOR_KEY), GetGValue(SPRITE_COLOR_KEY), GetRValue(SPRITE_COLOR_KEY), 0};
    std::memcpy(&dib[bi.biSize + 255 * sizeof(RGBQUAD)], &key, sizeof(key));
    std::fill(dib.begin() + static_cast<std::ptrdiff_t>(table), dib.end(), BYTE(255));
    return dib;
}

TEST(FaultTest, DamagedOrMissingBG00FileWithoutTheResourceDrawsNothingFromIt) {
    const int FRAMES = 2800;  // the cloud sea gives way to the city at frame 2560
    std::vector<uint64_t> expected;
    {
        const std::vector<BYTE> clear = TransparentBG00();
        ASSERT_FALSE(clear.empty());
        CResourceSwap swap("BG00", &clear);
        CMainFrame* pFrame = OpenFrame();
        ASSERT_NE(pFrame, nullptr);
        ASSERT_NE(pFrame->m_pddsBG00, nullptr);
        expected = PlayAndDigest(pFrame, FRAMES);
        CloseFrame(pFrame);
    }
    ASSERT_EQ(expected.size(), size_t(FRAMES / 100));

    const std::vector<BYTE> file = ReadBytes(ResourcePath("BG00.bmp"));
    ASSERT_GT(file.size(), 2000u);
    std::vector<BYTE> garbage(5000);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<BYTE>(i * 151 + (i >> 3));
    std::vector<BYTE> wrongOffset = file;
    wrongOffset[10] = 0xF0;  // bfOffBits far past the end
    wrongOffset[13] = 0x7F;
    const struct {
        const char* what;
        bool bFile;
        std::vector<BYTE> bytes;
    } cases[] = {
        {"rows cut short", true, std::vector<BYTE>(file.begin(), file.begin() + 2000)},
        {"header only", true, std::vector<BYTE>(file.begin(), file.begin() + 30)},
        {"garbage", true, garbage},
        {"pixels past the end", true, wrongOffset},
        {"empty file", true, {}},
        {"no file", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CScratchDir dir;
        ASSERT_TRUE(dir.Ok());
        if (c.bFile) WriteBytes(dir.File("BG00"), c.bytes);
        CResourceSwap swap("BG00", nullptr);
        CMainFrame* pFrame = OpenFrame();
        ASSERT_NE(pFrame, nullptr);
        EXPECT_EQ(pFrame->m_pddsBG00, nullptr);
        EXPECT_NE(pFrame->m_pddsBG01, nullptr);
        EXPECT_NE(pFrame->m_pddsTitle, nullptr);
        const std::vector<uint64_t> got = PlayAndDigest(pFrame, FRAMES);
        EXPECT_EQ(pFrame->m_nStage, FRAMES / 640);
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], expected[i]) << "frame " << (i + 1) * 100 << " shows something of BG00";
        CloseFrame(pFrame);
    }
}

TEST(FaultTest, MissingTitleStillFlipsEveryFrame) {
    CScratchDir dir;
    ASSERT_TRUE(dir.Ok());
    CResourceSwap swap("TITLE", nullptr);
    CMainFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_EQ(pFrame->m_pddsTitle, nullptr);
    EXPECT_NE(pFrame->m_pddsBG00, nullptr);

    int nPresents = headless::PresentCount();
    headless::RunTicks(5);
    EXPECT_EQ(headless::PresentCount() - nPresents, 20) << "the title flips with nothing copied";
    Tap(VK_SPACE);
    nPresents = headless::PresentCount();
    for (int t = 0; t < 100; ++t) PlayTick(t);
    EXPECT_EQ(pFrame->m_nFrameCount, 400);
    EXPECT_EQ(headless::PresentCount() - nPresents, 400);
    Tap(VK_ESCAPE);
    EXPECT_EQ(pFrame->m_nGameState, GAME_STATE_TITLE);
    nPresents = headless::PresentCount();
    headless::RunTicks(2);
    EXPECT_EQ(headless::PresentCount() - nPresents, 8);
    CloseFrame(pFrame);
}

// ---- No display for the real program ----

struct ProcessResult {
    bool bFinished = false;
    int nStatus = 0;
    std::string strErr;
};

// Runs `path` with `env`, collecting its standard error, for at most `seconds`.
ProcessResult RunProgram(const std::string& path, std::vector<std::string> env, int seconds) {
    ProcessResult r;
    int fds[2];
    if (pipe(fds) != 0) return r;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    std::vector<char*> argv = {const_cast<char*>(path.c_str()), nullptr};
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(&s[0]);
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        r.strErr = std::string("cannot start: ") + std::strerror(rc);
        return r;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    bool bOpen = true;
    while (std::chrono::steady_clock::now() < deadline) {
        if (bOpen) {
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                char buf[4096];
                const ssize_t n = read(fds[0], buf, sizeof(buf));
                if (n > 0)
                    r.strErr.append(buf, static_cast<size_t>(n));
                else
                    bOpen = false;
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!bOpen && waitpid(pid, &r.nStatus, WNOHANG) == pid) {
            r.bFinished = true;
            break;
        }
    }
    close(fds[0]);
    if (!r.bFinished) {
        kill(pid, SIGKILL);
        waitpid(pid, &r.nStatus, 0);
    }
    return r;
}

TEST(FaultTest, NoDisplayEndsTheProgramWithOneClearMessage) {
    // A desktop session's own runtime directory, but no display server of any kind.
    CTempDir runtime;
    ASSERT_TRUE(runtime.Ok());
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string s = *e;
        const std::string name = s.substr(0, s.find('='));
        if (name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "SDL_VIDEODRIVER" || name == "XDG_RUNTIME_DIR")
            continue;
        env.push_back(s);
    }
    env.push_back("XDG_RUNTIME_DIR=" + runtime.Path());

    const ProcessResult r = RunProgram(TESSELOR_EXE, env, 10);
    ASSERT_TRUE(r.bFinished) << "still running after 10 s; it said:\n" << r.strErr;
    EXPECT_FALSE(WIFSIGNALED(r.nStatus)) << "killed by signal " << WTERMSIG(r.nStatus) << "; it said:\n" << r.strErr;
    ASSERT_TRUE(WIFEXITED(r.nStatus));
    EXPECT_NE(WEXITSTATUS(r.nStatus), 0);
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < r.strErr.size()) {
        size_t end = r.strErr.find('\n', at);
        if (end == std::string::npos) end = r.strErr.size();
        if (end > at) lines.push_back(r.strErr.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 1u) << "standard error:\n" << r.strErr;
    EXPECT_EQ(lines[0].rfind("tesselor: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("display"), std::string::npos) << lines[0];
}

}  // namespace
