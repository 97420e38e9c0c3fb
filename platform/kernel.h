// Global memory blocks and the old-style file calls.
#pragma once

#include "platform/wintypes.h"

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_SHARE 0x2000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

// A fixed block's handle is its pointer. A moveable block of zero bytes can be allocated but not locked.
HGLOBAL GlobalAlloc(UINT uFlags, size_t dwBytes);
LPVOID GlobalLock(HGLOBAL hMem);
BOOL GlobalUnlock(HGLOBAL hMem);
// The handle of a block from the pointer GlobalLock gave (or a fixed block's pointer); null for any other pointer.
HGLOBAL GlobalHandle(LPCVOID pMem);
// Null on success, the handle on failure (an unknown handle).
HGLOBAL GlobalFree(HGLOBAL hMem);
size_t GlobalSize(HGLOBAL hMem);

#define OF_READ 0x0000
#define HFILE_ERROR (-1)

HFILE _lopen(LPCSTR lpPathName, int iReadWrite);
// Reads up to uBytes; returns the count read (HFILE_ERROR on an error). Writes only the bytes read.
UINT _lread(HFILE hFile, LPVOID lpBuffer, UINT uBytes);
HFILE _lclose(HFILE hFile);
