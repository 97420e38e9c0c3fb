// The sequencer's stream-event parser and clock on arbitrary buffers: every buffer must be handed
// back exactly once, in order, and no event may be read outside its buffer.
//
// Input: bytes 0-1 = time division (1 to 0x7FFF), byte 2 = where the events split into two buffers,
// the rest = the events (cut to a multiple of 4, at most 64 KiB in all).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/midi_sequencer.h"
#include "platform/synth.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Checks what the sequencer sends: channel messages in range only.
class CCheckingSynth : public CSynth {
public:
    void NoteOn(int ch, int key, int vel) override { Check(Ch(ch) && Data(key) && vel > 0 && vel < 128); }
    void NoteOff(int ch, int key) override { Check(Ch(ch) && Data(key)); }
    void KeyPressure(int ch, int key, int v) override { Check(Ch(ch) && Data(key) && Data(v)); }
    void ControlChange(int ch, int cc, int v) override { Check(Ch(ch) && Data(cc) && Data(v)); }
    void ProgramChange(int ch, int p) override { Check(Ch(ch) && Data(p)); }
    void ChannelPressure(int ch, int v) override { Check(Ch(ch) && Data(v)); }
    void PitchBend(int ch, int v) override { Check(Ch(ch) && v >= 0 && v < 16384); }
    void AllNotesOff(int ch) override { Check(Ch(ch)); }
    void Render(float* out, int frames) override {
        Check(out != nullptr && frames >= 0 && frames <= 4096);
        if (frames > 0) out[2 * frames - 1] += 0.0f;  // the last sample of the span is inside the buffer
    }

private:
    static bool Ch(int ch) { return ch >= 0 && ch < 16; }
    static bool Data(int v) { return v >= 0 && v < 128; }
};

class CListener : public CMidiSequencerListener {
public:
    void OnBufferDone(MIDIHDR* pHdr) override { done.push_back(pHdr); }
    void OnPositionCallback(MIDIHDR* pHdr, DWORD dwOffset) override {
        Check(pHdr->dwBytesRecorded >= MIDIEVENT_SHORT_SIZE && dwOffset <= pHdr->dwBytesRecorded - MIDIEVENT_SHORT_SIZE);
    }
    std::vector<MIDIHDR*> done;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const DWORD dwTimeDiv = 1 + ((data[0] | (data[1] << 8)) % 0x7FFF);
    size_t cbEvents = (size - 3) & ~size_t(3);
    if (cbEvents > 65536) cbEvents = 65536;
    const size_t cbFirst = (cbEvents * data[2] / 255) & ~size_t(3);

    // Each buffer is an exact-size heap copy, so a read past its end is caught.
    std::unique_ptr<BYTE[]> first(new BYTE[cbFirst + 1]);
    std::unique_ptr<BYTE[]> second(new BYTE[cbEvents - cbFirst + 1]);
    std::memcpy(first.get(), data + 3, cbFirst);
    std::memcpy(second.get(), data + 3 + cbFirst, cbEvents - cbFirst);
    MIDIHDR hdr[2] = {};
    hdr[0].lpData = reinterpret_cast<LPSTR>(first.get());
    hdr[0].dwBufferLength = hdr[0].dwBytesRecorded = static_cast<DWORD>(cbFirst);
    hdr[1].lpData = reinterpret_cast<LPSTR>(second.get());
    hdr[1].dwBufferLength = hdr[1].dwBytesRecorded = static_cast<DWORD>(cbEvents - cbFirst);

    CMidiSequencer sequencer(48000);
    sequencer.SetTimeDivision(dwTimeDiv);
    CCheckingSynth synth;
    CListener listener;
    sequencer.Queue(&hdr[0], first.get(), hdr[0].dwBytesRecorded);
    sequencer.Queue(&hdr[1], second.get(), hdr[1].dwBytesRecorded);
    sequencer.Run();
    std::vector<float> out(2 * 4096);
    uint64_t qwLast = 0;
    for (int i = 0; i < 64 && sequencer.QueuedCount() != 0; ++i) {
        sequencer.Render(&synth, out.data(), 4096, &listener);
        Check(sequencer.Position() == qwLast + 4096);
        qwLast = sequencer.Position();
        if (i == 32) sequencer.SetTimeDivision(1 + dwTimeDiv % 960);
    }
    sequencer.Reset(&listener);
    Check(listener.done.size() == 2 && listener.done[0] == &hdr[0] && listener.done[1] == &hdr[1]);
    Check(sequencer.QueuedCount() == 0 && sequencer.Position() == 0);
    return 0;
}
