// The wave loader: RIFF 'WAVE' forms from this program's resources or from files, into static
// DirectSound buffers.
#include "audio/wavelib.h"

#include <cstring>

#include "platform/kernel.h"
#include "platform/resources.h"

namespace {

const FOURCC FOURCC_WAVE = mmioFOURCC('W', 'A', 'V', 'E');
const FOURCC FOURCC_FMT = mmioFOURCC('f', 'm', 't', ' ');
const FOURCC FOURCC_DATA = mmioFOURCC('d', 'a', 't', 'a');

// The resource road takes a "fmt " chunk of a WAVEFORMAT and more; the file road needs the bits too.
const DWORD MIN_RESOURCE_FMT = 14;
const DWORD MIN_FILE_FMT = 16;
// The sound layer reads the first 16 bytes of a format (a PCMWAVEFORMAT); they must lie in the image.
const DWORD PCM_FORMAT_BYTES = sizeof(PCMWAVEFORMAT);

const DWORD WAVE_BUFFER_FLAGS = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

DWORD ReadDword(const BYTE* p) {
    DWORD v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

}  // namespace

IDirectSoundBuffer* CreateWaveBuffer(IDirectSound* pDS, LPCSTR lpszName, int nSource) {
    if (pDS == nullptr) return nullptr;

    DSBUFFERDESC dsbd;
    std::memset(&dsbd, 0, sizeof(dsbd));
    LPBYTE pbData = nullptr;
    if (GetWaveData(lpszName, &dsbd.lpwfxFormat, &pbData, &dsbd.dwBufferBytes, nSource) != 1) return nullptr;

    dsbd.dwSize = sizeof(DSBUFFERDESC);
    dsbd.dwFlags = WAVE_BUFFER_FLAGS;

    IDirectSoundBuffer* pdsb = nullptr;
    if (pDS->CreateSoundBuffer(&dsbd, &pdsb, nullptr) != DS_OK) {
        pdsb = nullptr;
    } else if (CopyToSoundBuffer(pdsb, pbData, dsbd.dwBufferBytes) != 1) {
        pdsb->Release();
        pdsb = nullptr;
    }

    // The file road's format and sample blocks are ours; the buffer holds its own copy now.
    if (nSource == WAVE_SOURCE_FILE) {
        GlobalFree(dsbd.lpwfxFormat);
        GlobalFree(pbData);
    }
    return pdsb;
}

int GetWaveData(LPCSTR lpszName, LPWAVEFORMATEX* ppwfxFormat, LPBYTE* ppbData, DWORD* pcbData, int nSource) {
    switch (nSource) {
        case WAVE_SOURCE_FILE:
            return LoadWaveFile(lpszName, pcbData, ppwfxFormat, ppbData) == 0 ? 1 : 0;
        case WAVE_SOURCE_RESOURCE: {
            HRSRC hResInfo = FindResourceA(nullptr, lpszName, "WAVE");
            if (hResInfo == nullptr) return 0;
            HGLOBAL hResData = LoadResource(nullptr, hResInfo);
            if (hResData == nullptr) return 0;
            LPVOID pvRes = LockResource(hResData);
            if (pvRes == nullptr) return 0;
            return ParseWaveImage(pvRes, SizeofResource(nullptr, hResInfo), ppwfxFormat, ppbData, pcbData);
        }
        default:
            return 0;
    }
}

int CopyToSoundBuffer(IDirectSoundBuffer* pdsb, const BYTE* pbData, DWORD cbData) {
    LPVOID pvSpan1 = nullptr;
    LPVOID pvSpan2 = nullptr;
    DWORD cbSpan1 = 0;
    DWORD cbSpan2 = 0;
    if (pdsb->Lock(0, cbData, &pvSpan1, &cbSpan1, &pvSpan2, &cbSpan2, 0) != DS_OK) return 0;
    std::memcpy(pvSpan1, pbData, cbSpan1);
    if (cbSpan2 != 0) std::memcpy(pvSpan2, pbData + cbSpan1, cbSpan2);
    pdsb->Unlock(pvSpan1, cbSpan1, pvSpan2, cbSpan2);
    return 1;
}

int ParseWaveImage(LPVOID pvImage, DWORD cbImage, LPWAVEFORMATEX* ppwfxFormat, LPBYTE* ppbData, DWORD* pcbData) {
    if (ppwfxFormat) *ppwfxFormat = nullptr;
    if (ppbData) *ppbData = nullptr;
    if (pcbData) *pcbData = 0;

    BYTE* pbImage = static_cast<BYTE*>(pvImage);
    if (pbImage == nullptr || cbImage < 12) return 0;
    if (ReadDword(pbImage) != FOURCC_RIFF || ReadDword(pbImage + 8) != FOURCC_WAVE) return 0;

    // The walk runs to the end of the form as its RIFF size gives it, but never past the image.
    const uint64_t imageEnd = cbImage;
    const uint64_t formEnd = 8 + static_cast<uint64_t>(ReadDword(pbImage + 4));
    const uint64_t walkEnd = formEnd < imageEnd ? formEnd : imageEnd;

    uint64_t pos = 12;
    while (pos < walkEnd) {
        if (pos + 8 > imageEnd) return 0;  // a chunk header cut off by the end of the image
        const DWORD ckid = ReadDword(pbImage + pos);
        const DWORD cksize = ReadDword(pbImage + pos + 4);
        const uint64_t body = pos + 8;

        if (ckid == FOURCC_FMT && ppwfxFormat != nullptr && *ppwfxFormat == nullptr) {
            // The first "fmt " decides: one too short fails the load even if a good one follows.
            if (cksize < MIN_RESOURCE_FMT) return 0;
            if (body + PCM_FORMAT_BYTES > imageEnd) return 0;
            *ppwfxFormat = reinterpret_cast<LPWAVEFORMATEX>(pbImage + body);
            if ((ppbData == nullptr || *ppbData != nullptr) && (pcbData == nullptr || *pcbData != 0)) return 1;
        } else if (ckid == FOURCC_DATA && ((ppbData != nullptr && *ppbData == nullptr) ||
                                           (pcbData != nullptr && *pcbData == 0))) {
            // A later "data" chunk replaces an empty one met before the format.
            if (body + cksize > imageEnd) return 0;  // samples running past the end of the image
            if (ppbData) *ppbData = pbImage + body;
            if (pcbData) *pcbData = cksize;
            if (ppwfxFormat == nullptr || *ppwfxFormat != nullptr) return 1;
        }

        pos = body + cksize + (cksize & 1);
    }
    return 0;
}

MMRESULT LoadWaveFile(LPCSTR pszFileName, DWORD* pcbData, LPWAVEFORMATEX* ppwfxFormat, LPBYTE* ppbData) {
    if (pcbData == nullptr || ppwfxFormat == nullptr || ppbData == nullptr) return MMSYSERR_INVALPARAM;
    *pcbData = 0;
    *ppwfxFormat = nullptr;
    *ppbData = nullptr;

    HMMIO hmmio = nullptr;
    MMCKINFO ckRiff;
    MMCKINFO ckData;
    std::memset(&ckRiff, 0, sizeof(ckRiff));
    std::memset(&ckData, 0, sizeof(ckData));
    UINT cbRead = 0;

    MMRESULT mmr = OpenWaveFile(pszFileName, &hmmio, ppwfxFormat, &ckRiff);
    if (mmr == 0) mmr = FindWaveData(&hmmio, &ckData, &ckRiff);
    if (mmr == 0) {
        // A "data" chunk that claims more than the file holds fails here, before any allocation.
        LONG here = mmioSeek(hmmio, 0, SEEK_CUR);
        LONG end = mmioSeek(hmmio, 0, SEEK_END);
        if (here < 0 || end < 0 || mmioSeek(hmmio, here, SEEK_SET) != here) {
            mmr = MMIOERR_CANNOTSEEK;
        } else if (static_cast<int64_t>(ckData.cksize) > static_cast<int64_t>(end) - here) {
            mmr = MMIOERR_CANNOTREAD;
        }
    }
    if (mmr == 0) {
        *ppbData = static_cast<LPBYTE>(GlobalAlloc(GMEM_FIXED, ckData.cksize));
        if (*ppbData == nullptr) mmr = MMIOERR_OUTOFMEMORY;
    }
    if (mmr == 0) mmr = ReadWaveData(hmmio, ckData.cksize, *ppbData, &ckData, &cbRead);

    if (mmr != 0) {
        if (*ppbData != nullptr) GlobalFree(*ppbData);
        if (*ppwfxFormat != nullptr) GlobalFree(*ppwfxFormat);
        *ppbData = nullptr;
        *ppwfxFormat = nullptr;
        if (hmmio != nullptr) mmioClose(hmmio, 0);
        return mmr;
    }
    *pcbData = cbRead;
    mmioClose(hmmio, 0);
    return 0;
}

MMRESULT OpenWaveFile(LPCSTR pszFileName, HMMIO* phmmio, LPWAVEFORMATEX* ppwfxFormat, LPMMCKINFO pckRiff) {
    if (phmmio == nullptr || ppwfxFormat == nullptr || pckRiff == nullptr) return MMSYSERR_INVALPARAM;
    *ppwfxFormat = nullptr;
    *phmmio = nullptr;

    HMMIO hmmio = mmioOpenA(pszFileName, nullptr, MMIO_ALLOCBUF | MMIO_READ);
    if (hmmio == nullptr) return MMIOERR_CANNOTOPEN;

    MMCKINFO ckFmt;
    std::memset(&ckFmt, 0, sizeof(ckFmt));
    PCMWAVEFORMAT pcm;
    WORD cbExtra = 0;
    LPWAVEFORMATEX pwfx = nullptr;

    MMRESULT mmr = mmioDescend(hmmio, pckRiff, nullptr, 0);
    if (mmr == 0 && (pckRiff->ckid != FOURCC_RIFF || pckRiff->fccType != FOURCC_WAVE)) mmr = MMIOERR_CHUNKNOTFOUND;
    if (mmr == 0) {
        ckFmt.ckid = FOURCC_FMT;
        mmr = mmioDescend(hmmio, &ckFmt, pckRiff, MMIO_FINDCHUNK);
    }
    if (mmr == 0 && ckFmt.cksize < MIN_FILE_FMT) mmr = MMIOERR_CANNOTREAD;
    if (mmr == 0 && mmioRead(hmmio, reinterpret_cast<HPSTR>(&pcm), sizeof(pcm)) != static_cast<LONG>(sizeof(pcm)))
        mmr = MMIOERR_CANNOTREAD;
    // A format other than PCM carries a count of extra bytes after the 16 common ones.
    if (mmr == 0 && pcm.wf.wFormatTag != WAVE_FORMAT_PCM &&
        mmioRead(hmmio, reinterpret_cast<HPSTR>(&cbExtra), sizeof(cbExtra)) != static_cast<LONG>(sizeof(cbExtra)))
        mmr = MMIOERR_CANNOTREAD;
    if (mmr == 0) {
        pwfx = static_cast<LPWAVEFORMATEX>(GlobalAlloc(GMEM_FIXED, sizeof(WAVEFORMATEX) + cbExtra));
        if (pwfx == nullptr) mmr = MMIOERR_OUTOFMEMORY;
    }
    if (mmr == 0) {
        std::memcpy(pwfx, &pcm, sizeof(pcm));
        pwfx->cbSize = cbExtra;
        if (cbExtra != 0 &&
            mmioRead(hmmio, reinterpret_cast<HPSTR>(pwfx) + sizeof(WAVEFORMATEX), cbExtra) != static_cast<LONG>(cbExtra))
            mmr = MMIOERR_CANNOTREAD;
    }
    if (mmr == 0) mmr = mmioAscend(hmmio, &ckFmt, 0);

    if (mmr != 0) {
        if (pwfx != nullptr) GlobalFree(pwfx);
        mmioClose(hmmio, 0);
        return mmr;
    }
    *phmmio = hmmio;
    *ppwfxFormat = pwfx;
    return 0;
}

MMRESULT FindWaveData(HMMIO* phmmio, LPMMCKINFO pckData, LPMMCKINFO pckRiff) {
    if (phmmio == nullptr || pckData == nullptr) return MMSYSERR_INVALPARAM;
    pckData->ckid = FOURCC_DATA;
    return mmioDescend(*phmmio, pckData, pckRiff, MMIO_FINDCHUNK);
}

MMRESULT ReadWaveData(HMMIO hmmio, UINT cbRead, LPBYTE pbDest, LPMMCKINFO pckData, UINT* pcbActualRead) {
    if (pcbActualRead == nullptr || pckData == nullptr) return MMSYSERR_INVALPARAM;
    *pcbActualRead = 0;

    MMIOINFO info;
    if (mmioGetInfo(hmmio, &info, 0) != 0) return 1;

    // The chunk records what is left of it.
    UINT cbToCopy = cbRead < pckData->cksize ? cbRead : pckData->cksize;
    pckData->cksize -= cbToCopy;
    if (cbToCopy != 0 && pbDest == nullptr) return MMSYSERR_INVALPARAM;

    UINT cbDone = 0;
    while (cbDone < cbToCopy) {
        if (info.pchNext == info.pchEndRead) {
            MMRESULT mmr = mmioAdvance(hmmio, &info, MMIO_READ);
            if (mmr != 0) return mmr;
            if (info.pchNext == info.pchEndRead) return MMIOERR_CANNOTREAD;  // the file ended early
        }
        UINT cbAvail = static_cast<UINT>(info.pchEndRead - info.pchNext);
        UINT cbStep = cbAvail < cbToCopy - cbDone ? cbAvail : cbToCopy - cbDone;
        std::memcpy(pbDest + cbDone, info.pchNext, cbStep);
        info.pchNext += cbStep;
        cbDone += cbStep;
    }

    MMRESULT mmr = mmioSetInfo(hmmio, &info, 0);
    if (mmr != 0) return mmr;
    *pcbActualRead = cbToCopy;
    return 0;
}
