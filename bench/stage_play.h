// One game played through the whole stage on the headless back end, as the program shows it: the
// scripted craft, every frame turned from 8-bit indices into 32-bit colours as the SDL back end does
// before it hands the frame to the screen, and, when asked, the song and the sounds mixed through
// FluidSynth for as long as the frames last.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wintypes.h"

class CMainFrame;

namespace stage_play {

// The stage's timeline runs to frame 10,200.
const int STAGE_FRAMES = 10200;
// The program shows one frame per 60 Hz vertical blank (every Present waits for it). Its 50 ms timer
// asks for 4 frames a tick, which the vertical blank never allows (4 x 16.7 ms > 50 ms), so the game
// runs at 60 frames a second.
const double FRAMES_PER_SECOND = 60.0;

// The program's start-up: the sound font starts loading in the background. Waits until it has
// loaded (one short game opens the song, which waits for the font), so that no figure counts it.
void LoadSoundFont();
// The file of the General MIDI sound font the program loads here (links followed), or "none".
std::string SoundFontFile();

// A key pressed and let go, each message handled at once.
void PressKey(UINT vk);

class CStagePlay {
public:
    // A fresh frame window, its title shown once, and a game started from it (Space). Ok() says
    // whether it opened.
    CStagePlay();
    ~CStagePlay();
    bool Ok() const { return m_pFrame != nullptr; }

    // Frame n of play (1 to STAGE_FRAMES): the scripted input, the craft's shield topped up, the
    // frame drawn and presented, and its conversion to 32-bit colours.
    void Frame(int n);
    // One frame's share of the audio stream (the device's rate / 60 frames), pulled as the audio
    // device pulls it: the song through FluidSynth and any sound effect, mixed.
    void PullAudio();

    // Whether the craft still flies (the benchmark keeps it alive; see Frame).
    bool CraftAlive() const;
    CMainFrame* MainFrame() const { return m_pFrame; }
    // Seconds of audio pulled so far.
    double AudioSeconds() const;

private:
    // What the SDL back end's Present does with the frame before the renderer gets it.
    void ConvertPresented();

    CMainFrame* m_pFrame = nullptr;
    std::vector<uint32_t> m_screen;
    std::vector<float> m_audio;
    uint64_t m_qwAudioFrames = 0;
    double m_dAudioOwed = 0;
};

}  // namespace stage_play
