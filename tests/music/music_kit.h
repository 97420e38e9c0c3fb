// What the music tests share: a builder of 'MIDS' forms, stream events, and the headless audio clock.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio_out.h"
#include "platform/headless.h"
#include "platform/winmm_midi.h"

namespace music_test {

constexpr int RATE = 48000;

inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutId(std::vector<uint8_t>& b, const char* id) { b.insert(b.end(), id, id + 4); }
inline uint32_t Get32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// 12-byte records.
inline void Short(std::vector<uint32_t>& ev, uint32_t delta, uint32_t msg, uint32_t streamId = 0) {
    ev.insert(ev.end(), {delta, streamId, msg});
}
inline void Tempo(std::vector<uint32_t>& ev, uint32_t delta, uint32_t usPerQuarter) {
    ev.insert(ev.end(), {delta, 0xFFFFFFFFu, (uint32_t(MEVT_TEMPO) << 24) | usPerQuarter});
}
inline void Nop(std::vector<uint32_t>& ev, uint32_t delta) { ev.insert(ev.end(), {delta, 0, uint32_t(MEVT_NOP) << 24}); }
inline uint32_t NoteOn(int ch, int key, int vel) { return uint32_t(0x90 | ch) | (uint32_t(key) << 8) | (uint32_t(vel) << 16); }
inline uint32_t NoteOff(int ch, int key) { return uint32_t(0x80 | ch) | (uint32_t(key) << 8) | (64u << 16); }

// One stored buffer: its tick and its event words.
struct StoredBuffer {
    uint32_t dwTickStart = 0;
    std::vector<uint32_t> events;
};

// A 'MIDS' form: "RIFF" <size> "MIDS", then "fmt " and "data" (in either order, with optional junk).
struct FormLayout {
    uint32_t dwTimeDiv = 480;
    uint32_t cbMaxBuffer = 4096;
    uint32_t dwFlags = 0;
    uint32_t cbFmt = 12;           // size of the "fmt " body
    bool bDataFirst = false;
    bool bJunkBetween = false;
    bool bOmitFmt = false;
    bool bOmitData = false;
    const char* pszFormType = "MIDS";
    int64_t nCountOverride = -1;   // the stored buffer count, when not the real one
    int64_t nDataSizeOverride = -1;
    std::vector<StoredBuffer> buffers;
};

inline std::vector<uint8_t> BuildForm(const FormLayout& s) {
    std::vector<uint8_t> fmt;
    PutId(fmt, "fmt ");
    Put32(fmt, s.cbFmt);
    std::vector<uint8_t> body;
    Put32(body, s.dwTimeDiv);
    Put32(body, s.cbMaxBuffer);
    Put32(body, s.dwFlags);
    body.resize(s.cbFmt, 0xEE);
    fmt.insert(fmt.end(), body.begin(), body.end());
    if (s.cbFmt & 1) fmt.push_back(0);

    std::vector<uint8_t> dataBody;
    Put32(dataBody, s.nCountOverride >= 0 ? uint32_t(s.nCountOverride) : uint32_t(s.buffers.size()));
    for (const StoredBuffer& b : s.buffers) {
        Put32(dataBody, b.dwTickStart);
        Put32(dataBody, uint32_t(b.events.size() * 4));
        for (uint32_t w : b.events) Put32(dataBody, w);
    }
    std::vector<uint8_t> data;
    PutId(data, "data");
    Put32(data, s.nDataSizeOverride >= 0 ? uint32_t(s.nDataSizeOverride) : uint32_t(dataBody.size()));
    data.insert(data.end(), dataBody.begin(), dataBody.end());

    std::vector<uint8_t> junk;
    PutId(junk, "JUNK");
    Put32(junk, 5);
    junk.insert(junk.end(), {1, 2, 3, 4, 5, 0});

    std::vector<uint8_t> inner;
    PutId(inner, s.pszFormType);
    auto add = [&](const std::vector<uint8_t>& c) { inner.insert(inner.end(), c.begin(), c.end()); };
    if (s.bDataFirst) {
        if (!s.bOmitData) add(data);
        if (s.bJunkBetween) add(junk);
        if (!s.bOmitFmt) add(fmt);
    } else {
        if (!s.bOmitFmt) add(fmt);
        if (s.bJunkBetween) add(junk);
        if (!s.bOmitData) add(data);
    }
    std::vector<uint8_t> form;
    PutId(form, "RIFF");
    Put32(form, uint32_t(inner.size()));
    form.insert(form.end(), inner.begin(), inner.end());
    return form;
}

// A short song: nBuffers buffers, each a note on and off nTicks apart (default tempo until the
// first buffer's tempo event, when given).
inline FormLayout ShortSong(int nBuffers, uint32_t nTicks, uint32_t dwTempo = 0) {
    FormLayout s;
    for (int i = 0; i < nBuffers; ++i) {
        StoredBuffer b;
        if (i == 0 && dwTempo) Tempo(b.events, 0, dwTempo);
        Short(b.events, i == 0 ? 0 : nTicks, NoteOn(0, 60 + i, 100));
        Short(b.events, nTicks, NoteOff(0, 60 + i));
        s.buffers.push_back(b);
    }
    return s;
}

// Renders frames through the one audio output, in blocks as a device would pull them.
inline void RenderFrames(uint64_t nFrames, std::vector<float>* pAll = nullptr) {
    float block[2 * 512];
    while (nFrames > 0) {
        int n = nFrames < 512 ? int(nFrames) : 512;
        audio_out::Render(block, n);
        if (pAll) pAll->insert(pAll->end(), block, block + 2 * n);
        nFrames -= uint64_t(n);
    }
}

// Polls until pred holds or the time runs out (for work other threads finish).
inline bool WaitUntil(const std::function<bool()>& pred, int nTimeoutMs = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// The threads the process has now.
inline int ThreadsOfThisProcess() {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) n += entry.is_directory();
    return n;
}

// Every music test starts with the audio output open and the recording synthesiser in place.
class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::SetAudioAvailable(true);
        ASSERT_TRUE(audio_out::Open());
        ASSERT_TRUE(headless::UseRecordingMidiSynth(true)) << "a stream was left open by an earlier test";
        headless::SetMidiNoticeDelay(0);
    }
    void TearDown() override {
        headless::SetMidiNoticeDelay(0);
        EXPECT_FALSE(headless::MidiStreamIsOpen()) << "the test left a stream open";
    }
};

// A stream opened with no callback, fed buffers of events by the test.
class QueuedStreamTest : public MusicTest {
protected:
    // Opens a stream at the time division, queues the buffers and starts the clock at recorded frame 0.
    void Start(DWORD dwTimeDiv, std::vector<std::vector<uint32_t>> buffers) {
        UINT uDevice = MIDI_MAPPER;
        ASSERT_EQ(midiStreamOpen(&m_h, &uDevice, 1, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        MIDIPROPTIMEDIV prop{8, dwTimeDiv};
        ASSERT_EQ(midiStreamProperty(m_h, reinterpret_cast<LPBYTE>(&prop), MIDIPROP_SET | MIDIPROP_TIMEDIV),
                  MMSYSERR_NOERROR);
        for (std::vector<uint32_t>& events : buffers) Queue(std::move(events));
        headless::ClearRecordedMidiEvents();
        ASSERT_EQ(midiStreamRestart(m_h), MMSYSERR_NOERROR);
    }
    // Queues one more buffer on the open stream.
    void Queue(std::vector<uint32_t> events) {
        m_events.push_back(std::move(events));
        m_headers.push_back(MIDIHDR{});
        MIDIHDR& h = m_headers.back();
        h.lpData = reinterpret_cast<LPSTR>(m_events.back().data());
        h.dwBufferLength = h.dwBytesRecorded = DWORD(m_events.back().size() * 4);
        ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(m_h), &h, sizeof h), MMSYSERR_NOERROR);
        ASSERT_EQ(midiStreamOut(m_h, &h, sizeof h), MMSYSERR_NOERROR);
    }
    void TearDown() override {
        if (m_h) {
            midiOutReset(reinterpret_cast<HMIDIOUT>(m_h));
            for (MIDIHDR& h : m_headers) midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(m_h), &h, sizeof h);
            EXPECT_EQ(midiStreamClose(m_h), MMSYSERR_NOERROR);
        }
        MusicTest::TearDown();
    }

    HMIDISTRM m_h = nullptr;
    std::deque<std::vector<uint32_t>> m_events;  // deques: a queued buffer never moves
    std::deque<MIDIHDR> m_headers;
};

}  // namespace music_test
