// The converter's Standard MIDI File road: what a hand-written file becomes, how the records are
// cut into buffers, and that damaged files are refused without reading past their end.
#include <gtest/gtest.h>

#include <memory>

#include "tests/assets_audio/audio_files.h"
#include "tools/songgen/MidsWriter.h"
#include "tools/songgen/SmfReader.h"
#include "tools/songgen/SongPipeline.h"

namespace {

// Two tracks at 96 ticks a quarter: a conductor with a tempo change and a GM-on sysex to skip,
// and a piano track using running status across note-ons and note-offs.
const std::vector<uint8_t> SMALL_SMF = {
    'M',  'T',  'h',  'd',  0,    0,    0,    6,    0,    1,    0,    2,    0,    96,   'M',
    'T',  'r',  'k',  0,    0,    0,    26,   0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 0: 500000 us a quarter
    0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7,                                      // 0: sysex, skipped
    0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90,                                            // 96: 250000 us a quarter
    0x00, 0xFF, 0x2F, 0x00, 'M',  'T',  'r',  'k',  0,    0,    0,    35,   0x00, 0xC0, 0x05,  // 0: program 5
    0x00, 0x90, 0x3C, 0x64,                                                                    // 0: C4 on
    0x30, 0x3E, 0x64,                   // 48: D4 on (running status)
    0x30, 0x80, 0x3C, 0x40,             // 96: C4 off
    0x00, 0x3E, 0x40,                   // 96: D4 off (running status)
    0x00, 0xFF, 0x03, 0x02, 'P',  'n',  // 96: track name, skipped
    0x0A, 0xB0, 0x07, 0x64,             // 106: volume
    0x00, 0xE0, 0x00, 0x40,             // 106: pitch bend centre
    0x14, 0xFF, 0x2F, 0x00,             // 126: end of track
};

struct ExpectedRecord {
    uint32_t nDelta;
    uint32_t nStream;
    uint32_t nEvent;
};

// The records of a single-buffer form.
std::vector<ExpectedRecord> RecordsOf(const std::vector<uint8_t>& mids) {
    std::vector<ExpectedRecord> records;
    uint32_t cb = Le32(mids, 48);
    for (size_t at = 52; at < 52 + cb && at + 12 <= mids.size(); at += 12)
        records.push_back({Le32(mids, at), Le32(mids, at + 4), Le32(mids, at + 8)});
    return records;
}

TEST(SmfConvert, HandWrittenFileBecomesTheExpectedRecords) {
    std::vector<uint8_t> mids;
    MidsStats stats;
    std::string strError;
    ASSERT_TRUE(ConvertSmfToMids(SMALL_SMF, mids, stats, strError)) << strError;

    EXPECT_EQ(Le32(mids, 20), 96u);  // the file's own time division
    EXPECT_EQ(Le32(mids, 24), 4096u);
    EXPECT_EQ(Le32(mids, 28), 0u);
    EXPECT_EQ(Le32(mids, 40), 1u);  // one buffer
    EXPECT_EQ(Le32(mids, 44), 0u);  // starting at tick 0
    const std::vector<ExpectedRecord> expected = {
        {0, 0xFFFFFFFFu, 0x0107A120u},   // tempo 500000
        {0, 0, 0x000005C0u},             // program change
        {0, 0, 0x00643C90u},             // C4 on
        {48, 0, 0x00643E90u},            // D4 on
        {48, 0xFFFFFFFFu, 0x0103D090u},  // tempo 250000, ahead of what shares its tick
        {0, 0, 0x00403C80u},             // C4 off
        {0, 0, 0x00403E80u},             // D4 off
        {10, 0, 0x006407B0u},            // volume 100
        {0, 0, 0x004000E0u},             // bend centre
        {20, 0, 0x02000000u},            // NOP to the end of the track
    };
    std::vector<ExpectedRecord> records = RecordsOf(mids);
    ASSERT_EQ(records.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        EXPECT_EQ(records[i].nDelta, expected[i].nDelta);
        EXPECT_EQ(records[i].nStream, expected[i].nStream);
        EXPECT_EQ(records[i].nEvent, expected[i].nEvent);
    }
    EXPECT_EQ(mids.size(), 52 + 12 * expected.size());
    EXPECT_EQ(Le32(mids, 4), mids.size() - 8);
    EXPECT_EQ(stats.nNoteOn, 2u);
    EXPECT_EQ(stats.nNoteOff, 2u);
    EXPECT_EQ(stats.nTempo, 2u);
    EXPECT_NEAR(stats.dSeconds, 1 * 0.5 + 30.0 / 96 * 0.25, 1e-9);
}

TEST(SmfConvert, CommandLineConvertsAFile) {
    CTempDir dir;
    ASSERT_FALSE(dir.Path().empty());
    WriteBytes(dir.Path() + "/small.mid", SMALL_SMF);
    std::string strCmd = std::string("'") + SONGGEN_PATH + "' --convert '" + dir.Path() + "/small.mid' '" + dir.Path() +
                         "/small.mids' > /dev/null";
    ASSERT_EQ(std::system(strCmd.c_str()), 0);
    std::vector<uint8_t> expected;
    MidsStats stats;
    std::string strError;
    ASSERT_TRUE(ConvertSmfToMids(SMALL_SMF, expected, stats, strError));
    EXPECT_TRUE(ReadBytes(dir.Path() + "/small.mids") == expected);

    WriteBytes(dir.Path() + "/bad.mid", {'M', 'T', 'h', 'd'});
    strCmd = std::string("'") + SONGGEN_PATH + "' --convert '" + dir.Path() + "/bad.mid' '" + dir.Path() +
             "/bad.mids' 2> /dev/null";
    EXPECT_NE(std::system(strCmd.c_str()), 0);
}

TEST(SmfConvert, RecordsFillBuffersAndDeltasChainAcrossThem) {
    // 700 notes with no tempo: a default tempo goes first, a NOP last: 702 records = 341 + 341 + 20.
    Sequence seq;
    seq.nDivision = 480;
    for (uint32_t i = 0; i < 700; ++i) seq.events.push_back({10 * i + 5, SeqEvent::SHORT_MSG, 0x00403C90u});
    seq.nEndTick = 8000;
    std::vector<uint8_t> mids;
    MidsStats stats;
    std::string strError;
    ASSERT_TRUE(BuildMids(seq, mids, stats, strError));
    ASSERT_EQ(Le32(mids, 40), 3u);
    const uint32_t BYTES[3] = {4092, 4092, 240};
    const uint32_t TICK_START[3] = {0, 10 * 340 + 5, 10 * 681 + 5};
    size_t at = 44;
    uint32_t nTick = 0;
    std::vector<uint32_t> ticks;
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Le32(mids, at), TICK_START[k]) << "buffer " << k;
        ASSERT_EQ(Le32(mids, at + 4), BYTES[k]) << "buffer " << k;
        at += 8;
        for (uint32_t n = 0; n < BYTES[k]; n += 12, at += 12) {
            nTick += Le32(mids, at);
            ticks.push_back(nTick);
        }
    }
    EXPECT_EQ(at, mids.size());
    ASSERT_EQ(ticks.size(), 702u);
    EXPECT_EQ(Le32(mids, 52), 0u);
    EXPECT_EQ(Le32(mids, 52 + 4), 0xFFFFFFFFu);
    EXPECT_EQ(Le32(mids, 52 + 8), 0x01000000u | DEFAULT_TEMPO);
    for (uint32_t i = 0; i < 700; ++i) ASSERT_EQ(ticks[i + 1], 10 * i + 5) << "event " << i;
    EXPECT_EQ(ticks.back(), 8000u);
}

// Parses a copy of exactly the given bytes, so that a read past them is caught by the sanitizers.
bool ParseExactly(const std::vector<uint8_t>& bytes, std::string& strError) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() + 1]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    Sequence seq;
    return ReadSmf(copy.get(), bytes.size(), seq, strError);
}

std::vector<uint8_t> Patched(size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> out = SMALL_SMF;
    std::copy(bytes.begin(), bytes.end(), out.begin() + long(at));
    return out;
}

TEST(SmfConvert, DamagedFilesAreRefused) {
    const size_t TRACK1 = 14 + 8;           // first event of the conductor track
    const size_t TRACK2 = TRACK1 + 26 + 8;  // first event of the piano track
    struct Case {
        const char* pszWhat;
        std::vector<uint8_t> bytes;
    };
    const Case CASES[] = {
        {"empty", {}},
        {"not MThd", Patched(0, {'R', 'I', 'F', 'F'})},
        {"header of 5 bytes", Patched(4, {0, 0, 0, 5})},
        {"header longer than the file", Patched(4, {0x7F, 0xFF, 0xFF, 0xFF})},
        {"format 2", Patched(8, {0, 2})},
        {"no tracks", Patched(10, {0, 0})},
        {"more tracks than the file holds", Patched(10, {0, 3})},
        {"SMPTE time division", Patched(12, {0xE7, 0x28})},
        {"time division 0", Patched(12, {0, 0})},
        {"track longer than the file", Patched(TRACK1 - 4, {0, 0, 1, 0})},
        {"chunk length near 4 GB", Patched(TRACK1 - 4, {0xFF, 0xFF, 0xFF, 0xF0})},
        {"track without its end", Patched(TRACK2 - 4, {0, 0, 0, 31})},
        {"delta of five bytes", Patched(TRACK2, {0x81, 0x81, 0x81, 0x81, 0x01})},
        {"data byte with no status", Patched(TRACK2, {0x00, 0x3C, 0x64})},
        {"status where data belongs", Patched(TRACK2 + 3, {0x00, 0x90, 0x90})},
        {"tempo of two bytes", Patched(TRACK1, {0x00, 0xFF, 0x51, 0x02})},
        {"tempo of zero", Patched(TRACK1 + 4, {0, 0, 0})},
        {"meta longer than its track", Patched(TRACK1 + 3, {0x7F})},
        {"sysex longer than its track", Patched(TRACK1 + 9, {0x7F})},
        {"song position message", Patched(TRACK2, {0x00, 0xF2, 0x00, 0x00})},
    };
    for (const Case& c : CASES) {
        std::string strError;
        EXPECT_FALSE(ParseExactly(c.bytes, strError)) << c.pszWhat;
        EXPECT_FALSE(strError.empty()) << c.pszWhat;
    }
}

TEST(SmfConvert, EveryTruncationIsRefusedAndGarbageNeverCrashes) {
    std::string strError;
    ASSERT_TRUE(ParseExactly(SMALL_SMF, strError)) << strError;
    for (size_t n = 0; n < SMALL_SMF.size(); ++n) {
        std::vector<uint8_t> cut(SMALL_SMF.begin(), SMALL_SMF.begin() + long(n));
        EXPECT_FALSE(ParseExactly(cut, strError)) << "cut to " << n << " bytes";
    }

    std::vector<uint8_t> song;
    ASSERT_TRUE(BuildSongSmf(song, strError)) << strError;
    ASSERT_TRUE(ParseExactly(song, strError)) << strError;
    for (size_t n = 0; n < song.size(); n += song.size() / 97 + 1) {
        std::vector<uint8_t> cut(song.begin(), song.begin() + long(n));
        EXPECT_FALSE(ParseExactly(cut, strError)) << "song cut to " << n << " bytes";
    }

    // Random damage to the small file: whatever the parser accepts must convert.
    uint32_t nSeed = 12345;
    auto Next = [&] {
        nSeed = nSeed * 1103515245u + 12345u;
        return nSeed >> 8;
    };
    for (int i = 0; i < 3000; ++i) {
        std::vector<uint8_t> bad = SMALL_SMF;
        for (int k = 1 + int(Next() % 4); k > 0; --k) bad[Next() % bad.size()] = uint8_t(Next());
        bad.resize(bad.size() - Next() % 3);
        std::unique_ptr<uint8_t[]> copy(new uint8_t[bad.size()]);
        std::copy(bad.begin(), bad.end(), copy.get());
        Sequence seq;
        if (ReadSmf(copy.get(), bad.size(), seq, strError)) {
            std::vector<uint8_t> mids;
            MidsStats stats;
            if (BuildMids(seq, mids, stats, strError)) {
                EXPECT_EQ(Le32(mids, 4), mids.size() - 8);
            }
        }
    }
}

}  // namespace
