// The scenery behind the game. Stage 1 is an endless cloud sea of three tiles that scrolls down one
// pixel per frame. From stage 4 the tiles stop renewing themselves, the ragged upper edge of the
// sea comes down the screen and uncovers stage 2: the city, scrolling slowly, with clouds over it.
#include "game/Background.h"

#include "platform/screen.h"

namespace {

// Where each layer starts.
const int TILE_START_Y[3] = {-239, 0, 240};
const int CLOUD_END_START_Y = -122;
const int CITY_START_Y = -119;
const int CLOUD_LEFT_START_X = 0;
const int CLOUD_LEFT_START_Y = -1000;
const int PUFF_START_X[2] = {50, 300};
const int PUFF_START_Y[2] = {-300, -600};
const int CLOUD_RIGHT_START_X = 412;
const int CLOUD_RIGHT_START_Y = -500;

// Stage 1 runs until this stage number; in it the edge comes down and the tiles stay put.
const int PASSAGE_STAGE = 4;

// A tile that has reached the bottom row jumps back to the top (stage 1) or rests there.
const int TILE_LAST_Y = SCREEN_HEIGHT - 1;
const int TILE_RESET_Y = -239;
// Once the edge is off the screen the cloud sea is gone.
const int CLOUD_END_GONE_Y = SCREEN_HEIGHT;

const int CITY_HEIGHT = BG00_CITY_STRIP.Height();
const int CITY_COPIES = 5;
const int CITY_LAST_Y = 0;
const int CITY_RESET_Y = -119;
const int CITY_MOVE_TICK = 3;  // the city moves one pixel in every third frame

const int PUFF_LAST_Y = SCREEN_HEIGHT;
const int PUFF_RESET_Y = -200;
const int PUFF_MOVE_TICK = 2;  // the puffs move one pixel in every second frame

// The side clouds are drawn once just below the screen before they start again above it (the left
// one just above).
const int CLOUD_LEFT_LAST_Y = SCREEN_HEIGHT;
const int CLOUD_LEFT_RESET_Y = -BG01_CLOUD_LEFT.Height();
const int CLOUD_RIGHT_LAST_Y = SCREEN_HEIGHT;
const int CLOUD_RIGHT_RESET_Y = -300;

// Moves a slow layer one pixel every nMoveTick frames, or jumps it back once it has been drawn at
// nLastY. A jump takes the place of that frame's move and leaves the tick as it is.
void StepSlowLayer(CSprite* pSprite, int nLastY, int nResetY, int nMoveTick) {
    if (pSprite->GetY() == nLastY) {
        pSprite->SetY(nResetY);
        return;
    }
    if (pSprite->m_nTick == nMoveTick) {
        pSprite->OffsetY(1);
        pSprite->m_nTick = 0;
    }
    ++pSprite->m_nTick;
}

// Moves a layer one pixel every frame, or jumps it back once it has been drawn at nLastY.
void StepFastLayer(CSprite* pSprite, int nLastY, int nResetY) {
    if (pSprite->GetY() == nLastY)
        pSprite->SetY(nResetY);
    else
        pSprite->OffsetY(1);
}

}  // namespace

CBackground::CBackground(IDirectDrawSurface* pBack, IDirectDrawSurface* pBG00, IDirectDrawSurface* pBG01)
    : m_pddsBack(pBack),
      m_pddsBG00(pBG00),
      m_pddsBG01(pBG01),
      m_pCloudTiles{},
      m_pCloudEnd(nullptr),
      m_pCloudLeft(nullptr),
      m_pCloudPuffs{},
      m_pCloudRight(nullptr),
      m_pCityStrip(nullptr) {}

CBackground::~CBackground() {
    for (CSprite*& pTile : m_pCloudTiles) DestroySprite(pTile);
    DestroySprite(m_pCloudEnd);
    DestroyStage2();
}

void CBackground::CreateStage1() {
    for (int i = 0; i < 3; ++i)
        m_pCloudTiles[i] = new CSprite(m_pddsBack, m_pddsBG00, ToRect(BG00_CLOUD_TILE), 0, TILE_START_Y[i]);
    m_pCloudEnd = new CSprite(m_pddsBack, m_pddsBG00, ToRect(BG00_CLOUD_END), 0, CLOUD_END_START_Y);
}

void CBackground::CreateStage2() {
    m_pCityStrip = new CSprite(m_pddsBack, m_pddsBG00, ToRect(BG00_CITY_STRIP), 0, CITY_START_Y);
    m_pCityStrip->m_nTick = 1;
    m_pCloudLeft =
        new CSprite(m_pddsBack, m_pddsBG01, ToRect(BG01_CLOUD_LEFT), CLOUD_LEFT_START_X, CLOUD_LEFT_START_Y);
    for (int i = 0; i < 2; ++i) {
        m_pCloudPuffs[i] =
            new CSprite(m_pddsBack, m_pddsBG01, ToRect(BG01_CLOUD_PUFF), PUFF_START_X[i], PUFF_START_Y[i]);
        m_pCloudPuffs[i]->m_nTick = 1;
    }
    m_pCloudRight =
        new CSprite(m_pddsBack, m_pddsBG01, ToRect(BG01_CLOUD_RIGHT), CLOUD_RIGHT_START_X, CLOUD_RIGHT_START_Y);
}

void CBackground::Update(int nStage) {
    // The city lies under the cloud sea.
    ScrollStage2(nStage);
    ScrollStage1(nStage);
}

void CBackground::ScrollStage1(int nStage) {
    if (m_pCloudTiles[0] == nullptr) return;  // the cloud sea has passed

    // The edge comes down only during the passage itself.
    if (nStage == PASSAGE_STAGE && m_pCloudEnd != nullptr) {
        m_pCloudEnd->Draw(0);
        m_pCloudEnd->OffsetY(1);
    }

    for (CSprite* pTile : m_pCloudTiles) {
        if (pTile == nullptr) continue;
        pTile->Draw(0);
        if (pTile->GetY() == TILE_LAST_Y) {
            // Before the passage the sea renews itself; from then on the tile rests on the bottom row.
            if (nStage < PASSAGE_STAGE) pTile->SetY(TILE_RESET_Y);
        } else {
            pTile->OffsetY(1);
        }
    }

    if (m_pCloudEnd != nullptr && m_pCloudEnd->GetY() == CLOUD_END_GONE_Y) {
        for (CSprite*& pTile : m_pCloudTiles) DestroySprite(pTile);
        DestroySprite(m_pCloudEnd);
    }
}

void CBackground::ScrollStage2(int nStage) {
    if (nStage < PASSAGE_STAGE) return;
    if (m_pCityStrip == nullptr) return;  // stage 2 has been taken down

    // Five copies of the strip, 120 rows apart, cover the screen.
    const int nCityY = m_pCityStrip->GetY();
    for (int i = 0; i < CITY_COPIES; ++i) {
        m_pCityStrip->SetY(nCityY + i * CITY_HEIGHT);
        m_pCityStrip->Draw(0);
    }
    m_pCityStrip->SetY(nCityY);
    StepSlowLayer(m_pCityStrip, CITY_LAST_Y, CITY_RESET_Y, CITY_MOVE_TICK);

    for (CSprite* pPuff : m_pCloudPuffs) {
        if (pPuff == nullptr) continue;
        pPuff->Draw(0);
        StepSlowLayer(pPuff, PUFF_LAST_Y, PUFF_RESET_Y, PUFF_MOVE_TICK);
    }
    if (m_pCloudLeft != nullptr) {
        m_pCloudLeft->Draw(0);
        StepFastLayer(m_pCloudLeft, CLOUD_LEFT_LAST_Y, CLOUD_LEFT_RESET_Y);
    }
    if (m_pCloudRight != nullptr) {
        m_pCloudRight->Draw(0);
        StepFastLayer(m_pCloudRight, CLOUD_RIGHT_LAST_Y, CLOUD_RIGHT_RESET_Y);
    }
}

void CBackground::DestroyStage2() {
    DestroySprite(m_pCityStrip);
    DestroySprite(m_pCloudLeft);
    DestroySprite(m_pCloudPuffs[0]);
    DestroySprite(m_pCloudPuffs[1]);
    DestroySprite(m_pCloudRight);
}
