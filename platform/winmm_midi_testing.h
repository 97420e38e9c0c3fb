// Test controls of the MIDI stream layer (the headless back end passes them on through headless.h).
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

class CSynth;

namespace midi_testing {

// Makes the synthesiser of the next stream opened: null means FluidSynth with the installed sound
// font. Takes effect only while no stream is open (returns false otherwise); the current synthesiser
// is dropped.
typedef CSynth* (*SynthFactory)(int nRate);
bool SetSynthFactory(SynthFactory pfnFactory);

// Blocks until every notice posted so far has been delivered to its callback.
void WaitNoticesDelivered();
// Holds each notice back this long before it is delivered (0: no delay).
void SetNoticeDelay(DWORD dwMs);

struct StreamState {
    bool bOpen;
    bool bRunning;
    size_t nQueued;
    DWORD dwTempo;
    DWORD dwTimeDiv;
    uint64_t qwPosition;  // frames the stream's clock has run
};
StreamState CurrentStream();
// Streams opened since the program started.
uint64_t StreamsOpened();
// Calls of MidiStartSynthLoad since the program started (with a synthesiser factory set too, when
// they load nothing). Takes no lock of the layer's, so a back end may ask while the layer calls it.
uint64_t SynthLoadsAsked();

}  // namespace midi_testing
