#include "platform/platform_start.h"

#include "platform/audio_out.h"
#include "platform/backend.h"
#include "platform/winmm_midi.h"

namespace platform {

bool Start() {
    if (!backend::Init()) return false;
    MidiStartSynthLoad();
    return true;
}

void Stop() {
    audio_out::Shutdown();
    backend::Shutdown();
}

}  // namespace platform
