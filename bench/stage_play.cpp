#include "bench/stage_play.h"

#include "game/GameWorld.h"
#include "game/MainFrm.h"
#include "platform/audio_out.h"
#include "platform/headless.h"
#include "platform/palette_convert.h"
#include "platform/screen.h"
#include "platform/synth.h"
#include "platform/winmm_midi.h"
#include "tests/support/headless_frame.h"
#include "tests/support/real_file_name.h"

namespace stage_play {

namespace {

// What an audio device pulls at a time.
const int AUDIO_BLOCK = 512;

// The scripted player: weaves left and right, fires every 8 frames.
void ScriptedInput(CMainFrame* pFrame, int n) {
    bool left = (n / 90) % 2 == 0;
    pFrame->m_bKeyLeft = left;
    pFrame->m_bKeyRight = !left;
    if (n % 8 == 0) pFrame->m_bFire = 1;
}

}  // namespace

void PressKey(UINT vk) {
    headless::KeyDown(vk);
    headless::PumpMessages();
    headless::KeyUp(vk);
    headless::PumpMessages();
}

void LoadSoundFont() {
    MidiStartSynthLoad();
    CStagePlay play;
    if (play.Ok()) play.Frame(1);
}

std::string SoundFontFile() {
    const std::string strFont = FindSoundFont(SoundFontDirs());
    if (strFont.empty()) return "none";
    return RealFileName(strFont);
}

CStagePlay::CStagePlay() : m_screen(SCREEN_WIDTH * SCREEN_HEIGHT), m_audio(2 * AUDIO_BLOCK) {
    m_pFrame = OpenHeadlessFrame();
    if (m_pFrame == nullptr) return;
    // Play starts from the title on the screen, as in the program: the first frame of a new window,
    // with every picture and buffer still cold, belongs to start-up, not to the start of play.
    m_pFrame->RenderFrame();
    ConvertPresented();
    PressKey(VK_SPACE);
}

CStagePlay::~CStagePlay() {
    if (m_pFrame != nullptr) CloseHeadlessFrame(m_pFrame->GetSafeHwnd());
}

// The scripted craft alone is lost early in the stage, and then the END picture would cover most of
// the measured frames; so the craft's shield is set full again before every frame, through the game
// world, and the craft flies the whole stage (with the gauge's 20 units drawn every frame).
void CStagePlay::Frame(int n) {
    ScriptedInput(m_pFrame, n);
    CGameWorld* pGame = m_pFrame->m_pGame;
    if (pGame != nullptr && pGame->m_pPlayer != nullptr) pGame->m_pPlayer->m_nHP = MAX_SHIELD;
    m_pFrame->RenderFrame();
    ConvertPresented();
}

void CStagePlay::ConvertPresented() {
    if (headless::PresentedPixels().size() != m_screen.size()) return;
    uint32_t lut[256];
    palette_convert::BuildTable(headless::PresentedPalette().data(), lut);
    palette_convert::Convert(headless::PresentedPixels().data(), SCREEN_WIDTH, m_screen.data(), SCREEN_WIDTH * 4,
                             SCREEN_WIDTH, SCREEN_HEIGHT, lut);
}

void CStagePlay::PullAudio() {
    m_dAudioOwed += audio_out::SampleRate() / FRAMES_PER_SECOND;
    while (m_dAudioOwed >= AUDIO_BLOCK) {
        audio_out::Render(m_audio.data(), AUDIO_BLOCK);
        m_dAudioOwed -= AUDIO_BLOCK;
        m_qwAudioFrames += AUDIO_BLOCK;
    }
}

bool CStagePlay::CraftAlive() const {
    return m_pFrame != nullptr && m_pFrame->m_pGame != nullptr && m_pFrame->m_pGame->m_pPlayer != nullptr;
}

double CStagePlay::AudioSeconds() const {
    return audio_out::SampleRate() > 0 ? double(m_qwAudioFrames) / audio_out::SampleRate() : 0.0;
}

}  // namespace stage_play
