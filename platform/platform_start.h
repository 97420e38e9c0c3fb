// Start-up and shut-down of the platform under the class library: the back end, and the audio
// and MIDI layers that run on it. Both back ends share this order.
#pragma once

namespace platform {

// Starts the back end, then the sound font's load in the background (so the first start of play
// never waits for it). False when the back end cannot start.
bool Start();
// Closes the audio output (any MIDI stream first, then the synthesiser and the device), then the
// back end.
void Stop();

}  // namespace platform
