#include "game/Sprite.h"

#include "game/sprite_testing.h"
#include "platform/screen.h"

namespace {
// Sprites alive, for the tests (sprite_testing.h). Sprites are made and freed on the window thread
// only; the count costs one addition beside each allocation.
int g_nLiveSprites = 0;
}  // namespace

CSprite::CSprite(IDirectDrawSurface* pDest, IDirectDrawSurface* pSource, RECT rcFrame0, int x, int y)
    : m_nLastFrame(0),
      m_nFrame(0),
      m_nX(x),
      m_nY(y),
      m_nWidth(rcFrame0.right - rcFrame0.left),
      m_nHeight(rcFrame0.bottom - rcFrame0.top),
      m_pddsDest(pDest),
      m_pddsSource(pSource),
      m_rcFrame{},
      m_nHP(0),
      m_nMove(0),
      m_nFire(0),
      m_nTick(0),
      m_nDrop(0),
      m_nFirePhase(0),
      m_nAge(0),
      m_bMoveRight(0) {
    m_rcFrame[0] = rcFrame0;
    ++g_nLiveSprites;
}

CSprite::~CSprite() { --g_nLiveSprites; }

void CSprite::AddFrame(int left, int top, int right, int bottom) {
    ++m_nLastFrame;
    if (m_nLastFrame > 9) m_nLastFrame = 9;
    m_rcFrame[m_nLastFrame] = RECT{left, top, right, bottom};
}

void CSprite::Draw(int nFrame) {
    // Frames outside the table draw nothing.
    if (nFrame < 0 || nFrame > 9) return;
    BltClipped(m_pddsDest, m_pddsSource, m_nX, m_nY, m_rcFrame[nFrame]);
}

void CSprite::Destroy() { delete this; }

void CSprite::BltClipped(IDirectDrawSurface* pDest, IDirectDrawSurface* pSrc, int x, int y, RECT rc) {
    if (pDest == nullptr || pSrc == nullptr) return;
    if (x > SCREEN_WIDTH) return;
    if (y > SCREEN_HEIGHT) return;
    LONG l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    // Width and height come from the frame as given; the clipping below never changes them.
    const LONG w = r - l;
    const LONG h = b - t;
    LONG dx = x;
    LONG dy = y;
    if (x <= 0) {
        dx = 0;
        l = l - x;
    }
    if (y <= 0) {
        dy = 0;
        t = t - y;
    }
    if (dy + h > SCREEN_HEIGHT) b = b - (dy + h - SCREEN_HEIGHT);
    if (dx + w > SCREEN_WIDTH) r = r - (dx + w - SCREEN_WIDTH);
    RECT src{l, t, r, b};
    // An empty or inverted rectangle is refused by the copy: nothing is drawn, and nothing is retried.
    pDest->BltFast(static_cast<DWORD>(dx), static_cast<DWORD>(dy), pSrc, &src, DDBLTFAST_SRCCOLORKEY);
}

namespace sprite_testing {
int LiveCount() { return g_nLiveSprites; }
}  // namespace sprite_testing
