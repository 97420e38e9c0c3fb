// The multimedia file stand-in: memory and disk files, chunk descent and ascent, direct buffer access,
// and handles that are null, unknown or closed.
#include <gtest/gtest.h>

#include <memory>

#include "platform/winmm_mmio.h"
#include "tests/sound/sound_kit.h"

using namespace soundtest;

namespace {

// A memory file over an exact-size heap copy of `bytes`, so reads past the block are caught.
class MemFile {
public:
    explicit MemFile(const Bytes& bytes) : m_block(new char[bytes.size() ? bytes.size() : 1]) {
        if (!bytes.empty()) std::memcpy(m_block.get(), bytes.data(), bytes.size());
        MMIOINFO info{};
        info.fccIOProc = FOURCC_MEM;
        info.pchBuffer = m_block.get();
        info.cchBuffer = LONG(bytes.size());
        info.adwInfo[0] = 0;  // fixed size
        m_h = mmioOpenA(nullptr, &info, MMIO_READWRITE);
    }
    ~MemFile() {
        if (m_h) mmioClose(m_h, 0);
    }
    HMMIO h() const { return m_h; }
    char* block() const { return m_block.get(); }

private:
    std::unique_ptr<char[]> m_block;
    HMMIO m_h = nullptr;
};

// RIFF 'MIDS' { "fmt " 12, "data" 6 (odd), LIST 'INFO' { "ICMT" 3 } }, then a second form 'TEST'.
Bytes SampleFile() {
    Bytes a = Form("MIDS", {Chunk("fmt ", Ramp(12)), Chunk("data", Ramp(7, 100)),
                            Chunk("LIST", [] { Bytes b{'I', 'N', 'F', 'O'}; Bytes c = Chunk("ICMT", Ramp(3));
                                               b.insert(b.end(), c.begin(), c.end()); return b; }())});
    Bytes b = Form("TEST", {Chunk("abcd", Ramp(2))});
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(Mmio, FourCharacterCodesReadAsWritten) {
    EXPECT_EQ(mmioFOURCC('f', 'm', 't', ' '), 0x20746D66u);
    EXPECT_EQ(mmioFOURCC('M', 'I', 'D', 'S'), 0x5344494Du);
    EXPECT_EQ(mmioFOURCC('d', 'a', 't', 'a'), 0x61746164u);
    EXPECT_EQ(FOURCC_MEM, 0x204D454Du);
    FOURCC riff = FOURCC_RIFF;
    EXPECT_EQ(std::memcmp(&riff, "RIFF", 4), 0);
    EXPECT_EQ(sizeof(MMCKINFO), 20u);
}

TEST(Mmio, MemoryFileOfFixedSizeStopsAtItsEnd) {
    Bytes bytes = Ramp(10);
    MemFile f(bytes);
    ASSERT_NE(f.h(), nullptr);
    char buf[32] = {};
    EXPECT_EQ(mmioRead(f.h(), buf, 4), 4);
    EXPECT_EQ(buf[3], 3);
    EXPECT_EQ(mmioRead(f.h(), buf, 32), 6);  // only what the block holds
    EXPECT_EQ(buf[5], 9);
    EXPECT_EQ(mmioRead(f.h(), buf, 32), 0);  // at the end
    EXPECT_EQ(mmioRead(f.h(), buf, -1), -1);
    EXPECT_EQ(mmioRead(f.h(), nullptr, 4), -1);

    EXPECT_EQ(mmioSeek(f.h(), 2, SEEK_SET), 2);
    EXPECT_EQ(mmioSeek(f.h(), 3, SEEK_CUR), 5);
    EXPECT_EQ(mmioSeek(f.h(), -1, SEEK_END), 9);
    EXPECT_EQ(mmioSeek(f.h(), 11, SEEK_SET), -1);
    EXPECT_EQ(mmioSeek(f.h(), -1, SEEK_SET), -1);
    EXPECT_EQ(mmioSeek(f.h(), 0, 7), -1);
    EXPECT_EQ(mmioSeek(f.h(), 0, SEEK_CUR), 9);

    // Closing leaves the caller's block alone.
    EXPECT_EQ(mmioClose(f.h(), 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioClose(f.h(), 0), MMSYSERR_INVALHANDLE);

    // No block: no file.
    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.cchBuffer = 100;
    EXPECT_EQ(mmioOpenA(nullptr, &info, MMIO_READWRITE), nullptr);
    EXPECT_NE(info.wErrorRet, 0u);
}

TEST(Mmio, DescendFindsChunksInAnyOrderWithinTheirParent) {
    MemFile f(SampleFile());
    ASSERT_NE(f.h(), nullptr);

    MMCKINFO form{};
    form.fccType = mmioFOURCC('M', 'I', 'D', 'S');
    ASSERT_EQ(mmioDescend(f.h(), &form, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(form.ckid, FOURCC_RIFF);
    EXPECT_EQ(form.dwDataOffset, 8u);
    EXPECT_EQ(mmioSeek(f.h(), 0, SEEK_CUR), 12);  // past the form type

    // "data" first, then back to the start of the body for "fmt ".
    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    ASSERT_EQ(mmioDescend(f.h(), &data, &form, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(data.cksize, 7u);
    EXPECT_EQ(data.dwDataOffset, 12u + 20u + 8u);
    char b = 0;
    EXPECT_EQ(mmioRead(f.h(), &b, 1), 1);
    EXPECT_EQ(b, 100);
    // Ascend skips the body and its pad byte.
    ASSERT_EQ(mmioAscend(f.h(), &data, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(f.h(), 0, SEEK_CUR), 40 + 7 + 1);

    MMCKINFO list{};
    list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
    ASSERT_EQ(mmioDescend(f.h(), &list, &form, MMIO_FINDLIST), MMSYSERR_NOERROR);
    MMCKINFO cmt{};
    ASSERT_EQ(mmioDescend(f.h(), &cmt, &list, 0), MMSYSERR_NOERROR);  // plain: the header where we are
    EXPECT_EQ(cmt.ckid, mmioFOURCC('I', 'C', 'M', 'T'));
    EXPECT_EQ(cmt.cksize, 3u);

    mmioSeek(f.h(), 12, SEEK_SET);
    MMCKINFO fmt{};
    fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    ASSERT_EQ(mmioDescend(f.h(), &fmt, &form, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(fmt.dwDataOffset, 20u);
    EXPECT_EQ(fmt.cksize, 12u);

    // The second form's chunk lies outside the first form: not found inside it, found at the top level.
    mmioSeek(f.h(), 12, SEEK_SET);
    MMCKINFO abcd{};
    abcd.ckid = mmioFOURCC('a', 'b', 'c', 'd');
    EXPECT_EQ(mmioDescend(f.h(), &abcd, &form, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(mmioSeek(f.h(), 0, SEEK_CUR), 12);  // a failed search leaves the position where it was
    mmioSeek(f.h(), 0, SEEK_SET);
    MMCKINFO test{};
    test.fccType = mmioFOURCC('T', 'E', 'S', 'T');
    ASSERT_EQ(mmioDescend(f.h(), &test, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioDescend(f.h(), &abcd, &test, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(abcd.cksize, 2u);

    MMCKINFO none{};
    none.fccType = mmioFOURCC('N', 'O', 'N', 'E');
    mmioSeek(f.h(), 0, SEEK_SET);
    EXPECT_EQ(mmioDescend(f.h(), &none, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(mmioDescend(f.h(), &none, nullptr, MMIO_FINDRIFF | MMIO_FINDCHUNK), MMSYSERR_INVALFLAG);
}

TEST(Mmio, HugeAndCutChunksEndTheSearch) {
    // A chunk of 0xFFFFFFF8 bytes: in 32 bits the next header would be this one again.
    Bytes loop = Form("WAVE", {Chunk("junk", Ramp(8), 0xFFFFFFF8), Chunk("data", Ramp(4))});
    MemFile f(loop);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(f.h(), &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(f.h(), &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    // Ascending out of it cannot go beyond the file.
    MMCKINFO junk{};
    ASSERT_EQ(mmioDescend(f.h(), &junk, &riff, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(junk.cksize, 0xFFFFFFF8u);
    EXPECT_NE(mmioAscend(f.h(), &junk, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(f.h(), 0, SEEK_CUR), LONG(loop.size()));

    // A parent that claims to reach beyond 4 GB is cut at the file's end.
    MMCKINFO wide = riff;
    wide.dwDataOffset = 0xFFFFFFF0;
    wide.cksize = 0xFFFFFFF8;
    mmioSeek(f.h(), 12, SEEK_SET);
    EXPECT_EQ(mmioDescend(f.h(), &data, &wide, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);

    // A header cut by the end of the file, or by the end of its parent, is not a chunk.
    Bytes cut = Form("WAVE", {Chunk("fmt ", Ramp(4))});
    cut.insert(cut.end(), {'d', 'a', 't', 'a', 1});
    MemFile g(cut);
    ASSERT_EQ(mmioDescend(g.h(), &riff, nullptr, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioDescend(g.h(), &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(mmioDescend(g.h(), &data, nullptr, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    mmioSeek(g.h(), LONG(cut.size()) - 5, SEEK_SET);
    EXPECT_EQ(mmioDescend(g.h(), &data, nullptr, 0), MMIOERR_CHUNKNOTFOUND);
    // A form whose type is cut off is not a form.
    MemFile h(Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A'});
    EXPECT_EQ(mmioDescend(h.h(), &riff, nullptr, 0), MMIOERR_CHUNKNOTFOUND);
    // The last chunk of a file may lack its pad byte.
    Bytes odd = Form("WAVE", {Chunk("data", Ramp(3), -1, false)});
    MemFile k(odd);
    ASSERT_EQ(mmioDescend(k.h(), &riff, nullptr, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioDescend(k.h(), &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioAscend(k.h(), &data, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(k.h(), 0, SEEK_CUR), LONG(odd.size()));
}

TEST(Mmio, DirectBufferAccessOnMemoryAndDiskFiles) {
    // Memory: the block is the buffer.
    MemFile m(Ramp(8));
    mmioSeek(m.h(), 3, SEEK_SET);
    MMIOINFO info{};
    ASSERT_EQ(mmioGetInfo(m.h(), &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(info.pchBuffer, m.block());
    EXPECT_EQ(info.pchNext, m.block() + 3);
    EXPECT_EQ(info.pchEndRead, m.block() + 8);
    info.pchNext = info.pchEndRead;
    ASSERT_EQ(mmioAdvance(m.h(), &info, MMIO_READ), MMSYSERR_NOERROR);
    EXPECT_EQ(info.pchNext, info.pchEndRead);  // nothing more: the file has ended
    info.pchNext = m.block() + 6;
    ASSERT_EQ(mmioSetInfo(m.h(), &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(m.h(), 0, SEEK_CUR), 6);
    info.pchNext = m.block() + 9;  // outside the buffer
    EXPECT_EQ(mmioSetInfo(m.h(), &info, 0), MMSYSERR_INVALPARAM);

    // Disk, with a 16-byte buffer: Advance refills it from where the caller has read to.
    CTempDir dir;
    const std::string path = dir.File("ramp.bin");
    WriteBytes(path, Ramp(40));
    MMIOINFO want{};
    want.cchBuffer = 16;
    HMMIO d = mmioOpenA(path.c_str(), &want, MMIO_READ | MMIO_ALLOCBUF);
    ASSERT_NE(d, nullptr);
    char b[4];
    ASSERT_EQ(mmioRead(d, b, 4), 4);
    ASSERT_EQ(mmioGetInfo(d, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(info.cchBuffer, 16);
    EXPECT_EQ(*info.pchNext, 4);
    Bytes seen(b, b + 4);
    for (;;) {
        if (info.pchNext == info.pchEndRead) {
            ASSERT_EQ(mmioAdvance(d, &info, MMIO_READ), MMSYSERR_NOERROR);
            if (info.pchNext == info.pchEndRead) break;
            EXPECT_LE(info.pchEndRead - info.pchBuffer, 16);
        }
        seen.push_back(uint8_t(*info.pchNext++));
    }
    EXPECT_EQ(seen, Ramp(40));
    ASSERT_EQ(mmioSetInfo(d, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(d, 0, SEEK_CUR), 40);
    EXPECT_EQ(mmioRead(d, b, 4), 0);
    // Back into the middle: reads and the buffer agree with the file again.
    EXPECT_EQ(mmioSeek(d, 17, SEEK_SET), 17);
    ASSERT_EQ(mmioRead(d, b, 4), 4);
    EXPECT_EQ(b[0], 17);
    EXPECT_EQ(b[3], 20);
    EXPECT_EQ(mmioClose(d, 0), MMSYSERR_NOERROR);

    // Unbuffered disk files have no buffer to reach into.
    HMMIO u = mmioOpenA(path.c_str(), nullptr, MMIO_READ);
    ASSERT_NE(u, nullptr);
    ASSERT_EQ(mmioGetInfo(u, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioAdvance(u, &info, MMIO_READ), MMIOERR_UNBUFFERED);
    EXPECT_EQ(mmioRead(u, b, 4), 4);
    mmioClose(u, 0);

    EXPECT_EQ(mmioOpenA(dir.File("none").c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF), nullptr);
    EXPECT_EQ(mmioOpenA(path.c_str(), nullptr, MMIO_WRITE), nullptr);
}

TEST(Mmio, NullUnknownAndClosedHandlesAreRefused) {
    MemFile f(Ramp(16));
    HMMIO closed = nullptr;
    {
        MemFile g(Ramp(4));
        closed = g.h();
    }
    int local = 0;
    HMMIO unknown = reinterpret_cast<HMMIO>(&local);
    for (HMMIO h : {HMMIO(nullptr), unknown, closed}) {
        MMCKINFO ck{};
        MMIOINFO info{};
        char b[4];
        EXPECT_EQ(mmioRead(h, b, 4), -1);
        EXPECT_EQ(mmioSeek(h, 0, SEEK_SET), -1);
        EXPECT_EQ(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(mmioDescend(h, &ck, nullptr, MMIO_FINDCHUNK), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(mmioAscend(h, &ck, 0), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(mmioGetInfo(h, &info, 0), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(mmioSetInfo(h, &info, 0), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(mmioClose(h, 0), MMSYSERR_INVALHANDLE);
    }
    // A good handle with null records is refused too.
    EXPECT_EQ(mmioDescend(f.h(), nullptr, nullptr, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(mmioAscend(f.h(), nullptr, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(mmioGetInfo(f.h(), nullptr, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(mmioRead(f.h(), nullptr, 0), 0);
}
