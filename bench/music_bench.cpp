// The music's cost: the whole song rendered through the sequencer and FluidSynth (real-time factor,
// on one core), and the sequencer's own cost per event.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "audio/Midistrm.h"
#include "game/resource.h"
#include "platform/afx_app.h"
#include "platform/midi_sequencer.h"
#include "platform/synth.h"

namespace {

constexpr int RATE = 48000;
constexpr int BLOCK = 512;  // what the audio device pulls at a time

// Takes every message and renders nothing: what is left is the sequencer.
class CNullSynth : public CSynth {
public:
    void NoteOn(int, int, int) override { ++m_nEvents; }
    void NoteOff(int, int) override { ++m_nEvents; }
    void KeyPressure(int, int, int) override { ++m_nEvents; }
    void ControlChange(int, int, int) override { ++m_nEvents; }
    void ProgramChange(int, int) override { ++m_nEvents; }
    void ChannelPressure(int, int) override { ++m_nEvents; }
    void PitchBend(int, int) override { ++m_nEvents; }
    void AllNotesOff(int) override {}
    void Render(float*, int) override {}
    long m_nEvents = 0;
};

CMidiStream& Song() {
    static CMidiStream* pSong = new CMidiStream(IDR_MIDS_MUSIC, AfxGetInstanceHandle());
    return *pSong;
}

size_t SongRecords(CMidiStream& song) {
    size_t n = 0;
    for (DWORD i = 0; i < song.m_nBuffers; ++i) n += song.Slot(i)->dwBytesRecorded / MIDIEVENT_SHORT_SIZE;
    return n;
}

// Plays the whole song through the synthesiser; returns the frames it took.
uint64_t PlaySong(CMidiStream& song, CSynth* pSynth, std::vector<float>& out) {
    CMidiSequencer sequencer(RATE);
    sequencer.SetTimeDivision(song.m_dwTimeDiv);
    for (DWORD i = 0; i < song.m_nBuffers; ++i) {
        MIDIHDR* pHdr = song.Slot(i);
        sequencer.Queue(pHdr, reinterpret_cast<const BYTE*>(pHdr->lpData), pHdr->dwBytesRecorded);
    }
    sequencer.Run();
    while (sequencer.QueuedCount() != 0) {
        std::fill(out.begin(), out.end(), 0.0f);
        sequencer.Render(pSynth, out.data(), BLOCK, nullptr);
    }
    return sequencer.Position();
}

void BM_WholeSongThroughFluidSynth(benchmark::State& state) {
    CMidiStream& song = Song();
    std::string strFont = FindSoundFont(SoundFontDirs());
    if (!song.IsLoaded() || strFont.empty()) {
        state.SkipWithError("no song or no General MIDI sound font");
        return;
    }
    std::unique_ptr<CSynth> pSynth = CreateFluidSynth(strFont, RATE);
    if (!pSynth) {
        state.SkipWithError("the sound font does not load");
        return;
    }
    std::vector<float> out(2 * BLOCK);
    uint64_t qwFrames = 0;
    for (auto _ : state) qwFrames = PlaySong(song, pSynth.get(), out);
    const double dSongSeconds = double(qwFrames) / RATE;
    state.counters["song_s"] = dSongSeconds;
    // Song seconds per second of work: the real-time factor.
    state.counters["x_realtime"] =
        benchmark::Counter(dSongSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(strFont);
}
BENCHMARK(BM_WholeSongThroughFluidSynth)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

void BM_SequencerPerEvent(benchmark::State& state) {
    CMidiStream& song = Song();
    if (!song.IsLoaded()) {
        state.SkipWithError("no song");
        return;
    }
    CNullSynth synth;
    std::vector<float> out(2 * BLOCK);
    for (auto _ : state) PlaySong(song, &synth, out);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(SongRecords(song)));
    state.counters["ns_per_event"] = benchmark::Counter(double(SongRecords(song)) * double(state.iterations()),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SequencerPerEvent)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
