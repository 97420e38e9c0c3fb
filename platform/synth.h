// The synthesiser the MIDI stream plays through: channel messages in, stereo sound out.
// The stream layer calls it from one thread at a time (it serialises calls itself).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wintypes.h"

class CSynth {
public:
    virtual ~CSynth() = default;

    // Channels 0-15; keys, velocities and controller values 0-127.
    virtual void NoteOn(int nChannel, int nKey, int nVelocity) = 0;
    virtual void NoteOff(int nChannel, int nKey) = 0;
    virtual void KeyPressure(int nChannel, int nKey, int nValue) = 0;
    virtual void ControlChange(int nChannel, int nController, int nValue) = 0;
    virtual void ProgramChange(int nChannel, int nProgram) = 0;
    virtual void ChannelPressure(int nChannel, int nValue) = 0;
    // 0-16383, 8192 is the centre.
    virtual void PitchBend(int nChannel, int nValue) = 0;
    // Releases every sounding note of the channel (the sustain pedal is let go first).
    virtual void AllNotesOff(int nChannel) = 0;

    // Adds `nFrames` stereo frames (interleaved left, right) into `pOut`.
    virtual void Render(float* pOut, int nFrames) = 0;

    // True when nothing it would render can be heard until its next message, so the mix may leave
    // it out until then. A synthesiser that cannot tell says false and is always rendered.
    virtual bool IsQuiet() const { return false; }
};

// Sends a short MIDI message (status in the low byte, then two data bytes) to the synthesiser.
// Channel messages only: bytes below 0x80 and system messages (0xF0 and up) are ignored; a note-on
// with velocity 0 is a note-off.
void SendShortMidiMessage(CSynth& synth, DWORD dwMessage);

// General MIDI sound fonts, in order of preference, and where they are looked for.
std::vector<std::string> SoundFontNames();
std::vector<std::string> SoundFontDirs();
// The first readable sound font of SoundFontNames() in any of `dirs` (every dir for the first name,
// then the next name); empty when there is none.
std::string FindSoundFont(const std::vector<std::string>& dirs);

// A FluidSynth synthesiser at `nRate` frames per second with the sound font loaded; null when the
// font cannot be loaded. Slow (it reads the whole font): never call it on the window thread.
std::unique_ptr<CSynth> CreateFluidSynth(const std::string& strSoundFont, int nRate);

// Frames every FluidSynth synthesiser of the process has rendered (tests and measurements watch it).
uint64_t FluidSynthFramesRendered();
