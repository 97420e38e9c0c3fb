// The program's one audio stream: a stereo float mix of every source (sound effects, the synthesiser).
// The device pulls Render on its own thread; headless tests call Render themselves.
#pragma once

namespace audio_out {

// A producer of sound. Mix adds `frames` stereo frames into `out` (interleaved L, R); it returns
// false when it added nothing (a source with nothing to play does no work).
class Source {
public:
    virtual ~Source() = default;
    virtual bool Mix(float* out, int frames) = 0;
};

// Opens the output device once; false when there is none. Thread-safe, idempotent. When the program
// ends through exit() the device is closed before the static objects go.
bool Open();
bool IsOpen();
// Frames per second of the stream (valid after a successful Open).
int SampleRate();

// Adds or removes a source. Once RemoveSource returns, the source's Mix is not running and will not run.
void AddSource(Source* source);
void RemoveSource(Source* source);

// Fills `frames` stereo frames: every source mixed, with headroom, limited to [-1, 1]. With nothing
// playing the block is silence at the cost of clearing it.
void Render(float* out, int frames);

// Hooks run by Shutdown, last added first (e.g. the MIDI streams close before the synthesiser goes).
void AddShutdownHook(void (*hook)());
// Runs the hooks and closes the device.
void Shutdown();

}  // namespace audio_out
