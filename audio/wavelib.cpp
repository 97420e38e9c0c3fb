// Placeholder until the wave loader is built.
#include "audio/wavelib.h"

IDirectSoundBuffer* CreateWaveBuffer(IDirectSound*, LPCSTR, int) { return nullptr; }
