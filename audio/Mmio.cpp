#include "audio/mmio.h"

// The owner closes the handle; the wrapper leaves it open.
CMmio::~CMmio() {}

void CMmio::Open(LPMMIOINFO pInfo) { m_hmmio = mmioOpenA(nullptr, pInfo, MMIO_READWRITE); }

void CMmio::Open(LPCSTR pszFileName, DWORD dwOpenFlags) {
    ASSERT(AfxIsValidString(pszFileName));
    m_hmmio = mmioOpenA(pszFileName, nullptr, dwOpenFlags);
}
