// Headless controls of the MIDI stream layer, and the recording synthesiser tests listen through.
#include <mutex>

#include "platform/headless.h"
#include "platform/synth.h"
#include "platform/winmm_midi_testing.h"

namespace {

struct Record {
    std::mutex mutex;
    std::vector<headless::MidiSynthEvent> events;
    uint64_t qwFrames = 0;
};

Record& Rec() {
    static Record* pRecord = new Record;
    return *pRecord;
}

// Writes down every message with the frame it arrived at; renders silence.
class CRecordingSynth : public CSynth {
public:
    void NoteOn(int ch, int key, int vel) override { Add(headless::SYNTH_NOTE_ON, ch, key, vel); }
    void NoteOff(int ch, int key) override { Add(headless::SYNTH_NOTE_OFF, ch, key, 0); }
    void KeyPressure(int ch, int key, int v) override { Add(headless::SYNTH_KEY_PRESSURE, ch, key, v); }
    void ControlChange(int ch, int cc, int v) override { Add(headless::SYNTH_CONTROL, ch, cc, v); }
    void ProgramChange(int ch, int p) override { Add(headless::SYNTH_PROGRAM, ch, p, 0); }
    void ChannelPressure(int ch, int v) override { Add(headless::SYNTH_CHANNEL_PRESSURE, ch, v, 0); }
    void PitchBend(int ch, int v) override { Add(headless::SYNTH_PITCH_BEND, ch, v, 0); }
    void AllNotesOff(int ch) override { Add(headless::SYNTH_ALL_NOTES_OFF, ch, 0, 0); }
    void Render(float*, int nFrames) override {
        std::lock_guard<std::mutex> lock(Rec().mutex);
        Rec().qwFrames += static_cast<uint64_t>(nFrames);
    }

private:
    static void Add(headless::MidiSynthKind kind, int ch, int a, int b) {
        Record& r = Rec();
        std::lock_guard<std::mutex> lock(r.mutex);
        r.events.push_back(headless::MidiSynthEvent{r.qwFrames, kind, ch, a, b});
    }
};

CSynth* MakeRecordingSynth(int) { return new CRecordingSynth; }

}  // namespace

namespace headless {

bool UseRecordingMidiSynth(bool use) {
    if (!midi_testing::SetSynthFactory(use ? &MakeRecordingSynth : nullptr)) return false;
    ClearRecordedMidiEvents();
    return true;
}

std::vector<MidiSynthEvent> RecordedMidiEvents() {
    std::lock_guard<std::mutex> lock(Rec().mutex);
    return Rec().events;
}

uint64_t RecordedMidiFrames() {
    std::lock_guard<std::mutex> lock(Rec().mutex);
    return Rec().qwFrames;
}

void ClearRecordedMidiEvents() {
    std::lock_guard<std::mutex> lock(Rec().mutex);
    Rec().events.clear();
    Rec().qwFrames = 0;
}

void WaitMidiNotices() { midi_testing::WaitNoticesDelivered(); }
void SetMidiNoticeDelay(DWORD ms) { midi_testing::SetNoticeDelay(ms); }

bool MidiStreamIsOpen() { return midi_testing::CurrentStream().bOpen; }
bool MidiStreamIsRunning() { return midi_testing::CurrentStream().bRunning; }
size_t MidiBuffersQueued() { return midi_testing::CurrentStream().nQueued; }
DWORD MidiTempo() { return midi_testing::CurrentStream().dwTempo; }
uint64_t MidiStreamPosition() { return midi_testing::CurrentStream().qwPosition; }
uint64_t MidiStreamsOpened() { return midi_testing::StreamsOpened(); }

}  // namespace headless
