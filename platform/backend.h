// The seam between the platform layer and the machine. Two back ends implement it:
// SDL2 (backend_sdl*.cpp) for the real program, headless (backend_headless*.cpp) for tests.
// The game is compiled once; the back end is chosen at link time.
#pragma once

#include "platform/wintypes.h"

namespace backend {

// Start-up and shut-down of the whole back end (called by platform::Start / platform::Stop).
bool Init();
void Shutdown();

// Milliseconds on the back end's clock (real time, or the test's virtual clock).
DWORD NowMs();

// The program's one top-level window. Returns false when there is no display.
bool CreateMainWindow(LPCSTR title, const RECT& rc, bool topmost, bool visible);
void DestroyMainWindow();
RECT DesktopRect();
void SetCursorVisible(bool visible);
// An icon in .ico form (a group of images); the back end may show it in task switchers.
void SetWindowIcon(const BYTE* ico, DWORD size);

// Input: turns pending input events into posted window messages (user.h) for the input window.
// WaitEvents blocks until an event arrives or timeoutMs passes (INFINITE: no limit).
void PollEvents();
void WaitEvents(DWORD timeoutMs);

// Video: shows one screen-sized frame of palette indices through the given 256 colours.
void Present(const BYTE* pixels, LONG pitch, const PALETTEENTRY* palette);

// Audio: opens the output device, which then pulls audio_out::Render on a thread of its own.
// Returns false when there is no device. *rate receives the device's frames per second.
bool OpenAudio(int* rate);
void CloseAudio();

}  // namespace backend
