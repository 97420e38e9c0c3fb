// The wave loader: turns a RIFF 'WAVE' form (a "WAVE" resource or a wave file) into a filled,
// static DirectSound buffer.
#pragma once

#include "platform/dsound.h"
#include "platform/winmm_mmio.h"

#define WAVE_SOURCE_FILE 1
#define WAVE_SOURCE_RESOURCE 2

// The filled buffer of a "WAVE" resource of this program (WAVE_SOURCE_RESOURCE; the name may be
// MAKEINTRESOURCE of an id) or of a wave file (WAVE_SOURCE_FILE); null on any failure.
IDirectSoundBuffer* CreateWaveBuffer(IDirectSound* pDS, LPCSTR lpszName, int nSource);

// The format, the samples and their size. From a resource both pointers point into the resource
// image; from a file they are GMEM_FIXED blocks that the caller frees with GlobalFree. 1 or 0.
int GetWaveData(LPCSTR lpszName, LPWAVEFORMATEX* ppwfxFormat, LPBYTE* ppbData, DWORD* pcbData, int nSource);

// Copies cbData bytes into the start of the buffer. 1 or 0.
int CopyToSoundBuffer(IDirectSoundBuffer* pdsb, const BYTE* pbData, DWORD cbData);

// Finds the "fmt " and "data" bodies of a RIFF 'WAVE' form of cbImage bytes in memory. Each output
// may be null (not wanted). The pointers point into the image; nothing read lies outside its
// cbImage bytes. 1 or 0.
int ParseWaveImage(LPVOID pvImage, DWORD cbImage, LPWAVEFORMATEX* ppwfxFormat, LPBYTE* ppbData, DWORD* pcbData);

// The file road. Each returns 0 on success, a nonzero multimedia code on failure.
// On failure LoadWaveFile leaves no block allocated and no file open.
MMRESULT LoadWaveFile(LPCSTR pszFileName, DWORD* pcbData, LPWAVEFORMATEX* ppwfxFormat, LPBYTE* ppbData);
// Opens the file and leaves it inside its RIFF chunk, just after the "fmt " chunk.
MMRESULT OpenWaveFile(LPCSTR pszFileName, HMMIO* phmmio, LPWAVEFORMATEX* ppwfxFormat, LPMMCKINFO pckRiff);
// Descends into the "data" chunk of the RIFF chunk.
MMRESULT FindWaveData(HMMIO* phmmio, LPMMCKINFO pckData, LPMMCKINFO pckRiff);
// Copies up to cbRead bytes of the data chunk (at most what it has left) into pbDest.
MMRESULT ReadWaveData(HMMIO hmmio, UINT cbRead, LPBYTE pbDest, LPMMCKINFO pckData, UINT* pcbActualRead);
