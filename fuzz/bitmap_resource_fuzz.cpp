// LoadImageA's resource road on damaged bitmap resources (a DIB without its file header): the input
// is the data of a test resource (an exact-size heap copy, bounded by SizeofResource). Whatever loads
// must be whole, draw inside its destination and be freed; the game's own road, a picture surface
// with its colour key, must take it or refuse it cleanly.
#include <unistd.h>

#include <cstring>

#include "fuzz/bitmap_check.h"
#include "game/BitmapSurface.h"
#include "platform/resources.h"

namespace {

using fuzz_bitmap::Check;

IDirectDraw* DirectDraw() {
    static IDirectDraw* pDD = [] {
        // An empty working directory: a refused resource falls back to a file of that name, and
        // there must be none.
        static char dir[] = "/tmp/tesselor-bitmap-res-fuzz-XXXXXX";
        Check(mkdtemp(dir) != nullptr && chdir(dir) == 0);
        std::atexit([] {
            if (chdir("/") == 0) rmdir(dir);
        });
        IDirectDraw* p = nullptr;
        Check(DirectDrawCreate(nullptr, &p, nullptr) == DD_OK && p != nullptr);
        return p;
    }();
    return pDD;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    IDirectDraw* pDD = DirectDraw();
    std::unique_ptr<BYTE[]> dib(new BYTE[size ? size : 1]);
    if (size) std::memcpy(dib.get(), data, size);
    const ResourceEntry table[] = {{RT_BITMAP, "FUZZ", dib.get(), static_cast<DWORD>(size)}};
    resources::SetTableForTesting(table, 1);
    const int nLive = gdi_internal::LiveObjectCount();

    HANDLE h = LoadImageA(GetModuleHandleA(nullptr), "FUZZ", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (h != nullptr) fuzz_bitmap::CheckAndDelete(static_cast<HBITMAP>(h), 0, 0);
    h = LoadImageA(GetModuleHandleA(nullptr), "FUZZ", IMAGE_BITMAP, 5, 11, LR_CREATEDIBSECTION);
    if (h != nullptr) fuzz_bitmap::CheckAndDelete(static_cast<HBITMAP>(h), 5, 11);

    IDirectDrawSurface* pdds = LoadBitmapSurface(pDD, "FUZZ", 0, 0);
    if (pdds != nullptr) {
        SetSurfaceColorKey(pdds, SPRITE_COLOR_KEY);
        Check(ReloadBitmapSurface(pdds, "FUZZ") == DD_OK);
        pdds->Release();
    }

    Check(gdi_internal::LiveObjectCount() == nLive);
    resources::SetTableForTesting(nullptr, 0);
    return 0;
}
