// Placeholder until the display is built: there is no display.
#include "platform/ddraw.h"

HRESULT DirectDrawCreate(GUID*, IDirectDraw** lplpDD, IUnknown*) {
    if (lplpDD) *lplpDD = nullptr;
    return DDERR_NODIRECTDRAWHW;
}
