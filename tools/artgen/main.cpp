// artgen: draws every picture of the game and writes them as the game loads them.
//
//   artgen <outdir>                        BG00.bmp BG01.bmp SPR.bmp TITLE.bmp END.bmp sky.bmp tesselor.ico
//   artgen --contact-sheet <file.png|.bmp> the sprite sheet enlarged, every rectangle outlined and named
//
// The output is the same, bit for bit, on every run.
#include <cstdio>
#include <cstring>
#include <string>

#include "Icon.h"
#include "ImageFiles.h"
#include "Pictures.h"
#include "Quantiser.h"
#include "game/PictureLayout.h"
#include "platform/screen.h"

namespace {

struct SPictures {
    CCanvas bg00, bg01, spr, title, end;
    Palette pal{};
};

SPictures DrawAll(const CFontFace& font) {
    SPictures p;
    p.bg00 = BuildBackground00();
    p.bg01 = BuildBackground01();
    p.spr = BuildSpriteSheet(font);
    p.title = BuildTitle(font);
    p.end = BuildEnd(font);
    // the sprites are few pixels but matter most; the backgrounds are many pixels of few colours
    p.pal = BuildSharedPalette({{&p.bg00, 1}, {&p.bg01, 1}, {&p.spr, 8}, {&p.title, 1}, {&p.end, 1}});
    return p;
}

bool EndsWith(const std::string& s, const char* suffix) {
    size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

int WriteContactSheet(const CFontFace& font, const std::string& path) {
    SPictures p = DrawAll(font);
    Palette sprPal = p.pal;
    sprPal[PAL_GREY] = GREY_SPRITES;
    CCanvas sheet = IndexedToCanvas(MapToPalette(p.spr, p.pal), sprPal);
    // key pixels show in the key colour
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x)
            if (!sheet.IsOpaque(x, y)) sheet.Set(x, y, KEY_COLOR);
    CCanvas contact = BuildContactSheet(sheet, font);
    bool bOk = WriteFileBytes(path, EndsWith(path, ".bmp") ? EncodeBmp24(contact) : EncodePng(contact));
    if (!bOk) std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
    return bOk ? 0 : 1;
}

int WriteGameFiles(const CFontFace& font, const std::string& dir) {
    SPictures p = DrawAll(font);
    Palette sprPal = p.pal;
    sprPal[PAL_GREY] = GREY_SPRITES;
    SIndexedImage bg00 = MapToPalette(p.bg00, p.pal);
    struct SOut {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    // the palette file: the shared table over the cloud sea, twice
    SIndexedImage sky = bg00;
    const SCutRect& tile = BG00_CLOUD_TILE;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            sky.aIndex[size_t(y) * SCREEN_WIDTH + x] =
                bg00.aIndex[size_t(tile.top + y % tile.Height()) * SCREEN_WIDTH + x];
    const SOut outs[] = {
        {"BG00.bmp", EncodeBmp8(bg00, p.pal, 256)},
        {"BG01.bmp", EncodeBmp8(MapToPalette(p.bg01, p.pal), p.pal, 0)},
        {"SPR.bmp", EncodeBmp8(MapToPalette(p.spr, p.pal), sprPal, 256)},
        {"TITLE.bmp", EncodeBmp8(MapToPalette(p.title, p.pal), p.pal, 256)},
        {"END.bmp", EncodeBmp8(MapToPalette(p.end, p.pal), p.pal, 256)},
        {"sky.bmp", EncodeBmp8(sky, p.pal, 256)},
        {"tesselor.ico", BuildIconFile()},
    };
    for (const SOut& o : outs) {
        std::string path = dir + "/" + o.name;
        if (!WriteFileBytes(path, o.bytes)) {
            std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool bContact = argc == 3 && std::strcmp(argv[1], "--contact-sheet") == 0;
    if (!(argc == 2 && argv[1][0] != '-') && !bContact) {
        std::fprintf(stderr, "usage: artgen <outdir>\n       artgen --contact-sheet <file.png|file.bmp>\n");
        return 2;
    }
    CFontFace font;
    if (!font.IsOpen()) {
        std::fprintf(stderr, "artgen: the font %s is missing (Debian package fonts-dejavu-core)\n", DEFAULT_FONT_PATH);
        return 1;
    }
    return bContact ? WriteContactSheet(font, argv[2]) : WriteGameFiles(font, argv[1]);
}
