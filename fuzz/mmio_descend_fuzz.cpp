// The mmio stand-in on damaged RIFF files: a memory file over the input (an exact-size heap copy)
// and a script of descents, ascents, reads, seeks and direct buffer accesses, also taken from the
// input. Positions must stay inside the file and every search must end.
//
// Input: byte 0 = number of script steps n (at most 64), then 2 × n script bytes, then the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/winmm_mmio.h"

namespace {

const FOURCC IDS[] = {FOURCC_RIFF, FOURCC_LIST, mmioFOURCC('f', 'm', 't', ' '), mmioFOURCC('d', 'a', 't', 'a'),
                      mmioFOURCC('W', 'A', 'V', 'E'), mmioFOURCC('M', 'I', 'D', 'S'), mmioFOURCC('I', 'N', 'F', 'O'),
                      mmioFOURCC('f', 'a', 'c', 't')};

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    size_t steps = data[0] % 65;
    if (size < 1 + 2 * steps) return 0;
    const uint8_t* script = data + 1;
    const size_t fileSize = size - 1 - 2 * steps;
    std::unique_ptr<char[]> file(new char[fileSize ? fileSize : 1]);
    if (fileSize) std::memcpy(file.get(), script + 2 * steps, fileSize);

    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = file.get();
    info.cchBuffer = LONG(fileSize);
    HMMIO h = mmioOpenA(nullptr, &info, MMIO_READWRITE);
    Check(h != nullptr);

    MMCKINFO stack[8];
    int depth = 0;
    char buf[256];
    for (size_t i = 0; i < steps; ++i) {
        const uint8_t op = script[2 * i];
        const uint8_t arg = script[2 * i + 1];
        const LPCMMCKINFO parent = depth > 0 ? &stack[depth - 1] : nullptr;
        MMCKINFO ck{};
        ck.ckid = IDS[arg % 8];
        ck.fccType = IDS[(arg >> 3) % 8];
        switch (op % 8) {
            case 0:
            case 1:
            case 2:
            case 3: {
                static const UINT flags[] = {0, MMIO_FINDCHUNK, MMIO_FINDRIFF, MMIO_FINDLIST};
                MMRESULT r = mmioDescend(h, &ck, (arg & 0x80) ? nullptr : parent, flags[op % 4]);
                Check(r == MMSYSERR_NOERROR || r == MMIOERR_CHUNKNOTFOUND);
                if (r == MMSYSERR_NOERROR) {
                    Check(ck.dwDataOffset >= 8 && ck.dwDataOffset <= fileSize);
                    if (depth < 8) stack[depth++] = ck;
                }
                break;
            }
            case 4:
                if (depth > 0) mmioAscend(h, &stack[--depth], 0);
                break;
            case 5: {
                LONG n = mmioRead(h, buf, arg);
                Check(n >= 0 && n <= arg);
                break;
            }
            case 6:
                mmioSeek(h, (arg & 0x80) ? -LONG(arg & 0x7F) : LONG(arg) * 7, (arg >> 5) % 3);
                break;
            case 7: {
                MMIOINFO io{};
                Check(mmioGetInfo(h, &io, 0) == MMSYSERR_NOERROR);
                unsigned sum = 0;
                for (int k = 0; k < arg && io.pchNext < io.pchEndRead; ++k) sum += uint8_t(*io.pchNext++);
                if (io.pchNext == io.pchEndRead) Check(mmioAdvance(h, &io, MMIO_READ) == MMSYSERR_NOERROR);
                Check(mmioSetInfo(h, &io, 0) == MMSYSERR_NOERROR);
                (void)sum;
                break;
            }
        }
        LONG pos = mmioSeek(h, 0, SEEK_CUR);
        Check(pos >= 0 && size_t(pos) <= fileSize);
    }
    Check(mmioClose(h, 0) == MMSYSERR_NOERROR);
    return 0;
}
