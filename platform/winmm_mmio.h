// Multimedia file I/O: buffered reading of RIFF files from disk or from a block of memory, with chunk
// descent and ascent. Every call takes a handle from mmioOpenA; a null or unknown handle is refused
// with MMSYSERR_INVALHANDLE (or -1 where the result is a count or a position), never followed.
#pragma once

#include "platform/mmsystem_base.h"
#include "platform/wintypes.h"

// Multimedia file error codes.
#define MMIOERR_BASE 256
#define MMIOERR_FILENOTFOUND (MMIOERR_BASE + 1)
#define MMIOERR_OUTOFMEMORY (MMIOERR_BASE + 2)
#define MMIOERR_CANNOTOPEN (MMIOERR_BASE + 3)
#define MMIOERR_CANNOTCLOSE (MMIOERR_BASE + 4)
#define MMIOERR_CANNOTREAD (MMIOERR_BASE + 5)
#define MMIOERR_CANNOTWRITE (MMIOERR_BASE + 6)
#define MMIOERR_CANNOTSEEK (MMIOERR_BASE + 7)
#define MMIOERR_CANNOTEXPAND (MMIOERR_BASE + 8)
#define MMIOERR_CHUNKNOTFOUND (MMIOERR_BASE + 9)
#define MMIOERR_UNBUFFERED (MMIOERR_BASE + 10)

// A four-character code: the first character in the lowest byte, so the bytes in memory read as written.
#define mmioFOURCC(c0, c1, c2, c3)                                                          \
    (static_cast<FOURCC>(static_cast<BYTE>(c0)) | (static_cast<FOURCC>(static_cast<BYTE>(c1)) << 8) | \
     (static_cast<FOURCC>(static_cast<BYTE>(c2)) << 16) | (static_cast<FOURCC>(static_cast<BYTE>(c3)) << 24))

#define FOURCC_RIFF mmioFOURCC('R', 'I', 'F', 'F')
#define FOURCC_LIST mmioFOURCC('L', 'I', 'S', 'T')
#define FOURCC_DOS mmioFOURCC('D', 'O', 'S', ' ')
#define FOURCC_MEM mmioFOURCC('M', 'E', 'M', ' ')

// Open flags.
#define MMIO_READ 0x00000000
#define MMIO_WRITE 0x00000001
#define MMIO_READWRITE 0x00000002
#define MMIO_ALLOCBUF 0x00010000
#define MMIO_RWMODE 0x00000003

// Descend flags.
#define MMIO_FINDCHUNK 0x0010
#define MMIO_FINDRIFF 0x0020
#define MMIO_FINDLIST 0x0040

// MMCKINFO::dwFlags.
#define MMIO_DIRTY 0x10000000

// Buffer size of a file opened with MMIO_ALLOCBUF and no size of its own.
#define MMIO_DEFAULTBUFFER 8192

// Seek origins of mmioSeek.
#ifndef SEEK_SET
#define SEEK_SET 0
#define SEEK_CUR 1
#define SEEK_END 2
#endif

struct HMMIO__;
typedef HMMIO__* HMMIO;
struct HTASK__;
typedef HTASK__* HTASK;

typedef LRESULT (*LPMMIOPROC)(LPSTR lpmmioinfo, UINT uMsg, LPARAM lParam1, LPARAM lParam2);

// The state of an open file as the caller sees it: for a memory file the caller fills fccIOProc,
// pchBuffer, cchBuffer and adwInfo[0] (the expansion step; 0 for a file of fixed size) before the open.
// Between mmioGetInfo and mmioSetInfo the caller reads straight from pchNext up to pchEndRead.
struct MMIOINFO {
    DWORD dwFlags;
    FOURCC fccIOProc;
    LPMMIOPROC pIOProc;
    UINT wErrorRet;
    HTASK htask;
    LONG cchBuffer;
    HPSTR pchBuffer;
    HPSTR pchNext;
    HPSTR pchEndRead;
    HPSTR pchEndWrite;
    LONG lBufOffset;  // file position of pchBuffer[0]
    LONG lDiskOffset;
    DWORD adwInfo[4];
    DWORD dwReserved1;
    DWORD dwReserved2;
    HMMIO hmmio;
};
typedef MMIOINFO* LPMMIOINFO;
typedef const MMIOINFO* LPCMMIOINFO;

// One RIFF chunk: id, body size, form or list type, file offset of the body (of the form type for
// "RIFF"/"LIST"), flags. Five 32-bit fields, as in the file world.
struct MMCKINFO {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;
    DWORD dwDataOffset;
    DWORD dwFlags;
};
static_assert(sizeof(MMCKINFO) == 20, "MMCKINFO is five DWORDs");
typedef MMCKINFO* LPMMCKINFO;
typedef const MMCKINFO* LPCMMCKINFO;

// Opens a disk file by name (pmmioinfo may be null), or with a null name and fccIOProc == FOURCC_MEM
// a memory file over the caller's block (which must outlive the handle; reads stop at its end).
// Null on failure; when pmmioinfo is given its wErrorRet holds the reason.
HMMIO mmioOpenA(LPCSTR pszFileName, LPMMIOINFO pmmioinfo, DWORD fdwOpen);
#define mmioOpen mmioOpenA
// Closes the handle; a memory file leaves the caller's block alone.
MMRESULT mmioClose(HMMIO hmmio, UINT fuClose);
// Bytes read (limited by the end of the file), 0 at the end, -1 on an error or a negative count.
LONG mmioRead(HMMIO hmmio, HPSTR pch, LONG cch);
// The new position, or -1 (a position before the start, or past the end of a memory file).
LONG mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin);
// Plain: reads the chunk header at the current position. MMIO_FINDCHUNK / MMIO_FINDRIFF / MMIO_FINDLIST:
// searches from the current position to the end of the parent (or of the file) for pmmcki->ckid, or a
// "RIFF"/"LIST" chunk of type pmmcki->fccType. On success the position is the chunk's body (past the
// type for "RIFF"/"LIST"); MMIOERR_CHUNKNOTFOUND when the search ends without it.
MMRESULT mmioDescend(HMMIO hmmio, LPMMCKINFO pmmcki, LPCMMCKINFO pmmckiParent, UINT fuDescend);
// Moves to the end of the chunk (its body, plus one pad byte after an odd size).
MMRESULT mmioAscend(HMMIO hmmio, LPMMCKINFO pmmcki, UINT fuAscend);
// Direct access to the I/O buffer: GetInfo copies the state out, Advance refills the buffer from the
// current position (pchNext == pchEndRead at the end of the file), SetInfo takes pchNext back as the position.
MMRESULT mmioGetInfo(HMMIO hmmio, LPMMIOINFO pmmioinfo, UINT fuInfo);
MMRESULT mmioSetInfo(HMMIO hmmio, LPCMMIOINFO pmmioinfo, UINT fuInfo);
MMRESULT mmioAdvance(HMMIO hmmio, LPMMIOINFO pmmioinfo, UINT fuAdvance);
