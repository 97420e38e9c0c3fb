// MIDI stream output: one stream at a time on our one synthesiser (the MIDI mapper), playing queued
// buffers of MIDIEVENT records on the audio sample clock. Finished buffers are reported to the owner's
// callback function on a thread of the stream layer's own, one MOM_DONE per buffer, in queue order.
//
// Rules the owner can rely on:
// - A stream opens paused; midiStreamRestart starts its clock.
// - midiStreamStop and midiOutReset hand every queued buffer back (MHDR_DONE, and its MOM_DONE
//   delivered) before they return.
// - midiStreamClose refuses while buffers are queued; once it returns, no callback of that stream is
//   running or will ever run.
// - Every call is thread-safe. A call made from inside the callback fails (MIDIERR_NOTREADY) rather
//   than waiting on itself.
// - No synthesiser (no sound font) or no audio device: midiStreamOpen fails with MMSYSERR_NODRIVER.
#pragma once

#include "platform/mmsystem_base.h"

struct HMIDISTRM__;
typedef HMIDISTRM__* HMIDISTRM;
typedef HMIDISTRM* LPHMIDISTRM;
struct HMIDIOUT__;
typedef HMIDIOUT__* HMIDIOUT;
typedef UINT* LPUINT;

// A stream buffer as the owner hands it over. Packed to 4 so that a block of slots, each a header
// followed by an event area whose size is a multiple of 4, keeps every header and event aligned.
#pragma pack(push, 4)
struct MIDIHDR {
    LPSTR lpData;            // the events
    DWORD dwBufferLength;    // room at lpData, in bytes
    DWORD dwBytesRecorded;   // bytes of events at lpData (a multiple of 4)
    DWORD_PTR dwUser;        // the owner's
    DWORD dwFlags;           // MHDR_* (written by the stream layer)
    MIDIHDR* lpNext;         // not used by the stream layer
    DWORD_PTR reserved;      // not used by the stream layer
    DWORD dwOffset;          // byte offset of the last event that asked for MOM_POSITIONCB
    DWORD dwReserved[8];     // not used by the stream layer
};
#pragma pack(pop)
static_assert(sizeof(MIDIHDR) % 4 == 0, "slots of header + 4-byte-multiple event area stay aligned");
typedef MIDIHDR* LPMIDIHDR;

// One stream event: ticks since the previous event, a stream id (ignored), the event word, and for
// MEVT_F_LONG events the parameter bytes padded to a multiple of 4. A short event is 12 bytes.
struct MIDIEVENT {
    DWORD dwDeltaTime;
    DWORD dwStreamID;
    DWORD dwEvent;
    DWORD dwParms[1];
};
#define MIDIEVENT_SHORT_SIZE 12

struct MIDIPROPTIMEDIV {
    DWORD cbStruct;   // sizeof(MIDIPROPTIMEDIV), 8
    DWORD dwTimeDiv;  // ticks per quarter note (1 to 0x7FFF)
};
typedef MIDIPROPTIMEDIV* LPMIDIPROPTIMEDIV;

// MIDIHDR::dwFlags.
#define MHDR_DONE 0x00000001
#define MHDR_PREPARED 0x00000002
#define MHDR_INQUEUE 0x00000004
#define MHDR_ISSTRM 0x00000008

// The event word: type in the high byte, parameter in the low 24 bits.
#define MEVT_F_SHORT 0x00000000u
#define MEVT_F_LONG 0x80000000u
#define MEVT_F_CALLBACK 0x40000000u
#define MEVT_EVENTTYPE(x) (static_cast<BYTE>(((x) >> 24) & 0xFF))
#define MEVT_EVENTPARM(x) (static_cast<DWORD>((x) & 0x00FFFFFF))
#define MEVT_SHORTMSG (static_cast<BYTE>(0x00))  // a MIDI message in the low 24 bits, status lowest
#define MEVT_TEMPO (static_cast<BYTE>(0x01))     // microseconds per quarter note
#define MEVT_NOP (static_cast<BYTE>(0x02))
#define MEVT_LONGMSG (static_cast<BYTE>(0x80))   // system exclusive bytes (skipped)
#define MEVT_COMMENT (static_cast<BYTE>(0x82))
#define MEVT_VERSION (static_cast<BYTE>(0x84))

// midiStreamProperty.
#define MIDIPROP_SET 0x80000000u
#define MIDIPROP_GET 0x40000000u
#define MIDIPROP_TIMEDIV 0x00000001u
#define MIDIPROP_TEMPO 0x00000002u

// Messages to the callback function.
#define MOM_OPEN 0x3C7
#define MOM_CLOSE 0x3C8
#define MOM_DONE 0x3C9        // dwParam1: the MIDIHDR handed back
#define MOM_POSITIONCB 0x3CA  // dwParam1: the MIDIHDR whose event asked for it

// The callback function given to midiStreamOpen with CALLBACK_FUNCTION.
typedef void(CALLBACK* LPMIDICALLBACK)(HMIDIOUT hmo, UINT wMsg, DWORD_PTR dwInstance, DWORD_PTR dwParam1,
                                       DWORD_PTR dwParam2);

// Opens a stream on device *puDeviceID (MIDI_MAPPER or 0; 0 is written back), paused, at 480 ticks per
// quarter note and 500,000 microseconds per quarter note until the events say otherwise. cMidi must be 1.
MMRESULT midiStreamOpen(LPHMIDISTRM phms, LPUINT puDeviceID, DWORD cMidi, DWORD_PTR dwCallback,
                        DWORD_PTR dwInstance, DWORD fdwOpen);
// MIDIPROP_SET or MIDIPROP_GET of MIDIPROP_TIMEDIV (a MIDIPROPTIMEDIV), or MIDIPROP_GET of MIDIPROP_TEMPO.
MMRESULT midiStreamProperty(HMIDISTRM hms, LPBYTE lppropdata, DWORD dwProperty);
MMRESULT midiStreamOut(HMIDISTRM hms, LPMIDIHDR pmh, UINT cbmh);
MMRESULT midiStreamRestart(HMIDISTRM hms);
MMRESULT midiStreamPause(HMIDISTRM hms);
MMRESULT midiStreamStop(HMIDISTRM hms);
MMRESULT midiStreamClose(HMIDISTRM hms);
// Take a stream's handle cast to HMIDIOUT.
MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh);
MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh);
MMRESULT midiOutReset(HMIDIOUT hmo);

// Starts loading the synthesiser's sound font on a thread of its own, so that the first
// midiStreamOpen does not wait for it. Safe to call at any time, any number of times.
void MidiStartSynthLoad();
