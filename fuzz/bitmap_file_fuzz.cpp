// The bitmap reader behind LoadImageA's file road on damaged bitmap files: the input is the file
// image (an exact-size heap copy). Whatever loads must be whole, draw inside its destination, and be
// freed; every 16th input also goes through a real file, which must load the same way.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz/bitmap_check.h"

namespace {

using fuzz_bitmap::Check;

// A scratch directory for the file road, removed when the run ends.
const std::string& ScratchFile() {
    static const std::string path = [] {
        static char dir[] = "/tmp/tesselor-bitmap-fuzz-XXXXXX";
        Check(mkdtemp(dir) != nullptr);
        static std::string file = std::string(dir) + "/picture.bmp";
        std::atexit([] {
            std::remove(file.c_str());
            rmdir(dir);
        });
        return file;
    }();
    return path;
}

bool SameSize(HBITMAP a, HBITMAP b) {
    BITMAP ba{}, bb{};
    GetObjectA(a, sizeof(ba), &ba);
    GetObjectA(b, sizeof(bb), &bb);
    return ba.bmWidth == bb.bmWidth && ba.bmHeight == bb.bmHeight && ba.bmBitsPixel == bb.bmBitsPixel &&
           std::memcmp(ba.bmBits, bb.bmBits, size_t(ba.bmWidthBytes) * size_t(ba.bmHeight)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static unsigned s_nInput = 0;
    std::unique_ptr<BYTE[]> image(new BYTE[size ? size : 1]);
    if (size) std::memcpy(image.get(), data, size);
    const int nLive = gdi_internal::LiveObjectCount();

    HANDLE h = gdi_internal::LoadBitmapFileImage(image.get(), size, 0, 0);
    if ((s_nInput++ & 15) == 0) {
        const std::string& path = ScratchFile();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        Check(f != nullptr);
        Check(size == 0 || std::fwrite(image.get(), 1, size, f) == size);
        std::fclose(f);
        HANDLE hFile = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
        Check((h == nullptr) == (hFile == nullptr));
        if (hFile != nullptr) {
            Check(SameSize(static_cast<HBITMAP>(h), static_cast<HBITMAP>(hFile)));
            Check(DeleteObject(static_cast<HBITMAP>(hFile)) == TRUE);
        }
    }
    if (h != nullptr) fuzz_bitmap::CheckAndDelete(static_cast<HBITMAP>(h), 0, 0);

    // Scaled on the way in, as a caller asking for a size gets it.
    h = gdi_internal::LoadBitmapFileImage(image.get(), size, 13, 7);
    if (h != nullptr) fuzz_bitmap::CheckAndDelete(static_cast<HBITMAP>(h), 13, 7);

    Check(gdi_internal::LiveObjectCount() == nLive);
    return 0;
}
