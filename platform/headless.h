// Test controls of the headless back end: a virtual clock, injected input, and what was shown and heard.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/wintypes.h"

namespace headless {

// Back to a fresh start: clock 0, no queued messages, no timers, no quit request, input window none.
void Reset();

// The virtual clock that drives WM_TIMER.
void AdvanceClock(DWORD ms);
DWORD Now();

// Dispatches every message that is ready now (posted ones, then a due timer, repeatedly) without
// waiting. Returns the number dispatched. Stops early when the quit message is reached.
int PumpMessages();
// Advances the clock by `ticks` × periodMs, pumping after each step: the real loop's rhythm.
void RunTicks(int ticks, DWORD periodMs = 50);
bool QuitPosted();
int QuitCode();

// Keyboard: posts WM_KEYDOWN / WM_KEYUP to the input window as the SDL back end would.
void KeyDown(UINT vk, bool autoRepeat = false);
void KeyUp(UINT vk);
// A key event delivered when the virtual clock reaches atMs, while the program's own message loop
// waits (lets a test run the whole program through AfxWinMain).
void ScheduleKey(DWORD atMs, UINT vk, bool down);

// Messages that reached the default window procedure (the base handlers), most recent last.
std::vector<MSG> DefaultHandled();
void ClearDefaultHandled();

// Display: whether a display exists (CreateMainWindow fails without one).
void SetDisplayAvailable(bool available);
bool CursorVisible();
LPCSTR WindowTitle();
bool WindowOpen();

// Video: the last frame passed to Present and the palette it was shown through.
int PresentCount();
const std::vector<BYTE>& PresentedPixels();  // SCREEN_WIDTH*SCREEN_HEIGHT indices, row after row
const std::vector<PALETTEENTRY>& PresentedPalette();

// Audio: whether an output device exists (OpenAudio fails without one).
void SetAudioAvailable(bool available);

// The back end's start and stop calls in the order they came since the last Init (which starts the
// record afresh), each with what the layers above had done by then: whether a MIDI stream was open,
// and how many sound-font loads had been asked for (midi_testing::SynthLoadsAsked).
enum BackEndCallKind { CALL_INIT, CALL_OPEN_AUDIO, CALL_CLOSE_AUDIO, CALL_SHUTDOWN };
struct BackEndCall {
    BackEndCallKind nKind;
    bool bMidiStreamOpen;
    uint64_t qwSynthLoadsAsked;
};
std::vector<BackEndCall> BackEndCalls();

// ---- Music: the MIDI stream layer (backend_headless_music.cpp) ----

// One message the recording synthesiser received, at the frame it arrived (frames it had rendered before).
enum MidiSynthKind {
    SYNTH_NOTE_ON,
    SYNTH_NOTE_OFF,
    SYNTH_KEY_PRESSURE,
    SYNTH_CONTROL,
    SYNTH_PROGRAM,
    SYNTH_CHANNEL_PRESSURE,
    SYNTH_PITCH_BEND,
    SYNTH_ALL_NOTES_OFF
};
struct MidiSynthEvent {
    uint64_t qwFrame;
    MidiSynthKind nKind;
    int nChannel;
    int nData1;
    int nData2;
};

// Streams opened from now on play into a recording synthesiser (true) or FluidSynth (false, the
// default). Only while no stream is open; false otherwise. Clears the record.
bool UseRecordingMidiSynth(bool use);
std::vector<MidiSynthEvent> RecordedMidiEvents();
// Frames the recording synthesiser has rendered.
uint64_t RecordedMidiFrames();
void ClearRecordedMidiEvents();

// Blocks until every MIDI notice posted so far (MOM_OPEN, MOM_DONE, MOM_CLOSE) has reached its callback.
void WaitMidiNotices();
// Holds every MIDI notice back this long before delivering it (0: none).
void SetMidiNoticeDelay(DWORD ms);

// The open stream, if any.
bool MidiStreamIsOpen();
bool MidiStreamIsRunning();
size_t MidiBuffersQueued();
DWORD MidiTempo();
uint64_t MidiStreamPosition();
uint64_t MidiStreamsOpened();

}  // namespace headless
