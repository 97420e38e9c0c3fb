// The scenery behind the game: the cloud sea (stage 1) that gives way to the city (stage 2).
#pragma once

#include "game/Sprite.h"
#include "game/SpriteSlot.h"

class CBackground {
public:
    CBackground(IDirectDrawSurface* pBack, IDirectDrawSurface* pBG00, IDirectDrawSurface* pBG01);
    // Destroys every sprite the background still holds.
    ~CBackground();

    void CreateStage1();
    void CreateStage2();
    void Update(int nStage);
    void ScrollStage1(int nStage);
    void ScrollStage2(int nStage);
    void DestroyStage2();

    IDirectDrawSurface* m_pddsBack;
    IDirectDrawSurface* m_pddsBG00;
    IDirectDrawSurface* m_pddsBG01;
    CSprite* m_pCloudTiles[3];
    CSprite* m_pCloudEnd;
    CSprite* m_pCloudLeft;
    CSprite* m_pCloudPuffs[2];
    CSprite* m_pCloudRight;
    CSprite* m_pCityStrip;

private:
    CBackground(const CBackground&) = delete;
    CBackground& operator=(const CBackground&) = delete;
};
