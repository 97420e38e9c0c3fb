// The wave loader: turns a RIFF 'WAVE' form (a "WAVE" resource or a wave file) into a filled,
// static DirectSound buffer.
#pragma once

#include "platform/dsound.h"

#define WAVE_SOURCE_FILE 1
#define WAVE_SOURCE_RESOURCE 2

IDirectSoundBuffer* CreateWaveBuffer(IDirectSound* pDS, LPCSTR lpszName, int nSource);
