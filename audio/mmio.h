// A thin layer over the multimedia file calls: chunk descriptors made from four characters, a
// descriptor that makes a block of memory readable as a file, and a wrapper of one file handle.
// The wrapper never closes its handle: whoever opened it closes it with mmioClose.
#pragma once

#include "platform/afx_core.h"
#include "platform/winmm_mmio.h"

// A chunk as mmioDescend fills it. The constructor sets nothing.
class CMmioChunk : public MMCKINFO {
public:
    CMmioChunk() {}
};

// Names a chunk to find with MMIO_FINDCHUNK: ckid from four characters (the first in the lowest byte).
class CMmioChunkId : public CMmioChunk {
public:
    CMmioChunkId(char c0, char c1, char c2, char c3) { ckid = mmioFOURCC(c0, c1, c2, c3); }
};

// Names a RIFF form type to find with MMIO_FINDRIFF.
class CMmioFormType : public CMmioChunk {
public:
    CMmioFormType(char c0, char c1, char c2, char c3) { fccType = mmioFOURCC(c0, c1, c2, c3); }
};

// File state with every field 0.
class CMmioInfo : public MMIOINFO {
public:
    CMmioInfo() : MMIOINFO() {}
};

// Describes a memory file over the caller's block (which must outlive the open handle).
// An expansion step of 0 gives a file of fixed size: reads stop at the end of the block.
class CMmioMemInfo : public CMmioInfo {
public:
    CMmioMemInfo(void* pBuffer, LONG cchBuffer, DWORD dwExpandStep) {
        pIOProc = nullptr;
        fccIOProc = FOURCC_MEM;
        pchBuffer = static_cast<HPSTR>(pBuffer);
        this->cchBuffer = cchBuffer;
        adwInfo[0] = dwExpandStep;
    }
};

// One multimedia file handle; m_hmmio is NULL when the open failed.
class CMmio : public CObject {
public:
    CMmio() {}
    explicit CMmio(LPMMIOINFO pInfo) { Open(pInfo); }
    ~CMmio() override;

    void Open(LPMMIOINFO pInfo);
    void Open(LPCSTR pszFileName, DWORD dwOpenFlags);

    LONG Read(HPSTR pch, LONG cch) {
        ASSERT(m_hmmio != nullptr);
        return mmioRead(m_hmmio, pch, cch);
    }
    MMRESULT Ascend(LPMMCKINFO pck, UINT wFlags) {
        ASSERT(m_hmmio != nullptr);
        return mmioAscend(m_hmmio, pck, wFlags);
    }
    MMRESULT Descend(LPMMCKINFO pck, UINT wFlags) {
        ASSERT(m_hmmio != nullptr);
        return mmioDescend(m_hmmio, pck, nullptr, wFlags);
    }
    MMRESULT Descend(LPMMCKINFO pck, const MMCKINFO* pckParent, UINT wFlags) {
        ASSERT(m_hmmio != nullptr);
        return mmioDescend(m_hmmio, pck, pckParent, wFlags);
    }

    HMMIO m_hmmio = nullptr;
};
