// A background over synthetic BG00/BG01 pictures on in-memory surfaces, and the expected scenery of
// every frame of play worked out from the layer timings, for exact checks of draws and pixels.
#pragma once

#include <ostream>
#include <vector>

#include "game/Background.h"
#include "platform/screen.h"
#include "tests/support/memory_surface.h"

namespace bgtest {

const BYTE KEY = 255;      // the pictures' colour key
const BYTE SENTINEL = 0;   // back-buffer value before the background draws; no picture uses it

// The synthetic pictures. Every layer has its own range of values that also encodes the source row
// (and column), and key pixels where the real pictures have them.
BYTE Bg00Value(int x, int row);
BYTE Bg01Value(int x, int row);
bool IsCityValue(BYTE v);       // 1..60
bool IsEdgeValue(BYTE v);       // 61..90
bool IsCloudSeaValue(BYTE v);   // 100..199
bool IsStage2Value(BYTE v);     // city or a BG01 cloud (200..239)

enum class ELayer { City, Puff, Left, Right, Edge, Tile };

// One layer drawn in one frame: which, and the sprite position it was drawn at.
struct Drawn {
    ELayer layer;
    int x;
    int y;
    bool operator==(const Drawn& o) const { return layer == o.layer && x == o.x && y == o.y; }
};
void PrintTo(const Drawn& d, std::ostream* os);

struct CScene {
    CMemorySurface back{SCREEN_WIDTH, SCREEN_HEIGHT, SENTINEL};
    CMemorySurface bg00{SCREEN_WIDTH, SCREEN_HEIGHT};
    CMemorySurface bg01{SCREEN_WIDTH, SCREEN_HEIGHT};
    CBackground* pBackground = nullptr;

    CScene();
    ~CScene();
    CScene(const CScene&) = delete;
    CScene& operator=(const CScene&) = delete;

    // One frame of play with the stage of the frame clock (frame 1 is the first frame of play).
    void RunFrame(int nFrame);
    // One Update with the given stage; the back buffer is reset to SENTINEL first when copying.
    void Update(int nStage);
    // Runs frames nFirst..nLast with pixel copying off.
    void RunFramesFast(int nFirst, int nLast);
    // The layers drawn by the last Update, in drawing order, read back from the BltFast log.
    std::vector<Drawn> Decode() const;
    bool m_bCopy = true;
};

// The layers that frame nFrame of a game draws, in drawing order, when the background is updated
// in every frame of play from frame 1.
std::vector<Drawn> ExpectedFrame(int nFrame);
// The y at which a layer is drawn in the k-th frame of its run (k = 1 is its first frame): it starts
// at nStartY, moves one pixel every nMoveEvery frames, is drawn once at nLastY and then starts again
// from nResetY.
int LayerY(int nStartY, int nLastY, int nResetY, int nMoveEvery, int k);
// The screen that the given draws make over a SENTINEL back buffer, pixel by pixel.
std::vector<BYTE> Compose(const std::vector<Drawn>& draws);

}  // namespace bgtest
