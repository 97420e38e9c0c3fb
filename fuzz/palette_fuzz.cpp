// LoadBitmapPalette on damaged palette pictures, on both of its roads: a bitmap resource "sky.bmp"
// (the input as its data, an exact-size heap copy) and, with no such resource, a file "sky.bmp" in
// the working directory (the input as its bytes). Either way the palette is made, its entries are
// the picture's table as far as the data really holds it, and the colour ramp for the rest.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "game/BitmapSurface.h"
#include "platform/gdi.h"
#include "platform/resources.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

IDirectDraw* DirectDraw() {
    static IDirectDraw* pDD = [] {
        static char dir[] = "/tmp/tesselor-palette-fuzz-XXXXXX";
        Check(mkdtemp(dir) != nullptr && chdir(dir) == 0);
        std::atexit([] {
            std::remove("sky.bmp");
            if (chdir("/") == 0) rmdir(dir);
        });
        IDirectDraw* p = nullptr;
        Check(DirectDrawCreate(nullptr, &p, nullptr) == DD_OK && p != nullptr);
        return p;
    }();
    return pDD;
}

DWORD Rd16(const BYTE* p) { return DWORD(p[0]) | (DWORD(p[1]) << 8); }
DWORD Rd32(const BYTE* p) { return Rd16(p) | (Rd16(p + 2) << 16); }

// The 3-3-2 ramp every entry starts as.
void Ramp(PALETTEENTRY* ape) {
    for (int i = 0; i < 256; ++i) {
        ape[i].peRed = static_cast<BYTE>(((i >> 5) & 7) * 255 / 7);
        ape[i].peGreen = static_cast<BYTE>(((i >> 2) & 7) * 255 / 7);
        ape[i].peBlue = static_cast<BYTE>((i & 3) * 255 / 3);
        ape[i].peFlags = 0;
    }
}

// Entries the header's bit count and colour count ask for (at most 256).
int TableCount(const BYTE* info) {
    const DWORD bits = Rd16(info + 14);
    if (bits > 8) return 0;
    const int32_t used = static_cast<int32_t>(Rd32(info + 32));
    const int32_t n = used != 0 ? used : (1 << bits);
    return n <= 0 ? 0 : (n > 256 ? 256 : n);
}

void ExpectPalette(IDirectDrawPalette* pal, const PALETTEENTRY* want) {
    Check(pal != nullptr);
    PALETTEENTRY got[256];
    Check(pal->GetEntries(0, 0, 256, got) == DD_OK);
    for (int i = 0; i < 256; ++i)
        Check(got[i].peRed == want[i].peRed && got[i].peGreen == want[i].peGreen && got[i].peBlue == want[i].peBlue);
    pal->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    IDirectDraw* pDD = DirectDraw();
    std::unique_ptr<BYTE[]> bytes(new BYTE[size ? size : 1]);
    if (size) std::memcpy(bytes.get(), data, size);

    // The resource road: a DIB, its table right after its header, no entry taken past its end.
    {
        const ResourceEntry table[] = {{RT_BITMAP, "sky.bmp", bytes.get(), static_cast<DWORD>(size)}};
        resources::SetTableForTesting(table, 1);
        PALETTEENTRY want[256];
        Ramp(want);
        if (size >= 40 && Rd32(data) >= 40) {
            const DWORD biSize = Rd32(data);
            const size_t room = biSize <= size ? (size - biSize) / 4 : 0;
            const int n = static_cast<int>(std::min<size_t>(TableCount(data), room));
            for (int i = 0; i < n; ++i) {
                want[i].peBlue = data[biSize + 4 * i];
                want[i].peGreen = data[biSize + 4 * i + 1];
                want[i].peRed = data[biSize + 4 * i + 2];
            }
        }
        ExpectPalette(LoadBitmapPalette(pDD, "sky.bmp"), want);
    }

    // The file road: file header, info header and 256 entries read in a row, as far as the file goes.
    {
        static const ResourceEntry s_none[1] = {};
        resources::SetTableForTesting(s_none, 0);
        std::FILE* f = std::fopen("sky.bmp", "wb");
        Check(f != nullptr);
        Check(size == 0 || std::fwrite(data, 1, size, f) == size);
        std::fclose(f);

        BYTE head[14 + 40] = {};
        PALETTEENTRY want[256];
        Ramp(want);
        std::memcpy(head, data, std::min<size_t>(size, sizeof(head)));
        if (size > sizeof(head))
            std::memcpy(want, data + sizeof(head), std::min<size_t>(size - sizeof(head), sizeof(want)));
        const int n = Rd32(head + 14) == 40 ? TableCount(head + 14) : 0;
        for (int i = 0; i < n; ++i) std::swap(want[i].peRed, want[i].peBlue);
        ExpectPalette(LoadBitmapPalette(pDD, "sky.bmp"), want);
    }

    resources::SetTableForTesting(nullptr, 0);
    return 0;
}
