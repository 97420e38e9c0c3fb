// Placeholder until the scrolling background is built.
#include "game/Background.h"

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

CBackground::~CBackground() = default;
void CBackground::CreateStage1() {}
void CBackground::CreateStage2() {}
void CBackground::Update(int) {}
void CBackground::ScrollStage1(int) {}
void CBackground::ScrollStage2(int) {}
void CBackground::DestroyStage2() {}
