// soundgen <outdir>: writes hit.wav and explosion.wav, the game's two sound effects.
#include <cstdio>
#include <string>

#include "tools/soundgen/Sounds.h"
#include "tools/soundgen/WaveFile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: soundgen <outdir>\n");
        return 2;
    }
    std::string dir = argv[1];
    struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } files[] = {
        {"hit.wav", BuildWave8(MakeHit(), HIT_RATE)},
        {"explosion.wav", BuildWave16(MakeExplosion(), EXPLOSION_RATE)},
    };
    for (const auto& f : files) {
        std::string path = dir + "/" + f.name;
        if (!WriteFileBytes(path, f.bytes)) {
            std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
