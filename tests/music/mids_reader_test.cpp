// The multimedia-file wrapper and the song reader: our song's layout, the forms a reader must take,
// and every damaged form failing cleanly with the player left empty.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "audio/Midistrm.h"
#include "audio/mmio.h"
#include "game/resource.h"
#include "platform/afx_app.h"
#include "platform/kernel.h"
#include "tests/music/music_kit.h"

using namespace music_test;

namespace {

// ---- The wrapper ----

TEST(MmioWrapper, FourCharacterCodesStandInFileOrder) {
    CMmioChunkId fmt('f', 'm', 't', ' ');
    CMmioChunkId data('d', 'a', 't', 'a');
    CMmioFormType mids('M', 'I', 'D', 'S');
    EXPECT_EQ(fmt.ckid, 0x20746D66u);
    EXPECT_EQ(data.ckid, 0x61746164u);
    EXPECT_EQ(mids.fccType, 0x5344494Du);
    EXPECT_EQ(std::memcmp(&fmt.ckid, "fmt ", 4), 0);
    EXPECT_EQ(FOURCC_MEM, 0x204D454Du);
    // Characters are taken by their low 8 bits.
    CMmioChunkId high(static_cast<char>(0xFF), 'a', 'b', 'c');
    EXPECT_EQ(high.ckid & 0xFF, 0xFFu);
}

TEST(MmioWrapper, MemoryFileOfFixedSizeStopsAtTheEndOfTheBlock) {
    uint8_t block[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    CMmioMemInfo info(block, sizeof block, 0);
    EXPECT_EQ(info.fccIOProc, FOURCC_MEM);
    EXPECT_EQ(info.pIOProc, nullptr);
    EXPECT_EQ(info.pchBuffer, reinterpret_cast<HPSTR>(block));
    EXPECT_EQ(info.cchBuffer, 10);
    EXPECT_EQ(info.adwInfo[0], 0u);
    EXPECT_EQ(info.dwFlags, 0u);
    EXPECT_EQ(info.adwInfo[1], 0u);

    HMMIO h;
    {
        CMmio mmio(&info);
        ASSERT_NE(mmio.m_hmmio, nullptr);
        char buf[16] = {};
        EXPECT_EQ(mmio.Read(buf, 6), 6);
        EXPECT_EQ(buf[5], 5);
        EXPECT_EQ(mmio.Read(buf, 16), 4);  // only what the block holds
        EXPECT_EQ(buf[3], 9);
        EXPECT_EQ(mmio.Read(buf, 16), 0);
        h = mmio.m_hmmio;
    }
    // The wrapper's destructor left the handle open: only the owner's close ends it.
    EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioClose(h, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(block[9], 9);  // the block is the caller's, untouched
}

TEST(MmioWrapper, FailedOpenLeavesNoHandle) {
    CMmioMemInfo info(nullptr, 10, 0);
    CMmio mmio(&info);
    EXPECT_EQ(mmio.m_hmmio, nullptr);
}

// ---- Our song ----

class SongReader : public MusicTest {};

TEST_F(SongReader, OurSongLoadsIntoItsSlots) {
    CMidiStream player(IDR_MIDS_MUSIC, AfxGetInstanceHandle());
    ASSERT_TRUE(player.IsLoaded());
    EXPECT_EQ(player.m_dwTimeDiv, 480u);
    EXPECT_EQ(player.m_cbMaxBuffer, 4096u);
    EXPECT_EQ(player.m_dwFlags, 0u);
    ASSERT_EQ(player.m_nBuffers, 40u);

    size_t nRecords = 0, nTempo = 0, nTempoFirstBuffer = 0;
    for (DWORD i = 0; i < player.m_nBuffers; ++i) {
        MIDIHDR* h = player.Slot(i);
        EXPECT_EQ(reinterpret_cast<BYTE*>(h), player.m_pBuffers + i * (sizeof(MIDIHDR) + 4096));
        EXPECT_EQ(reinterpret_cast<BYTE*>(h->lpData), reinterpret_cast<BYTE*>(h) + sizeof(MIDIHDR));
        EXPECT_EQ(h->dwBufferLength, 4096u);
        EXPECT_EQ(h->dwBytesRecorded, i < 39 ? 4092u : 3828u) << "slot " << i;
        EXPECT_EQ(h->dwFlags, 0u);
        const DWORD_PTR dwUser = h->dwUser;
        EXPECT_EQ(dwUser, 0u);
        const MIDIHDR* pNext = h->lpNext;  // a packed member: read it by value
        EXPECT_EQ(pNext, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(h) % 4, 0u);
        for (DWORD at = 0; at + 12 <= h->dwBytesRecorded; at += 12) {
            const uint8_t* p = reinterpret_cast<const uint8_t*>(h->lpData) + at;
            uint32_t ev = Get32(p + 8);
            ASSERT_EQ(ev & MEVT_F_LONG, 0u);
            ++nRecords;
            if (MEVT_EVENTTYPE(ev) == MEVT_TEMPO) {
                ++nTempo;
                if (i == 0) ++nTempoFirstBuffer;
                EXPECT_EQ(Get32(p + 4), 0xFFFFFFFFu);
            }
        }
    }
    EXPECT_EQ(nRecords, 13618u);
    EXPECT_EQ(nTempo, 2u);
    EXPECT_EQ(nTempoFirstBuffer, 2u);
    // The song opens with its tempo at tick 0.
    const uint8_t* first = reinterpret_cast<const uint8_t*>(player.Slot(0)->lpData);
    EXPECT_EQ(Get32(first), 0u);
    EXPECT_EQ(MEVT_EVENTTYPE(Get32(first + 8)), MEVT_TEMPO);
}

TEST_F(SongReader, AMissingResourceLeavesThePlayerEmpty) {
    CMidiStream player(999, AfxGetInstanceHandle());
    EXPECT_FALSE(player.IsLoaded());
    EXPECT_FALSE(player.Play(TRUE));
    EXPECT_FALSE(headless::MidiStreamIsOpen());
}

// ---- Forms the reader must take ----

// Reads a form into a fresh player the way the loads do; true when the song is loaded.
bool Load(CMidiStream& player, std::vector<uint8_t> form) {
    if (player.ReadFormat(form.data(), DWORD(form.size()))) player.ReadBuffers(form.data(), DWORD(form.size()));
    return player.IsLoaded();
}

FormLayout FullBuffers(uint32_t cbMax, uint32_t cbEvents) {
    FormLayout s;
    s.cbMaxBuffer = cbMax;
    StoredBuffer b;
    for (uint32_t i = 0; i < cbEvents / 12; ++i) Short(b.events, 1, NoteOn(0, 60, 1));
    while (b.events.size() * 4 < cbEvents) b.events.push_back(0);
    s.buffers = {b, b};
    return s;
}

TEST_F(SongReader, ABufferOfExactlyTheCapacityFitsAndFourMoreFail) {
    CMidiStream fits;
    ASSERT_TRUE(Load(fits, BuildForm(FullBuffers(96, 96))));
    EXPECT_EQ(fits.Slot(1)->dwBytesRecorded, 96u);
    CMidiStream over;
    EXPECT_FALSE(Load(over, BuildForm(FullBuffers(96, 100))));
    EXPECT_EQ(over.m_pBuffers, nullptr);
    EXPECT_EQ(over.m_nBuffers, 0u);
}

TEST_F(SongReader, ChunkOrderAndChunksBetweenDoNotMatter) {
    FormLayout base = ShortSong(3, 120, 400000);
    base.buffers[1].dwTickStart = 0xFFFFFFFFu;  // the stored tick is skipped
    CMidiStream plain;
    ASSERT_TRUE(Load(plain, BuildForm(base)));
    for (int variant = 0; variant < 3; ++variant) {
        FormLayout s = base;
        s.bDataFirst = variant != 1;
        s.bJunkBetween = variant != 0;
        s.cbFmt = 13;  // a longer, odd-sized format body: the rest and its pad byte are skipped
        CMidiStream other;
        ASSERT_TRUE(Load(other, BuildForm(s))) << variant;
        ASSERT_EQ(other.m_nBuffers, 3u);
        for (DWORD i = 0; i < 3; ++i) {
            ASSERT_EQ(other.Slot(i)->dwBytesRecorded, plain.Slot(i)->dwBytesRecorded);
            EXPECT_EQ(std::memcmp(other.Slot(i)->lpData, plain.Slot(i)->lpData, plain.Slot(i)->dwBytesRecorded), 0);
        }
    }
}

TEST_F(SongReader, CompactEventsWidenToFullRecords) {
    // Compact: delta, event; a long event's parameters padded to 4.
    std::vector<uint32_t> compact = {5, NoteOn(1, 64, 90), 7, MEVT_F_LONG | 5, 0x04030201, 0x00000005, 0, uint32_t(MEVT_NOP) << 24};
    FormLayout s;
    s.dwFlags = MIDS_NO_STREAM_ID | 0x10;  // other bits mean nothing
    s.cbMaxBuffer = 64;
    s.buffers = {StoredBuffer{0, compact}, StoredBuffer{0, {}}};
    CMidiStream player;
    ASSERT_TRUE(Load(player, BuildForm(s)));
    const uint32_t want[] = {5, 0, NoteOn(1, 64, 90), 7, 0, MEVT_F_LONG | 5, 0x04030201, 0x00000005, 0, 0, uint32_t(MEVT_NOP) << 24};
    ASSERT_EQ(player.Slot(0)->dwBytesRecorded, sizeof want);
    EXPECT_EQ(std::memcmp(player.Slot(0)->lpData, want, sizeof want), 0);
    EXPECT_EQ(player.Slot(1)->dwBytesRecorded, 0u);  // an empty stored buffer
}

TEST_F(SongReader, ExpandBufferChecksRoomAndShape) {
    CMidiStream player;
    uint32_t src[8] = {};
    uint8_t dst[64];
    auto expand = [&](std::vector<uint32_t> words, uint32_t cbSrc, uint32_t cbRoom, DWORD* pOut) {
        std::copy(words.begin(), words.end(), src);
        MIDIHDR s{}, d{};
        s.lpData = reinterpret_cast<LPSTR>(src);
        s.dwBytesRecorded = s.dwBufferLength = cbSrc;
        d.lpData = reinterpret_cast<LPSTR>(dst);
        d.dwBufferLength = cbRoom;
        d.dwBytesRecorded = 0xABCD;
        BOOL ok = player.ExpandBuffer(&d, &s);
        *pOut = d.dwBytesRecorded;
        return ok;
    };
    DWORD out = 0;
    // n compact events need 12 x n bytes of room.
    EXPECT_TRUE(expand({1, NoteOn(0, 1, 1), 2, NoteOn(0, 2, 2)}, 16, 24, &out));
    EXPECT_EQ(out, 24u);
    EXPECT_FALSE(expand({1, NoteOn(0, 1, 1), 2, NoteOn(0, 2, 2)}, 16, 23, &out));
    EXPECT_EQ(out, 0xABCDu);  // not set on failure
    EXPECT_FALSE(expand({1, NoteOn(0, 1, 1)}, 7, 64, &out));           // not a multiple of 4
    EXPECT_FALSE(expand({1, NoteOn(0, 1, 1), 3}, 12, 64, &out));       // a delta without its event
    EXPECT_FALSE(expand({1, MEVT_F_LONG | 8, 0xAA}, 12, 64, &out));    // parameters beyond the source
    EXPECT_FALSE(expand({1, MEVT_F_LONG | 4, 0xAA}, 12, 15, &out));    // parameters beyond the room
    EXPECT_TRUE(expand({1, MEVT_F_LONG | 4, 0xAA}, 12, 16, &out));
    EXPECT_EQ(out, 16u);
    EXPECT_TRUE(expand({}, 0, 0, &out));
    EXPECT_EQ(out, 0u);
}

// ---- Damaged forms ----

struct BadForm {
    const char* name;
    std::function<void(FormLayout&)> damage;
    std::function<void(std::vector<uint8_t>&)> cut;
};

TEST_F(SongReader, EveryDamagedFormFailsCleanly) {
    const BadForm cases[] = {
        {"no MIDS form type", [](FormLayout& s) { s.pszFormType = "WAVE"; }, nullptr},
        {"no fmt chunk", [](FormLayout& s) { s.bOmitFmt = true; }, nullptr},
        {"format body of 8 bytes", [](FormLayout& s) { s.cbFmt = 8; }, nullptr},
        {"no data chunk", [](FormLayout& s) { s.bOmitData = true; }, nullptr},
        {"data chunk of 3 bytes", [](FormLayout& s) { s.nDataSizeOverride = 3; }, nullptr},
        {"data chunk of 0 bytes", [](FormLayout& s) { s.nDataSizeOverride = 0; }, nullptr},
        {"count 0", [](FormLayout& s) { s.nCountOverride = 0; }, nullptr},
        {"count beyond the stored buffers", [](FormLayout& s) { s.nCountOverride = 3; }, nullptr},
        {"count whose block overflows 32 bits", [](FormLayout& s) { s.nCountOverride = 0x00100001; }, nullptr},
        {"block beyond 32 bits", [](FormLayout& s) { s.cbMaxBuffer = 65536; s.buffers.assign(65500, StoredBuffer{}); }, nullptr},
        {"huge count in a tiny form", [](FormLayout& s) { s.nCountOverride = 0x7FFFFFFF; s.cbMaxBuffer = 4; }, nullptr},
        {"capacity 0", [](FormLayout& s) { s.cbMaxBuffer = 0; }, nullptr},
        {"capacity beyond 64 KiB", [](FormLayout& s) { s.cbMaxBuffer = 65540; }, nullptr},
        {"capacity not a multiple of 4", [](FormLayout& s) { s.cbMaxBuffer = 4094; }, nullptr},
        {"events beyond the capacity", [](FormLayout& s) { s.cbMaxBuffer = 12; }, nullptr},
        {"last buffer past the data chunk", nullptr, [](std::vector<uint8_t>& f) { f.resize(f.size() - 4); }},
        {"form cut inside the fmt chunk", nullptr, [](std::vector<uint8_t>& f) { f.resize(24); }},
        {"compact events that do not widen", [](FormLayout& s) { s.dwFlags = MIDS_NO_STREAM_ID; s.cbMaxBuffer = 16; }, nullptr},
    };
    for (const BadForm& c : cases) {
        FormLayout s = ShortSong(2, 100, 300000);
        if (c.damage) c.damage(s);
        std::vector<uint8_t> form = BuildForm(s);
        if (c.cut) c.cut(form);
        CMidiStream player;
        EXPECT_FALSE(Load(player, form)) << c.name;
        EXPECT_EQ(player.m_pBuffers, nullptr) << c.name;
        EXPECT_EQ(player.m_nBuffers, 0u) << c.name;
        EXPECT_FALSE(player.Play(TRUE)) << c.name;
    }
    CMidiStream player;
    EXPECT_FALSE(player.ReadFormat(nullptr, 100));
    EXPECT_FALSE(player.ReadBuffers(nullptr, 100));
}

TEST_F(SongReader, AFailedFormatReadNeverSizesFromOldOrUnreadValues) {
    // A fresh player has no format: buffers are refused without one.
    std::vector<uint8_t> good = BuildForm(ShortSong(2, 100));
    CMidiStream fresh;
    EXPECT_EQ(fresh.m_cbMaxBuffer, 0u);
    EXPECT_EQ(fresh.m_nBuffersDone.load(), 0u);
    EXPECT_FALSE(fresh.ReadBuffers(good.data(), DWORD(good.size())));

    // After a good song, a load whose format cannot be read leaves the player empty, with nothing of
    // the old format left to size the new buffers by.
    FormLayout noFmt = ShortSong(2, 100);
    noFmt.bOmitFmt = true;
    std::vector<uint8_t> bad = BuildForm(noFmt);
    std::string path = std::string(TESSELOR_BINARY_DIR) + "/music_nofmt.mids";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bad.data()), std::streamsize(bad.size()));
    }
    CMidiStream player(IDR_MIDS_MUSIC, AfxGetInstanceHandle());
    ASSERT_TRUE(player.IsLoaded());
    EXPECT_TRUE(player.LoadFromFile(path.c_str()));  // the file opened; its song did not read
    EXPECT_FALSE(player.IsLoaded());
    EXPECT_EQ(player.m_cbMaxBuffer, 0u);
    EXPECT_EQ(player.m_dwTimeDiv, 0u);
    std::remove(path.c_str());
}

TEST_F(SongReader, LoadFromFileReadsWhatTheFileHolds) {
    std::string path = std::string(TESSELOR_BINARY_DIR) + "/music_file_test.mids";
    auto write = [&](const std::vector<uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    };
    std::vector<uint8_t> form = BuildForm(ShortSong(3, 100, 250000));

    write(form);
    CMidiStream fromFile{CString(path.c_str())};
    ASSERT_TRUE(fromFile.IsLoaded());
    EXPECT_EQ(fromFile.m_nBuffers, 3u);

    // An empty file: no block can be locked, nothing is left behind.
    write({});
    CMidiStream empty;
    EXPECT_FALSE(empty.LoadFromFile(path.c_str()));
    EXPECT_FALSE(empty.IsLoaded());

    // A missing file.
    std::remove(path.c_str());
    EXPECT_FALSE(empty.LoadFromFile(path.c_str()));

    // A read that fails after the open (a folder opens but cannot be read): the file layer's
    // exception passes to the caller, the block goes with it, and the player stays usable.
    EXPECT_THROW(empty.LoadFromFile(TESSELOR_BINARY_DIR), CFileException);
    EXPECT_FALSE(empty.IsLoaded());

    // A file cut short: the song does not read, the player stays empty.
    form.resize(form.size() - 8);
    write(form);
    EXPECT_TRUE(empty.LoadFromFile(path.c_str()));
    EXPECT_FALSE(empty.IsLoaded());
    std::remove(path.c_str());
}

}  // namespace
