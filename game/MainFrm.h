// The program's one window: owns everything the game uses, turns timer ticks into frames and key
// presses into the game state, the held-arrow flags and the one-shot fire request.
#pragma once

#include "platform/afx_window.h"
#include "platform/ddraw.h"
#include "platform/dsound.h"

class CBackground;
class CGameWorld;
class CMidiStream;

// Game states.
const int GAME_STATE_TITLE = 0;
const int GAME_STATE_START = 1;
const int GAME_STATE_PLAYING = 2;

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)

public:
    CMainFrame();
    ~CMainFrame() override;

    // Registers the window class and creates the window; the whole set-up runs inside.
    virtual BOOL CreateGameWindow();

    void InitDirectDraw();
    void LoadSurfaces();
    void InitDirectSound();
    void NewGame();
    void PlayMusic();
    void DeleteMusic();
    void RenderFrame();
    void UpdateGame();
    void CheckGameOver();

    void AssertValid() const override;
    void Dump(CDumpContext& dc) const override;

    BOOL m_bKeyLeft;
    BOOL m_bKeyRight;
    BOOL m_bKeyUp;
    BOOL m_bKeyDown;
    BOOL m_bFire;
    BOOL m_bSpaceReleased;
    int m_nGameState;
    int m_nFrameCount;
    int m_nStage;
    int m_nGameOverCount;
    IDirectDraw* m_pDD;
    IDirectDrawSurface* m_pddsPrimary;
    IDirectDrawSurface* m_pddsBack;
    IDirectDrawPalette* m_pPalette;
    IDirectDrawSurface* m_pddsBG00;
    IDirectDrawSurface* m_pddsBG01;
    IDirectDrawSurface* m_pddsSprites;
    IDirectDrawSurface* m_pddsTitle;
    IDirectDrawSurface* m_pddsEnd;
    IDirectSound* m_pDS;
    IDirectSoundBuffer* m_pdsbExplosion;
    IDirectSoundBuffer* m_pdsbHit;
    CBackground* m_pBackground;
    CGameWorld* m_pGame;
    CMidiStream* m_pMusic;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnTimer(UINT nIDEvent);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()

private:
    // Copies a whole screen-sized picture opaque onto the back buffer (TITLE as the base, END over a lost game).
    void CopyPicture(IDirectDrawSurface* pddsPicture);
    // After a lost surface: restores the display surfaces and loads the pictures into them again.
    void RestoreSurfaces();
};
