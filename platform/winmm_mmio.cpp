// Multimedia file I/O over a block of memory or a disk file, read-only.
//
// Positions are kept in 64 bits and every chunk walk is bounded by the end of its parent and of the
// file, so chunk sizes near 4 GB can neither wrap a position back onto itself nor send a read
// outside the file. Handles are checked against the table of open files before any use.
#include "platform/winmm_mmio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

// Every open file. The mutex is held for the whole of each call, so calls on one handle from
// several threads are serialised and a handle closed by one thread is refused to the others.
struct MmioFile {
    bool memory = false;
    DWORD mode = MMIO_READ;  // MMIO_READ / MMIO_WRITE / MMIO_READWRITE
    FOURCC fccIOProc = 0;
    DWORD expandStep = 0;  // adwInfo[0] of a memory file

    // Memory file: the caller's block.
    BYTE* block = nullptr;

    // Disk file: descriptor and I/O buffer (empty when opened without MMIO_ALLOCBUF).
    int fd = -1;
    std::vector<char> buffer;
    int64_t bufStart = 0;  // file position of buffer[0]
    int64_t bufLen = 0;    // bytes of the file held in the buffer

    int64_t size = 0;  // end of the file
    int64_t pos = 0;   // current position
};

std::mutex g_mutex;
std::unordered_map<HMMIO, std::unique_ptr<MmioFile>>& Files() {
    static std::unordered_map<HMMIO, std::unique_ptr<MmioFile>> files;
    return files;
}

MmioFile* Lookup(HMMIO h) {
    if (h == nullptr) return nullptr;
    auto it = Files().find(h);
    return it == Files().end() ? nullptr : it->second.get();
}

bool CanRead(const MmioFile& f) { return (f.mode & MMIO_RWMODE) != MMIO_WRITE; }

// Reads up to n bytes of a disk file at `at`, straight from the descriptor; -1 on an error.
int64_t ReadDisk(const MmioFile& f, int64_t at, char* dst, int64_t n) {
    int64_t done = 0;
    while (done < n) {
        ssize_t got = ::pread(f.fd, dst + done, static_cast<size_t>(n - done), static_cast<off_t>(at + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;  // the file shrank under us
        done += got;
    }
    return done;
}

// Loads the I/O buffer of a buffered disk file with the bytes from `at` on; false on a read error.
bool Fill(MmioFile& f, int64_t at) {
    int64_t want = std::min<int64_t>(static_cast<int64_t>(f.buffer.size()), f.size - at);
    if (want < 0) want = 0;
    int64_t got = ReadDisk(f, at, f.buffer.data(), want);
    if (got < 0) {
        f.bufStart = at;
        f.bufLen = 0;
        return false;
    }
    f.bufStart = at;
    f.bufLen = got;
    return true;
}

// Copies up to n bytes from the current position on; the count copied, or -1 on a read error.
int64_t ReadAt(MmioFile& f, char* dst, int64_t n) {
    n = std::min(n, f.size - f.pos);
    if (n <= 0) return 0;
    if (f.memory) {
        std::memcpy(dst, f.block + f.pos, static_cast<size_t>(n));
        f.pos += n;
        return n;
    }
    if (f.buffer.empty()) {
        int64_t got = ReadDisk(f, f.pos, dst, n);
        if (got > 0) f.pos += got;
        return got;
    }
    int64_t done = 0;
    while (done < n) {
        if (f.pos >= f.bufStart && f.pos < f.bufStart + f.bufLen) {
            int64_t take = std::min(n - done, f.bufStart + f.bufLen - f.pos);
            std::memcpy(dst + done, f.buffer.data() + (f.pos - f.bufStart), static_cast<size_t>(take));
            done += take;
            f.pos += take;
            continue;
        }
        int64_t left = n - done;
        if (left >= static_cast<int64_t>(f.buffer.size())) {
            // A long read goes around the buffer.
            int64_t got = ReadDisk(f, f.pos, dst + done, left);
            if (got < 0) return done > 0 ? done : -1;
            done += got;
            f.pos += got;
            break;
        }
        if (!Fill(f, f.pos)) return done > 0 ? done : -1;
        if (f.bufLen == 0) break;
    }
    return done;
}

bool ReadHeader(MmioFile& f, int64_t at, int64_t limit, FOURCC* id, DWORD* size) {
    if (at + 8 > limit) return false;
    BYTE raw[8];
    f.pos = at;
    if (ReadAt(f, reinterpret_cast<char*>(raw), 8) != 8) return false;
    std::memcpy(id, raw, 4);
    std::memcpy(size, raw + 4, 4);
    return true;
}

bool ReadType(MmioFile& f, int64_t at, int64_t limit, FOURCC* type) {
    if (at + 4 > limit) return false;
    f.pos = at;
    return ReadAt(f, reinterpret_cast<char*>(type), 4) == 4;
}

// The I/O buffer as the caller sees it between mmioGetInfo and mmioSetInfo.
void DescribeBuffer(const MmioFile& f, HMMIO h, LPMMIOINFO info) {
    std::memset(info, 0, sizeof(*info));
    info->dwFlags = f.mode | (f.buffer.empty() ? 0 : MMIO_ALLOCBUF);
    info->fccIOProc = f.fccIOProc;
    info->hmmio = h;
    if (f.memory) {
        HPSTR base = reinterpret_cast<HPSTR>(f.block);
        info->cchBuffer = static_cast<LONG>(f.size);
        info->pchBuffer = base;
        info->pchNext = base + f.pos;
        info->pchEndRead = base + f.size;
        info->pchEndWrite = base + f.size;
        info->lBufOffset = 0;
        info->lDiskOffset = static_cast<LONG>(f.size);
        info->adwInfo[0] = f.expandStep;
        return;
    }
    if (f.buffer.empty()) {
        info->lDiskOffset = static_cast<LONG>(f.pos);
        return;
    }
    HPSTR base = const_cast<HPSTR>(f.buffer.data());
    info->cchBuffer = static_cast<LONG>(f.buffer.size());
    info->pchBuffer = base;
    info->pchNext = base + (f.pos - f.bufStart);
    info->pchEndRead = base + f.bufLen;
    info->pchEndWrite = base + f.buffer.size();
    info->lBufOffset = static_cast<LONG>(f.bufStart);
    info->lDiskOffset = static_cast<LONG>(f.bufStart + f.bufLen);
}

// The file position that the caller's pchNext stands for; false when it lies outside the buffer.
bool PositionFromInfo(const MmioFile& f, LPCMMIOINFO info, int64_t* at) {
    if (f.memory) {
        const char* base = reinterpret_cast<const char*>(f.block);
        if (info->pchNext < base || info->pchNext > base + f.size) return false;
        *at = info->pchNext - base;
        return true;
    }
    if (f.buffer.empty()) {
        *at = f.pos;
        return true;
    }
    const char* base = f.buffer.data();
    if (info->pchNext < base || info->pchNext > base + f.bufLen) return false;
    *at = f.bufStart + (info->pchNext - base);
    return true;
}

// Handles are tags that are never handed out twice, so a closed handle stays refused.
uintptr_t g_nextTag = 0x4D4D0000;

HMMIO Register(std::unique_ptr<MmioFile> file) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_nextTag += 16;
    HMMIO h = reinterpret_cast<HMMIO>(g_nextTag);
    Files()[h] = std::move(file);
    return h;
}

HMMIO FailOpen(LPMMIOINFO info, UINT error) {
    if (info != nullptr) info->wErrorRet = error;
    return nullptr;
}

// Open flags this read-only layer understands: access mode, sharing mode, buffering.
constexpr DWORD kShareMask = 0x00000070;
constexpr DWORD kKnownOpenFlags = MMIO_RWMODE | kShareMask | MMIO_ALLOCBUF;
constexpr LONG kMaxBuffer = 1 << 24;

}  // namespace

HMMIO mmioOpenA(LPCSTR pszFileName, LPMMIOINFO pmmioinfo, DWORD fdwOpen) {
    if ((fdwOpen & ~kKnownOpenFlags) != 0 || (fdwOpen & MMIO_RWMODE) == MMIO_RWMODE)
        return FailOpen(pmmioinfo, MMSYSERR_INVALFLAG);
    if (pmmioinfo != nullptr) pmmioinfo->wErrorRet = MMSYSERR_NOERROR;

    auto file = std::make_unique<MmioFile>();
    file->mode = fdwOpen & MMIO_RWMODE;

    if (pmmioinfo != nullptr && pmmioinfo->fccIOProc == FOURCC_MEM && pmmioinfo->pIOProc == nullptr) {
        // A memory file over the caller's block; reads stop at its end.
        if (pmmioinfo->pchBuffer == nullptr || pmmioinfo->cchBuffer < 0) return FailOpen(pmmioinfo, MMSYSERR_INVALPARAM);
        file->memory = true;
        file->fccIOProc = FOURCC_MEM;
        file->block = reinterpret_cast<BYTE*>(pmmioinfo->pchBuffer);
        file->size = pmmioinfo->cchBuffer;
        file->expandStep = pmmioinfo->adwInfo[0];
        return Register(std::move(file));
    }

    if (pmmioinfo != nullptr && (pmmioinfo->pIOProc != nullptr ||
                                 (pmmioinfo->fccIOProc != 0 && pmmioinfo->fccIOProc != FOURCC_DOS)))
        return FailOpen(pmmioinfo, MMSYSERR_INVALPARAM);  // no installable I/O procedures here
    if (pszFileName == nullptr) return FailOpen(pmmioinfo, MMIOERR_FILENOTFOUND);
    if (file->mode != MMIO_READ) return FailOpen(pmmioinfo, MMIOERR_CANNOTWRITE);

    int fd = ::open(pszFileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FailOpen(pmmioinfo, errno == ENOENT ? MMIOERR_FILENOTFOUND : MMIOERR_CANNOTOPEN);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FailOpen(pmmioinfo, MMIOERR_CANNOTOPEN);
    }
    file->fd = fd;
    file->fccIOProc = FOURCC_DOS;
    // Positions are 32-bit LONGs: a file beyond 2 GB is read as far as they reach.
    file->size = std::min<int64_t>(st.st_size, INT32_MAX);
    if (fdwOpen & MMIO_ALLOCBUF) {
        LONG want = (pmmioinfo != nullptr && pmmioinfo->cchBuffer > 0) ? pmmioinfo->cchBuffer : MMIO_DEFAULTBUFFER;
        file->buffer.resize(static_cast<size_t>(std::min(want, kMaxBuffer)));
    }
    return Register(std::move(file));
}

MMRESULT mmioClose(HMMIO hmmio, UINT) {
    std::unique_ptr<MmioFile> file;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = Files().find(hmmio);
        if (hmmio == nullptr || it == Files().end()) return MMSYSERR_INVALHANDLE;
        file = std::move(it->second);
        Files().erase(it);
    }
    // A memory file's block stays the caller's.
    if (file->fd >= 0 && ::close(file->fd) != 0) return MMIOERR_CANNOTCLOSE;
    return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO hmmio, HPSTR pch, LONG cch) {
    std::lock_guard<std::mutex> lock(g_mutex);
    MmioFile* f = Lookup(hmmio);
    if (f == nullptr || cch < 0 || !CanRead(*f)) return -1;
    if (cch == 0) return 0;
    if (pch == nullptr) return -1;
    return static_cast<LONG>(ReadAt(*f, pch, cch));
}

LONG mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin) {
    std::lock_guard<std::mutex> lock(g_mutex);
    MmioFile* f = Lookup(hmmio);
    if (f == nullptr) return -1;
    int64_t base;
    switch (iOrigin) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = f->pos; break;
        case SEEK_END: base = f->size; break;
        default: return -1;
    }
    int64_t at = base + lOffset;
    if (at < 0 || at > f->size) return -1;
    f->pos = at;
    return static_cast<LONG>(at);
}

MMRESULT mmioDescend(HMMIO hmmio, LPMMCKINFO pmmcki, LPCMMCKINFO pmmckiParent, UINT fuDescend) {
    std::lock_guard<std::mutex> lock(g_mutex);
    MmioFile* f = Lookup(hmmio);
    if (f == nullptr) return MMSYSERR_INVALHANDLE;
    if (pmmcki == nullptr) return MMSYSERR_INVALPARAM;
    const UINT find = fuDescend & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST);
    if ((fuDescend & ~find) != 0 || (find & (find - 1)) != 0) return MMSYSERR_INVALFLAG;
    if (!CanRead(*f)) return MMIOERR_CANNOTREAD;

    // The search ends at the parent's end, and never beyond the file's.
    int64_t limit = f->size;
    if (pmmckiParent != nullptr) {
        int64_t parentEnd = static_cast<int64_t>(pmmckiParent->dwDataOffset) + pmmckiParent->cksize;
        limit = std::min(limit, parentEnd);
    }
    const int64_t start = f->pos;
    FOURCC wantId = pmmcki->ckid;
    FOURCC wantType = pmmcki->fccType;
    if (find == MMIO_FINDRIFF) wantId = FOURCC_RIFF;
    if (find == MMIO_FINDLIST) wantId = FOURCC_LIST;

    int64_t at = start;
    for (;;) {
        FOURCC id;
        DWORD size;
        if (!ReadHeader(*f, at, limit, &id, &size)) break;
        const int64_t body = at + 8;
        const bool isForm = id == FOURCC_RIFF || id == FOURCC_LIST;
        FOURCC type = 0;
        bool haveType = isForm && ReadType(*f, body, limit, &type);
        bool match;
        if (find == 0) {
            match = !isForm || haveType;
        } else if (find == MMIO_FINDCHUNK) {
            match = id == wantId && (!isForm || haveType);
        } else {
            match = id == wantId && haveType && type == wantType;
        }
        if (match) {
            pmmcki->ckid = id;
            pmmcki->cksize = size;
            pmmcki->fccType = isForm ? type : 0;
            pmmcki->dwDataOffset = static_cast<DWORD>(body);
            pmmcki->dwFlags = 0;
            f->pos = isForm ? body + 4 : body;
            return MMSYSERR_NOERROR;
        }
        if (find == 0) break;
        // Over the body and its pad byte; 64-bit, so the walk always moves forward.
        at = body + size + (size & 1);
    }
    f->pos = start;
    return MMIOERR_CHUNKNOTFOUND;
}

MMRESULT mmioAscend(HMMIO hmmio, LPMMCKINFO pmmcki, UINT fuAscend) {
    std::lock_guard<std::mutex> lock(g_mutex);
    MmioFile* f = Lookup(hmmio);
    if (f == nullptr) return MMSYSERR_INVALHANDLE;
    if (pmmcki == nullptr) return MMSYSERR_INVALPARAM;
    if (fuAscend != 0) return MMSYSERR_INVALFLAG;
    const int64_t end = static_cast<int64_t>(pmmcki->dwDataOffset) + pmmcki->cksize;
    // A chunk that runs past the end of the file cannot be left; the missing pad byte of a last,
    // odd-sized chunk is forgiven.
    if (end > f->size) {
        f->pos = f->size;
        return MMIOERR_CANNOTSEEK;
    }
    f->pos = std::min(end + (pmmcki->cksize & 1), f->size);
    return MMSYSERR_NOERROR;
}

MMRESULT mmioGetInfo(HMMIO hmmio, LPMMIOINFO pmmioinfo, UINT fuInfo) {
    std::lock_guard<std::mutex> lock(g_mutex);
    MmioFile* f = Lookup(hmmio);
    if (f == nullptr) return MMSYSERR_INVALHANDLE;
    if (pmmioinfo == nullptr) return MMSYSERR_INVALPARAM;
    if (fuInfo != 0) return MMSYSERR_INVALFLAG;
    if (!f->memory && !f->buffer.empty() && !(f->pos >= f->bufStart && f->pos <= f->bufStart + f->bufLen)) {
        // The position has moved away from the buffer: start an empty one there.
        f->bufStart = f->pos;
        f->bufLen = 0;
    }
    DescribeBuffer(*f, hmmio, pmmioinfo);
    return MMSYSERR_NOERROR;
}

MMRESULT mmioSetInfo(HMMIO hmmio, LPCMMIOINFO pmmioinfo, UINT fuInfo) {
    std::lock_guard<std::mutex> lock(g_mutex);
    MmioFile* f = Lookup(hmmio);
    if (f == nullptr) return MMSYSERR_INVALHANDLE;
    if (pmmioinfo == nullptr) return MMSYSERR_INVALPARAM;
    if (fuInfo != 0) return MMSYSERR_INVALFLAG;
    int64_t at;
    if (!PositionFromInfo(*f, pmmioinfo, &at)) return MMSYSERR_INVALPARAM;
    f->pos = at;
    return MMSYSERR_NOERROR;
}

MMRESULT mmioAdvance(HMMIO hmmio, LPMMIOINFO pmmioinfo, UINT fuAdvance) {
    std::lock_guard<std::mutex> lock(g_mutex);
    MmioFile* f = Lookup(hmmio);
    if (f == nullptr) return MMSYSERR_INVALHANDLE;
    if (pmmioinfo == nullptr) return MMSYSERR_INVALPARAM;
    if (fuAdvance != MMIO_READ) return fuAdvance == MMIO_WRITE ? MMIOERR_CANNOTWRITE : MMSYSERR_INVALFLAG;
    if (!CanRead(*f)) return MMIOERR_CANNOTREAD;
    if (!f->memory && f->buffer.empty()) return MMIOERR_UNBUFFERED;
    int64_t at;
    if (!PositionFromInfo(*f, pmmioinfo, &at)) return MMSYSERR_INVALPARAM;
    f->pos = at;
    // A memory file is all in its buffer already; a disk file's buffer is loaded from the position on.
    if (!f->memory && !Fill(*f, at)) {
        DescribeBuffer(*f, hmmio, pmmioinfo);
        return MMIOERR_CANNOTREAD;
    }
    DescribeBuffer(*f, hmmio, pmmioinfo);
    return MMSYSERR_NOERROR;
}
