// The stage timeline as data: for particular frame numbers, which spawners run, in which order and
// with which arguments.
#pragma once

namespace stage {

enum ESpawner {
    NONE,  // ends a row's list of calls
    A1, A2, B1, B2, C_LEFT, C_RIGHT, D1, D2, E, F1, F2, G, H_LEFT, H_RIGHT, I, MIDBOSS1, MIDBOSS2, BOSS
};

// One spawner call. nRandom > 0: the position is drawn as rand() % nRandom just before the call
// (nPos is then unused). nDrop is the mid-bosses' second argument.
struct SCall {
    ESpawner spawner = NONE;
    int nPos = 0;
    int nRandom = 0;
    int nDrop = 0;
};

const int MAX_ROW_FRAMES = 8;
const int MAX_ROW_CALLS = 8;

// Every frame number of a row runs the same calls. Unused frame entries are 0, unused calls NONE.
struct SRow {
    int nFrames[MAX_ROW_FRAMES];
    SCall calls[MAX_ROW_CALLS];
};

extern const SRow SCRIPT[];
extern const int ROW_COUNT;

}  // namespace stage
