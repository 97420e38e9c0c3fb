// Codes shared by the multimedia calls (files and MIDI): the result type, the general error codes,
// the MIDI error codes, the callback kinds and the MIDI mapper's device id.
#pragma once

#include "platform/wintypes.h"

// 0 is success; anything else names the reason.
typedef UINT MMRESULT;

#ifndef MMSYSERR_NOERROR
#define MMSYSERR_BASE 0
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_NOTENABLED 3
#define MMSYSERR_ALLOCATED 4
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_BADERRNUM 9
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11
#endif

#ifndef MIDIERR_BASE
#define MIDIERR_BASE 64
#define MIDIERR_UNPREPARED (MIDIERR_BASE + 0)    // the header has not been prepared
#define MIDIERR_STILLPLAYING (MIDIERR_BASE + 1)  // a buffer is still queued
#define MIDIERR_NOMAP (MIDIERR_BASE + 2)
#define MIDIERR_NOTREADY (MIDIERR_BASE + 3)      // the device cannot take the call now
#define MIDIERR_NODEVICE (MIDIERR_BASE + 4)
#define MIDIERR_INVALIDSETUP (MIDIERR_BASE + 5)
#define MIDIERR_BADOPENMODE (MIDIERR_BASE + 6)
#define MIDIERR_DONT_CONTINUE (MIDIERR_BASE + 7)
#endif

// How an opened device reports to its owner (the fdwOpen argument of the open calls).
#ifndef CALLBACK_TYPEMASK
#define CALLBACK_TYPEMASK 0x00070000
#define CALLBACK_NULL 0x00000000
#define CALLBACK_WINDOW 0x00010000
#define CALLBACK_TASK 0x00020000
#define CALLBACK_FUNCTION 0x00030000
#define CALLBACK_THREAD CALLBACK_TASK
#define CALLBACK_EVENT 0x00050000
#endif

// The device id that picks the system's MIDI mapper (our one synthesiser).
#ifndef MIDI_MAPPER
#define MIDI_MAPPER (static_cast<UINT>(-1))
#endif

// Marks a function called back by the multimedia system (no calling convention on this platform).
#ifndef CALLBACK
#define CALLBACK
#endif
