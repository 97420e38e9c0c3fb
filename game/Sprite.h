// The one drawable object of the game: a position, up to ten frame rectangles cut from a picture
// surface, and eight counters its owner uses for its own bookkeeping.
#pragma once

#include "game/PictureLayout.h"
#include "platform/afx_core.h"
#include "platform/ddraw.h"

// A rectangle of the picture layout as the sprite and the surfaces take it.
constexpr RECT ToRect(const SCutRect& rc) { return RECT{rc.left, rc.top, rc.right, rc.bottom}; }

class CSprite : public CObject {
public:
    CSprite(IDirectDrawSurface* pDest, IDirectDrawSurface* pSource, RECT rcFrame0, int x, int y);
    ~CSprite() override;

    // Defines the next frame; the tenth and every later call replaces frame 9.
    void AddFrame(int left, int top, int right, int bottom);
    void AddFrame(const RECT& rc) { AddFrame(rc.left, rc.top, rc.right, rc.bottom); }
    // Draws frame nFrame at the sprite's position, clipped to the screen, with the source colour key.
    void Draw(int nFrame);
    // Frees the sprite; the owner then nulls its pointer.
    void Destroy();
    // Clips rc placed at (x, y) against the screen and copies what is left, keyed.
    static void BltClipped(IDirectDrawSurface* pDest, IDirectDrawSurface* pSrc, int x, int y, RECT rc);

    int GetX() const { return m_nX; }
    int GetY() const { return m_nY; }
    void SetX(int x) { m_nX = x; }
    void SetY(int y) { m_nY = y; }
    void OffsetX(int d) { m_nX += d; }
    void OffsetY(int d) { m_nY += d; }
    int GetRight() const { return m_nX + m_nWidth; }
    int GetBottom() const { return m_nY + m_nHeight; }
    int GetFrame() const { return m_nFrame; }
    void SetFrame(int n) { m_nFrame = n; }
    int GetLastFrame() const { return m_nLastFrame; }

protected:
    int m_nLastFrame;
    int m_nFrame;
    int m_nX;
    int m_nY;
    int m_nWidth;
    int m_nHeight;
    IDirectDrawSurface* m_pddsDest;
    IDirectDrawSurface* m_pddsSource;
    RECT m_rcFrame[10];

public:
    // General counters; their meaning belongs to the sprite's owner.
    int m_nHP;
    int m_nMove;
    int m_nFire;
    int m_nTick;
    int m_nDrop;
    int m_nFirePhase;
    int m_nAge;
    BOOL m_bMoveRight;
};
