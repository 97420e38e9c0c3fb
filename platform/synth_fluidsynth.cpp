// The synthesiser on FluidSynth: one General MIDI sound font, rendered straight into our mix.
#include <dlfcn.h>
#include <fluidsynth.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/silence_watch.h"
#include "platform/synth.h"

namespace {

std::atomic<uint64_t> g_qwFramesRendered{0};

// FluidSynth reads a font's samples in an OpenMP parallel region with a thread for every core. The
// pieces of work are tiny, so the team mostly spins waiting for each other: with 8 threads the load
// took longer than with one and five times the CPU. While one of these lives, parallel regions
// started by this thread run on this thread alone. The OpenMP runtime is looked up, not linked: a
// FluidSynth built without OpenMP has no such region.
class COneOpenMpThread {
public:
    COneOpenMpThread()
        : m_pfnSet(reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "omp_set_num_threads"))),
          m_pfnGet(reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "omp_get_max_threads"))) {
        if (m_pfnSet == nullptr || m_pfnGet == nullptr) return;
        m_nBefore = m_pfnGet();
        m_pfnSet(1);
    }
    ~COneOpenMpThread() {
        if (m_nBefore > 0) m_pfnSet(m_nBefore);
    }
    COneOpenMpThread(const COneOpenMpThread&) = delete;
    COneOpenMpThread& operator=(const COneOpenMpThread&) = delete;

private:
    void (*const m_pfnSet)(int);
    int (*const m_pfnGet)();
    int m_nBefore = 0;
};

// FluidSynth's chatter (information, debugging) stays quiet; its warnings and errors still show.
void QuietLog(int, const char*, void*) {}

void QuietFluidSynthOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_INFO, &QuietLog, nullptr);
        fluid_set_log_function(FLUID_DBG, &QuietLog, nullptr);
    });
}

// Loudness of the synthesiser in our mix (FluidSynth's own default is 0.2).
constexpr double kSynthGain = 0.5;

class CFluidSynth : public CSynth {
public:
    // Heard out for half a second before it counts as quiet.
    explicit CFluidSynth(int nRate) : m_silence(nRate / 2) {}
    ~CFluidSynth() override {
        if (m_pSynth) delete_fluid_synth(m_pSynth);
        if (m_pSettings) delete_fluid_settings(m_pSettings);
    }

    bool Create(const std::string& strSoundFont, int nRate) {
        QuietFluidSynthOnce();
        m_pSettings = new_fluid_settings();
        if (m_pSettings == nullptr) return false;
        fluid_settings_setnum(m_pSettings, "synth.sample-rate", static_cast<double>(nRate));
        fluid_settings_setnum(m_pSettings, "synth.gain", kSynthGain);
        // Calls are serialised by the stream layer; FluidSynth's own lock is not needed.
        fluid_settings_setint(m_pSettings, "synth.threadsafe-api", 0);
        // Rendered on the audio thread alone: no worker threads of FluidSynth's own.
        fluid_settings_setint(m_pSettings, "synth.cpu-cores", 1);
        m_pSynth = new_fluid_synth(m_pSettings);
        if (m_pSynth == nullptr) return false;
        COneOpenMpThread oneThread;
        if (fluid_synth_sfload(m_pSynth, strSoundFont.c_str(), 1) == FLUID_FAILED) {
            std::fprintf(stderr, "tesselor: cannot load sound font %s\n", strSoundFont.c_str());
            return false;
        }
        m_scratch.resize(2 * kChunk);
        return true;
    }

    // Every message, whatever it does, is heard out again before the synthesiser counts as quiet.
    void NoteOn(int nChannel, int nKey, int nVelocity) override {
        m_silence.Reset();
        fluid_synth_noteon(m_pSynth, nChannel, nKey, nVelocity);
    }
    void NoteOff(int nChannel, int nKey) override {
        m_silence.Reset();
        fluid_synth_noteoff(m_pSynth, nChannel, nKey);
    }
    void KeyPressure(int nChannel, int nKey, int nValue) override {
        m_silence.Reset();
        fluid_synth_key_pressure(m_pSynth, nChannel, nKey, nValue);
    }
    void ControlChange(int nChannel, int nController, int nValue) override {
        m_silence.Reset();
        fluid_synth_cc(m_pSynth, nChannel, nController, nValue);
    }
    void ProgramChange(int nChannel, int nProgram) override {
        m_silence.Reset();
        fluid_synth_program_change(m_pSynth, nChannel, nProgram);
    }
    void ChannelPressure(int nChannel, int nValue) override {
        m_silence.Reset();
        fluid_synth_channel_pressure(m_pSynth, nChannel, nValue);
    }
    void PitchBend(int nChannel, int nValue) override {
        m_silence.Reset();
        fluid_synth_pitch_bend(m_pSynth, nChannel, nValue);
    }
    void AllNotesOff(int nChannel) override {
        m_silence.Reset();
        fluid_synth_cc(m_pSynth, nChannel, 64, 0);
        fluid_synth_all_notes_off(m_pSynth, nChannel);
    }

    void Render(float* pOut, int nFrames) override {
        g_qwFramesRendered.fetch_add(uint64_t(nFrames > 0 ? nFrames : 0), std::memory_order_relaxed);
        while (nFrames > 0) {
            int n = nFrames < kChunk ? nFrames : kChunk;
            float* pScratch = m_scratch.data();
            fluid_synth_write_float(m_pSynth, n, pScratch, 0, 2, pScratch, 1, 2);
            for (int i = 0; i < 2 * n; ++i) pOut[i] += pScratch[i];
            m_silence.Watch(pScratch, n, fluid_synth_get_active_voice_count(m_pSynth) > 0);
            pOut += 2 * n;
            nFrames -= n;
        }
    }

    bool IsQuiet() const override { return m_silence.IsSilent(); }

private:
    static constexpr int kChunk = 1024;
    fluid_settings_t* m_pSettings = nullptr;
    fluid_synth_t* m_pSynth = nullptr;
    std::vector<float> m_scratch;
    CSilenceWatch m_silence;
};

}  // namespace

std::unique_ptr<CSynth> CreateFluidSynth(const std::string& strSoundFont, int nRate) {
    if (strSoundFont.empty() || nRate <= 0) return nullptr;
    auto pSynth = std::make_unique<CFluidSynth>(nRate);
    if (!pSynth->Create(strSoundFont, nRate)) return nullptr;
    return pSynth;
}

uint64_t FluidSynthFramesRendered() { return g_qwFramesRendered.load(std::memory_order_relaxed); }
