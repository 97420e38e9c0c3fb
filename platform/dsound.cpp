// Placeholder until sound is built: there is no sound device.
#include "platform/dsound.h"

HRESULT DirectSoundCreate(GUID*, IDirectSound** ppDS, IUnknown*) {
    if (ppDS) *ppDS = nullptr;
    return DSERR_NODRIVER;
}
